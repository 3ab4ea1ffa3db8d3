#!/usr/bin/env bash
# make drives asm-zqs through the rule --MD writes: the first make builds, a
# second does nothing, touching an include (found through -I, or through -I
# in .cmdline) rebuilds, touching an unrelated file does not, and an include
# that was deleted together with its .include does not stop make.
#   make_rebuild.sh ASM_ZQS
set -u
tool=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/md_make.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
fail=0
mkdir inc "lib dir"
printf '.cmdline -I "lib dir"\n.include "io.inc"\nstart: movl r0, IO\n  jmp start\n' > prog.zqs
printf '.include "regs $1.inc"\n.define IO 4\n' > inc/io.inc
printf '.register acc 1\n' > "lib dir/regs \$1.inc"
printf 'nop\n' > unrelated.inc
cat > Makefile <<MAKE
prog.c: prog.zqs
	"$tool" -I inc --MD prog.d -odef prog.h prog.zqs
	echo built >> builds
-include prog.d
MAKE

builds() { [ -f builds ] && wc -l < builds || echo 0; }
step() {  # step WHAT EXPECTED_BUILDS
  make -s >make.log 2>&1 || { echo "make failed after: $1"; cat make.log; fail=1; }
  [ "$(builds)" -eq "$2" ] || { echo "after $1: $(builds) builds, expected $2"; fail=1; }
}
# Changes a file's time without waiting: every file is aged, the outputs of the
# last build stay newer than the sources, and the touched file newer than both.
touch_later() {
  local now; now=$(date +%s)
  find . -type f ! -name 'prog.[chd]' -exec touch -d "@$((now - 100))" {} +
  touch -d "@$((now - 50))" prog.c prog.h prog.d
  touch -d "@$((now - 10))" "$1"
}

step "first make" 1
[ -f prog.c ] && [ -f prog.h ] && [ -f prog.d ] || { echo "outputs missing"; fail=1; }
step "second make" 1
touch_later unrelated.inc
step "touching an unrelated file" 1
touch_later inc/io.inc
step "touching an include found through -I" 2
touch_later "lib dir/regs \$1.inc"
step "touching an include found through .cmdline -I" 3
step "make after the rebuild" 3
touch_later prog.h
step "touching the definitions file" 3
# The include goes, with its .include: the empty rule keeps make going.
rm "lib dir/regs \$1.inc"
printf '.define IO 4\n' > inc/io.inc
touch_later inc/io.inc
step "deleting an include" 4
grep -q 'regs' prog.d && { echo "prog.d still names the deleted include"; fail=1; }
[ $fail = 0 ] && echo "make rebuild: ok"
exit $fail
