#!/usr/bin/env bash
# Two outputs of one run that name the same file (the same name, another
# spelling of it, a link to it) end the run before anything is written: status 1,
# the fatal message naming the second output, no output left (an earlier image
# goes, as after every failed run). Outputs that only look alike still work.
#   output_clash.sh ASM_ZQS
set -u
tool=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/md_clash.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail=0
n=0

# refused NAME ARGS...: the run must refuse the output NAME.
refused() {
  local name=$1; shift
  n=$((n + 1))
  mkdir -p "$root/$n/sub" && cd "$root/$n" || exit 1
  printf 'nop\n' > prog.zqs
  printf 'old\n' > prog.c
  ln -s prog.c link.c
  "$tool" "$@" prog.zqs > out 2>&1
  local status=$?
  local want="FATAL ERROR> Refusing to write two outputs into file '$name'."
  [ $status = 1 ] && [ "$(head -n 1 out)" = "$want" ] || { echo "$*: $(cat out)"; fail=1; }
  local left; left=$(find . -type f ! -name prog.zqs ! -name out ! -name dump.xml)
  [ -z "$left" ] || { echo "$*: left $left"; fail=1; }
}
refused prog.c --MD prog.c
refused prog.h -odef prog.h --MD prog.h
refused prog.log -log prog.log --MD prog.log
refused dump.xml --xmldump --MD dump.xml
refused ./new.h -odef new.h -log ./new.h
refused new.h -odef sub/../new.h --MD new.h
refused link.c --MD link.c

# Only the definitions of a MIF run are not written: they may share a name.
cd "$root" && mkdir ok && cd ok && printf '.cmdline --MD prog.d\nnop\n' > prog.zqs
"$tool" -ofmt mif -odef prog.d -log prog.log prog.zqs > out 2>&1 &&
  [ -f prog.mif ] && [ -f prog.d ] && [ -f prog.log ] || { echo "MIF run: $(cat out)"; fail=1; }
[ $fail = 0 ] && echo "output clash: $n refusals ok"
exit $fail
