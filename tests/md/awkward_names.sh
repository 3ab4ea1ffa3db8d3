#!/usr/bin/env bash
# GNU make reads back every name --MD writes. Each awkward name is used as an
# include and as image and definitions file (inc), and as the only source (main):
# make is happy, finds nothing to do, remakes the targets after the source was
# touched and goes on when the include is gone. A name make cannot read is refused.
set -u
tool=$1 root=$(mktemp -d "${TMPDIR:-/tmp}/md_names.XXXXXX") fail=0 n=0
trap 'rm -rf "$root"' EXIT
cases=(  # name, then the outcome as inc and as main
  'a:b' ok ok  'x:' ok ok  'a\:b' ok ok  'a%b' ok ok  'a\%b' ok ok  'a|b' ok ok  'a#b' ok ok
  'a\#b' ok ok  'a$b' ok ok  'a b' ok ok  'a\ b' ok ok  $'a\tb' refused ok  'a\' ok ok
  'a\\' ok ok  'a\b' ok ok  'a*b' ok ok  'a?b' ok ok  'a[x]b' ok ok  'a\b*' ok ok  'x&' ok ok
  'a~b' ok ok  '(x' ok ok  'x)' ok ok  $'a\vb' ok ok  'a;b' refused refused
  'a=b' refused refused  '~x' refused refused  './~x' refused refused  'lib(m)' refused refused)
bad() { echo "$(printf %q "$name") $use: $*"; fail=1; }
# remakes COUNT GOALS...: make remakes COUNT of the goals (the rule below logs them).
remakes() {
  local count=$1; shift; rm -f remade
  { make -r -- "$@" 2>&1 >/dev/null || echo "status $?"; } > make.err
  [ -s make.err ] && bad "make: $(cat make.err)"
  [ "$(cat remade 2>/dev/null | wc -l)" = "$count" ] || bad "remade $(cat remade 2>/dev/null)"
}
for ((i = 0; i < ${#cases[@]}; i += 3)); do
  name=${cases[i]}
  for use in inc main; do
    n=$((n + 1)) && mkdir -p "$root/$n/img" "$root/$n/out" && cd "$root/$n" || exit 1
    printf '%%:\n\t$(file >>remade,$@)\n-include prog.d\n' > Makefile
    printf 'nop\n' | tee "$name" z.inc axb > /dev/null  # axb: what a[x]b matches as a pattern
    if [ $use = inc ]; then
      goals=("img/$name" "out/$name") expect=${cases[i + 1]}
      printf '.include "%s"\n.include "z.inc"\n' "${name//\\/\\\\}" > main.zqs
      "$tool" --MD prog.d -o "img/$name" -odef "out/$name" main.zqs > tool.out
    else
      goals=(out.c) expect=${cases[i + 2]}
      "$tool" --MD prog.d -o out.c "$name" > tool.out
    fi
    status=$? left=$(find img out prog.d out.c -type f 2>/dev/null)
    if [ $expect = refused ]; then
      [ $status = 1 ] && grep -qF "cannot be written into a make rule." tool.out && [ -z "$left" ] ||
        bad "not refused: $(cat tool.out) $left"
      continue
    fi
    [ $status = 0 ] || { bad "$(cat tool.out)"; continue; }
    now=$(date +%s)  # sources older than the outputs, then the source touched
    find . -type f -exec touch -d "@$((now - 100))" {} +
    find img out out.c -type f -exec touch -d "@$((now - 50))" {} + 2>/dev/null
    remakes 0 "${goals[@]}"
    touch -d "@$((now - 10))" "$name" && remakes ${#goals[@]} "${goals[@]}"
    [ $use = inc ] && rm -- "$name" && remakes 3 "${goals[@]}"  # the include too
  done
done
[ $fail = 0 ] && echo "awkward names: $n runs ok"
exit $fail
