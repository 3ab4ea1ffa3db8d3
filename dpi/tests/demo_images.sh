#!/bin/sh
# Assembles examples/demo and dpi/tests/labels into WORKDIR: NAME.c, NAME.ifs,
# NAME.mif, NAME.vmem and the definitions NAME.h (C header, labels for every
# format), NAME.idef (IFS definitions) and NAME.svh (SystemVerilog package).
# Usage: demo_images.sh ASM-ZQS SOURCE-DIR WORKDIR
set -e
asm=$1 src=$2 work=$3
mkdir -p "$work"
cd "$work"
for prog in "$src/examples/demo.zqs" "$src/dpi/tests/labels.zqs"; do
  name=$(basename "$prog" .zqs)
  for f in c ifs mif vmem; do
    "$asm" -I "$src/examples" -ofmt $f -o $name.$f "$prog"
  done
  "$asm" -I "$src/examples" -o ${name}_defs.c -odef $name.h "$prog"
  "$asm" -I "$src/examples" -ofmt ifs -o ${name}_defs.ifs -odef $name.idef "$prog"
  "$asm" -I "$src/examples" -ofmt vmem -o ${name}_defs.vmem -odef $name.svh "$prog"
done
