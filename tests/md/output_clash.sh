#!/usr/bin/env bash
# Two outputs of a run naming one file (by the same name, another spelling, a
# link) end the run: status 1, the message naming the second one, no output left
# (the earlier image goes, as after every failed run; a failed run's dump stays).
set -u
tool=$1 root=$(mktemp -d "${TMPDIR:-/tmp}/md_clash.XXXXXX") fail=0 n=0
trap 'rm -rf "$root"' EXIT
while read -r name args; do
  n=$((n + 1)) && mkdir -p "$root/$n/sub" && cd "$root/$n" || exit 1
  printf 'nop\n' > prog.zqs && printf 'old\n' > prog.c && ln -s prog.c link.c
  "$tool" $args prog.zqs > out
  [ $? = 1 ] && [ "$(head -n 1 out)" = "FATAL ERROR> Refusing to write two outputs into file '$name'." ] &&
    [ -z "$(find . -type f ! -name prog.zqs ! -name out ! -name dump.xml)" ] || { echo "$args: $(cat out)"; fail=1; }
done <<'CASES'
prog.c --MD prog.c
prog.h -odef prog.h --MD prog.h
prog.log -log prog.log --MD prog.log
dump.xml --xmldump --MD dump.xml
./new.h -odef new.h -log ./new.h
new.h -odef sub/../new.h --MD new.h
link.c --MD link.c
CASES
# The definitions of a MIF run are not written: they may share a name.
cd "$root" && printf '.cmdline --MD p.d\nnop\n' > p.zqs && "$tool" -ofmt mif -odef p.d -log p.log p.zqs &&
  [ -f p.mif ] && [ -f p.d ] && [ -f p.log ] || { echo "MIF run failed"; fail=1; }
exit $fail
