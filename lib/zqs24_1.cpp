// Instruction set zqs24-1: 24-bit data, 32-bit instructions, version 1 (the default).
#include <iterator>

#include "arch_tables.h"

namespace {

constexpr arch_head_type head = {"zqs24-1", 1, 24, 32, 31, 28, 19, 16};

arch_regset_row const regsets[] = {
  { "oreg", "r0=0 r1=1 r2=2 r3=3 r4=4 r5=5 r6=6 r7=7 sta=8 acb=9 ctrg=10 strg=11 "
            "tbu_ts0=12 tbu_ts1=13 tbu_ts2=14 mhb=15" },
  { "areg", "r0=0 r1=1 r2=2 r3=3 r4=4 r5=5 r6=6 r7=7 zero=12" },
};

arch_instr_row const instrs[] = {
  { "nop",    0x00000000, "", false },
  { "movl",   0x10000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "addl",   0x20000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "subl",   0x30000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "andl",   0x40000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "orl",    0x50000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "xorl",   0x60000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "atul",   0x70000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "atsl",   0x80000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "btl",    0x90000000, "oreg[27:24]; 0x0..0xFFFFFF [23:0]", false },
  { "mov",    0xA0000000, "oreg[27:24]; oreg[23:20]", false },
  { "mrd",    0xA0010000, "oreg[27:24]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "mwr",    0xA0020000, "oreg[27:24]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "mrdi",   0xA0030000, "oreg[27:24]; oreg[23:20]", false },
  { "mwri",   0xA0040000, "oreg[27:24]; oreg[23:20]", false },
  { "pop",    0xA0050000, "oreg[27:24]", false },
  { "push",   0xA0060000, "oreg[27:24]", false },
  { "mwr24",  0xA0070000, "oreg[27:24]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "mwri24", 0xA0080000, "oreg[27:24]; oreg[23:20]", false },
  { "mwrl",   0xA0070000, "oreg[27:24]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "mwril",  0xA0080000, "oreg[27:24]; oreg[23:20]", false },
  { "ard",    0xB0000000, "areg[27:24]; areg[23:20]; 0x0..0x1FF [8:0]", false },
  { "awr",    0xB0010000, "oreg[27:24]; oreg[23:20]; 0x0..0x17 [4:0]", false },
  { "ardi",   0xB0040000, "areg[27:24]; areg[23:20]", false },
  { "awri",   0xB0050000, "oreg[27:24]; oreg[23:20]", false },
  { "nard",   0xB0020000, "areg[27:24]; areg[23:20]; 0x0..0x1FF [8:0]", false },
  { "nardi",  0xB0030000, "areg[27:24]; areg[23:20]", false },
  { "add",    0xC0000000, "oreg[27:24]; oreg[23:20]", false },
  { "sub",    0xC0010000, "oreg[27:24]; oreg[23:20]", false },
  { "neg",    0xC0020000, "oreg[27:24]; oreg[23:20]", false },
  { "and",    0xC0030000, "oreg[27:24]; oreg[23:20]", false },
  { "or",     0xC0040000, "oreg[27:24]; oreg[23:20]", false },
  { "xor",    0xC0050000, "oreg[27:24]; oreg[23:20]", false },
  { "shr",    0xC0060000, "oreg[27:24]; 0x0..0x18 [4:0]", false },
  { "shl",    0xC0070000, "oreg[27:24]; 0x0..0x18 [4:0]", false },
  { "atu",    0xD0000000, "oreg[27:24]; oreg[23:20]", false },
  { "ats",    0xD0010000, "oreg[27:24]; oreg[23:20]", false },
  { "bt",     0xD0020000, "oreg[27:24]; oreg[23:20]", false },
  { "jmp",    0xE0000000, "addr 0x0..0x3FFF >>2 [13:2]", false },
  { "jbs",    0xE0010000, "oreg[27:24]; 0x0..0xF [23:20]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "jbc",    0xE0020000, "oreg[27:24]; 0x0..0xF [23:20]; addr 0x0..0x3FFF >>2 [13:2]", false },
  { "call",   0xE0030000, "addr 0x0..0x3FFF >>2 [13:2]", false },
  { "ret",    0xE0040000, "", false },
  { "wurm",   0xF0000000, "oreg[27:24]; oreg[23:20]; 0x0..0xFFFF [15:0]", false },
  { "lit24",  0x00000000, "0x0..0xFFFFFF [23:0]", false },
  { "lit32",  0x00000000, "0x0..0xFFFFFFFF [31:0]", false },
};

// Root: bits 31..28; inner nodes: bits 19..16. mwr24/mwri24 share mwrl/mwril's codes and
// lit24/lit32 are plain data, so none of them has a leaf.
arch_tree_row const tree[] = {
  {  0, -1, "nop" },
  {  1, -1, "movl" },
  {  2, -1, "addl" },
  {  3, -1, "subl" },
  {  4, -1, "andl" },
  {  5, -1, "orl" },
  {  6, -1, "xorl" },
  {  7, -1, "atul" },
  {  8, -1, "atsl" },
  {  9, -1, "btl" },
  { 10,  0, "mov" },
  { 10,  1, "mrd" },
  { 10,  2, "mwr" },
  { 10,  3, "mrdi" },
  { 10,  4, "mwri" },
  { 10,  5, "pop" },
  { 10,  6, "push" },
  { 10,  7, "mwrl" },
  { 10,  8, "mwril" },
  { 11,  0, "ard" },
  { 11,  1, "awr" },
  { 11,  2, "nard" },
  { 11,  3, "nardi" },
  { 11,  4, "ardi" },
  { 11,  5, "awri" },
  { 12,  0, "add" },
  { 12,  1, "sub" },
  { 12,  2, "neg" },
  { 12,  3, "and" },
  { 12,  4, "or" },
  { 12,  5, "xor" },
  { 12,  6, "shr" },
  { 12,  7, "shl" },
  { 13,  0, "atu" },
  { 13,  1, "ats" },
  { 13,  2, "bt" },
  { 14,  0, "jmp" },
  { 14,  1, "jbs" },
  { 14,  2, "jbc" },
  { 14,  3, "call" },
  { 14,  4, "ret" },
  { 15,  0, "wurm" },
};

}  // namespace

arch_table const zqs24_1_table = {head, regsets, std::size(regsets), instrs, std::size(instrs), tree, std::size(tree)};
