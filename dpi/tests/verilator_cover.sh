#!/bin/sh
# Builds dpi/example/cover_tb.sv with Verilator and runs dpi/tests/cover.zqs
# on it. The tracefile it writes must be read by lcov --summary and genhtml,
# hold for each line the executions its addresses had in the run (and the
# count the source's "hits N" comment states), and be the very file zqs-cov
# writes from the run's address trace; the testbench prints zqs-cov's summary.
# Usage: verilator_cover.sh VERILATOR SOURCE-DIR LIBRARY BUILD-DIR PYTHON ZQS-COV
set -eu
verilator=$1 src=$2 lib=$3 build=$4 python=$5 cov=$6
mkdir -p "$build"
"$verilator" --binary -j 2 --top-module cover_tb -Mdir "$build/obj" \
  +incdir+"$src/dpi" -CFLAGS "-I$src/lib -I$src/dpi" -LDFLAGS "$lib" \
  "$src/dpi/example/cover_tb.sv" "$src/dpi/zqs_dpi.c" \
  >"$build/verilator.log" 2>&1 || { cat "$build/verilator.log"; exit 1; }

cd "$build"
rm -rf tb.info cov.info trace.txt html
LD_LIBRARY_PATH=$(dirname "$lib") ./obj/Vcover_tb +source="$src/dpi/tests/cover.zqs" \
  +coverage=tb.info +trace=trace.txt >tb.out 2>tb.err || { cat tb.out tb.err; exit 1; }
grep -v '^- .*Verilog \$finish' tb.out >tb.summary || true

lcov --summary tb.info >lcov.out 2>&1 || { cat lcov.out; exit 1; }
grep -q '(8 of 11 lines)' lcov.out || { echo "FAIL: lcov --summary"; cat lcov.out; exit 1; }
genhtml --quiet tb.info -o html >genhtml.out 2>&1 || { cat genhtml.out; exit 1; }
grep -q 'cover_sub.inc' html/index.html || grep -rq 'cover_sub.inc' html || {
  echo "FAIL: genhtml wrote no page of cover_sub.inc"; exit 1; }

PYTHONPATH="$src/python" ZQS_LIBRARY=$lib PYTHONDONTWRITEBYTECODE=1 \
  "$python" "$src/dpi/tests/check_cover.py" tb.info trace.txt "$src/dpi/tests/cover.zqs"

"$cov" "$src/dpi/tests/cover.zqs" --trace trace.txt -o cov.info >cov.out
cmp tb.info cov.info || { echo "FAIL: zqs-cov wrote another tracefile"; diff tb.info cov.info; exit 1; }
diff -u tb.summary cov.out || { echo "FAIL: zqs-cov printed another summary"; exit 1; }
echo "coverage of cover.zqs agrees: testbench, lcov, genhtml, zqs-cov"; cat tb.summary
