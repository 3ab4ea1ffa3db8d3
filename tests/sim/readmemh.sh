#!/bin/sh
# Verilog memory files of every architecture (gaps, a word at the address
# limit) loaded with $readmemh by Icarus Verilog and by Verilator must hold the
# words of the IFS image of the same source; srec_cat reads them as the MIF
# image (not zqs16-1: it reads whole bytes only, and its 25-bit words have 7
# digits). The SystemVerilog packages compile in both simulators, with the
# label addresses of the C headers. One build per simulator for everything.
# Usage: readmemh.sh ASM-ZQS SOURCE-DIR WORK-DIR
set -eu
asm=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
: >labels.svi
: >labels.want
for arch in zqs24-1 zqs24-2 zqs24-3 zqs24-4 zqs16-1; do
  lbl=m$(echo $arch | tr -d zqs-)
  if [ $arch = zqs16-1 ]; then w=0x1ABCDEF; else w=0xFEDCBA98; fi
  printf 'start: .var %s\n  .var 0\n  .org 0x40\nmid:  .str "zqs"\n  .org 0x3FFC\nlast: .var 0x1234567\n' $w >$arch.zqs
  set -- -arch $arch -adrmax 0x3FFC -olbl $lbl
  "$asm" "$@" -ofmt vmem -odef $arch.svh $arch.zqs
  "$asm" "$@" -ofmt ifs $arch.zqs
  "$asm" "$@" -ofmt mif $arch.zqs
  "$asm" "$@" -odef $arch.h $arch.zqs
  sed -n 's/^AEI WRITE .*+h#\([0-9A-F]*\)) *h#\([0-9A-F]*\)$/\1 \2/p' $arch.ifs | tr A-F a-f >$arch.want
  # C header: LABEL_<LBL>_<NAME> (index); the package: LABEL_<NAME> (byte address).
  sed -n "s/^#define LABEL_[^_]*_\([A-Z_]*\) *( *\([0-9]*\)).*/\1 \2/p" $arch.h | while read -r name index; do
    echo "\$display(\"$arch $name %08x\", ${lbl}_pkg::LABEL_$name);" >>labels.svi
    printf '%s %s %08x\n' $arch $name $((index * 4)) >>labels.want
  done
  if [ $arch != zqs16-1 ]; then srec_cmp $arch.vmem -VMem $arch.mif -MIF -byte-swap 4; fi
done
iverilog -g2012 -I. -o tb.vvp ./*.svh "$src/tests/sim/readmemh_tb.sv"
verilator --binary -Wno-fatal -I. -Mdir obj --top-module readmemh_tb ./*.svh "$src/tests/sim/readmemh_tb.sv" >verilator.log 2>&1 ||
  { cat verilator.log; exit 1; }
status=0
for sim in "vvp -n tb.vvp" obj/Vreadmemh_tb; do
  $sim >labels.out
  grep '^zqs' labels.out | diff -u labels.want - || status=1
  for arch in zqs24-1 zqs24-2 zqs24-3 zqs24-4 zqs16-1; do
    $sim +vmem=$arch.vmem | grep -E '^[0-9a-f]{8} [0-9a-f]{8}$' | diff -u $arch.want - || { echo "FAIL: $sim $arch"; status=1; }
  done
done
[ $status = 0 ] && echo "vmem images and packages of 5 architectures agree in Icarus Verilog and Verilator"
exit $status
