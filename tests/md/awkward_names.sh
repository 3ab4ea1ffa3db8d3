#!/usr/bin/env bash
# GNU make reads back every file name that --MD writes: for each awkward name,
# used as an include and as the image and definitions file ("inc"), and as the
# only source ("main"), make is happy with the rule, a second make does nothing,
# touching the source makes the targets stale, and an include that is gone does
# not stop make. A name make cannot read must end the run instead.
#   awkward_names.sh ASM_ZQS
set -u
tool=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/md_names.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail=0
n=0

# name, then how each use must end: ok or refused (inc use, main use).
cases=(
  'a:b' ok ok      'x:' ok ok        'a\:b' ok ok
  'a%b' ok ok      'a\%b' ok ok      'a|b' ok ok
  'a#b' ok ok      'a\#b' ok ok      'a$b' ok ok
  'a b' ok ok      'a\ b' ok ok      $'a\tb' refused ok
  'a\' ok ok       'a\\' ok ok       'a\b' ok ok
  'a*b' ok ok      'a?b' ok ok       'a[x]b' ok ok     'a\b*' ok ok
  'x&' ok ok       'a~b' ok ok       '(x' ok ok        'x)' ok ok
  $'a\vb' ok ok
  'a;b' refused refused  'a=b' refused refused  '~x' refused refused
  'lib(m)' refused refused
)

# Ages every file, then makes the outputs newer and the touched file newest.
touch_later() {
  local now; now=$(date +%s)
  find . -type f -exec touch -d "@$((now - 100))" {} +
  find img out out.c -type f -exec touch -d "@$((now - 50))" {} + 2>/dev/null
  touch -d "@$((now - 10))" -- "$1"
}
bad() { echo "$(printf '%q' "$name") ($use): $*"; fail=1; }
# make NAMES...: the goals, each remade (by the match-anything rule) into remade.
run_make() {
  rm -f remade
  make -r -- "$@" >make.out 2>make.err || bad "make failed: $(cat make.err)"
  [ -s make.err ] && bad "make complained: $(cat make.err)"
}
remade() { [ -f remade ] && LC_ALL=C sort remade | tr '\n' ' '; }

check() {  # check NAME USE EXPECT
  local name=$1 use=$2 expect=$3 goals
  n=$((n + 1))
  mkdir "$root/$n" && cd "$root/$n" || exit 1
  mkdir img out
  printf '%%:\n\t$(file >>remade,$@)\n-include prog.d\n' > Makefile
  printf 'axb\n' > axb  # what a[x]b matches as a pattern
  if [ "$use" = inc ]; then
    printf 'nop\n' > "$name"
    printf 'nop\n' > z.inc
    printf '.include "%s"\n.include "z.inc"\n' "${name//\\/\\\\}" > main.zqs
    goals=("img/$name" "out/$name")
    "$tool" --MD prog.d -o "img/$name" -odef "out/$name" main.zqs > tool.out
  else
    printf 'nop\n' > "$name"
    goals=(out.c)
    "$tool" --MD prog.d -o out.c "$name" > tool.out
  fi
  local status=$?
  if [ "$expect" = refused ]; then
    [ $status = 1 ] && grep -qF "cannot be written into a make rule." tool.out ||
      bad "not refused: $(cat tool.out)"
    [ -e prog.d ] || [ -e out.c ] || [ -n "$(find img out -type f)" ] && bad "outputs left behind"
    return
  fi
  [ $status = 0 ] || { bad "run failed: $(cat tool.out)"; return; }
  touch_later Makefile
  run_make "${goals[@]}"
  [ -z "$(remade)" ] || bad "remade without a change: $(remade)"
  touch_later "$name"
  run_make "${goals[@]}"
  local want; want=$(printf '%s\n' "${goals[@]}" | LC_ALL=C sort | tr '\n' ' ')
  [ "$(remade)" = "$want" ] || bad "touching the source remade '$(remade)', not '$want'"
  if [ "$use" = inc ]; then
    rm -- "$name"
    run_make "${goals[@]}"
  fi
}

for ((i = 0; i < ${#cases[@]}; i += 3)); do
  check "${cases[i]}" inc "${cases[i + 1]}"
  check "${cases[i]}" main "${cases[i + 2]}"
done
[ $fail = 0 ] && echo "awkward names: $n runs ok"
exit $fail
