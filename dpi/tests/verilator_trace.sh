#!/bin/sh
# Builds dpi/example/trace_tb.sv with Verilator, runs it on the images of
# demo_images.sh (C array, IFS, MIF, vmem; without labels, with the C header,
# the IFS definitions, the SystemVerilog package) and checks its trace line by line against dis-zqs
# (when given) and the Python package's listing: three clients of the
# library, one listing; then from the sources, with each word's source line.
# Usage: verilator_trace.sh VERILATOR SOURCE-DIR LIBRARY IMAGE-DIR BUILD-DIR PYTHON [DIS-ZQS]
set -eu
verilator=$1 src=$2 lib=$3 images=$4 build=$5 python=$6 dis=${7:-}
mkdir -p "$build"

# The build is incremental: make rebuilds only what changed. A small C++
# file checks that the shim's prototypes are those Verilator derives from
# zqs_dpi.svh.
"$verilator" --binary -j 2 --top-module trace_tb -Mdir "$build/obj" \
  +incdir+"$src/dpi" -CFLAGS "-I$src/lib -I$src/dpi" -LDFLAGS "$lib" \
  "$src/dpi/example/trace_tb.sv" "$src/dpi/zqs_dpi.c" "$src/dpi/tests/dpi_prototypes.cpp" \
  >"$build/verilator.log" 2>&1 || { cat "$build/verilator.log"; exit 1; }

status=0
check() {  # check NAME FILE-A FILE-B
  if ! diff -u "$2" "$3" >"$build/diff" 2>&1; then
    echo "FAIL: $1"; cat "$build/diff"; status=1
  fi
}
# Each image without labels, with the C header, the IFS definitions and the package.
for case in demo:zqs24-1 labels:zqs16-1; do
  prog=${case%%:*} arch=${case#*:}
  for fmt in c ifs mif vmem; do
    for defs in "" "$images/$prog.h" "$images/$prog.idef" "$images/$prog.svh"; do
      name=$prog-$fmt${defs:+-${defs##*.}}
      LD_LIBRARY_PATH=$(dirname "$lib") "$build/obj/Vtrace_tb" +image="$images/$prog.$fmt" \
        +arch=$arch ${defs:+"+defs=$defs"} >"$build/$name.out" 2>"$build/$name.err" || {
        echo "FAIL: simulation $name"; cat "$build/$name.out" "$build/$name.err"; exit 1; }
      # Verilator's own note on $finish is no trace line.
      grep -v '^- .*Verilog \$finish' "$build/$name.out" >"$build/$name.trace" || true
      [ -s "$build/$name.trace" ] || { echo "FAIL: $name: empty trace"; status=1; }
      PYTHONPATH="$src/python" ZQS_LIBRARY=$lib PYTHONDONTWRITEBYTECODE=1 "$python" -m zqs.dis \
        ${defs:+-defs "$defs"} "$images/$prog.$fmt" >"$build/$name.python"
      check "$name: Verilator trace against python3 -m zqs.dis" "$build/$name.python" "$build/$name.trace"
      if [ -n "$dis" ]; then
        "$dis" ${defs:+-defs "$defs"} "$images/$prog.$fmt" >"$build/$name.dis"
        check "$name: Verilator trace against dis-zqs" "$build/$name.dis" "$build/$name.trace"
      fi
    done
  done
done
# From the source: each word's line with its source line beside it, as the
# Python package gives them (the architecture of labels.zqs from its .cmdline).
for prog in "$src/examples/demo.zqs" "$src/dpi/tests/labels.zqs"; do
  name=$(basename "$prog" .zqs)-source
  LD_LIBRARY_PATH=$(dirname "$lib") "$build/obj/Vtrace_tb" +source="$prog" >"$build/$name.out" 2>&1 || {
    echo "FAIL: simulation $name"; cat "$build/$name.out"; exit 1; }
  grep -v '^- .*Verilog \$finish' "$build/$name.out" >"$build/$name.trace" || true
  PYTHONPATH="$src/python" ZQS_LIBRARY=$lib PYTHONDONTWRITEBYTECODE=1 "$python" -c '
import re, sys, zqs
prog = zqs.assemble_file(sys.argv[1])
for line in prog.listing().splitlines():
    m = re.match(r"0x([0-9A-F]{8})  ", line)
    if m:
        line += "    %s:%d: %s" % prog.source(int(m.group(1), 16))
    print(line)' "$prog" >"$build/$name.python"
  check "$name: Verilator trace with source lines against Python" "$build/$name.python" "$build/$name.trace"
done
[ -n "$dis" ] || echo "note: dis-zqs not built, the traces were compared with the Python listing only"
[ $status = 0 ] && echo "traces of 34 runs agree; demo-c-h and labels-source:" &&
  cat "$build/demo-c-h.trace" "$build/labels-source.trace"
exit $status
