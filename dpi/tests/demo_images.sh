#!/bin/sh
# Assembles examples/demo into WORKDIR: demo.c, demo.ifs, demo.mif and the
# C definitions header demo.h (labels for every format).
# Usage: demo_images.sh ASM-ZQS SOURCE-DIR WORKDIR
set -e
asm=$1 src=$2 work=$3
mkdir -p "$work"
cd "$work"
for f in c ifs mif; do
  "$asm" -I "$src/examples" -ofmt $f -o demo.$f "$src/examples/demo.zqs"
done
"$asm" -I "$src/examples" -o demo_defs.c -odef demo.h "$src/examples/demo.zqs"
