// The instruction-set tables: plain data in the notation of the data sheet,
// one file per architecture (zqs24_1.cpp ...). The registry (asm_arch.cpp)
// reads them; nothing here calls into it.
#ifndef ARCH_TABLES_H
#define ARCH_TABLES_H

#include <cstddef>

// Register set: { "oreg", "r0=0 r1=1 ... mhb=15" } (decimal values).
struct arch_regset_row {
  char const* name;
  char const* regs;
};

// Instruction: { "mrd", 0xA0010000, "oreg[27:24]; 0x0..0x3FFF >>2 [13:2]", false }.
// Operands are separated by "; ": a register operand is set[hi:lo] and a numeric one
// lo..hi [hi:lo], optionally with ">>s" before the slices; a field of several slices lists
// them with commas, first slice least significant ("xoreg[27:24,14]", a lone number being
// a one-bit slice); " opt=v" ends an optional operand. "addr " before a numeric operand
// marks an absolute code or data address (a jump target, a memory address), which the
// disassembler may show as a label. No operands: "".
struct arch_instr_row {
  char const* mnemonic;
  unsigned int code;
  char const* args;
  bool obsolete;
};

// One leaf of the disassembly tree: { root selector value, inner selector value, mnemonic };
// inner value -1 places the leaf directly under the root.
struct arch_tree_row {
  int root_sel;
  int inner_sel;
  char const* instr;
};

// Name, widths and the selector fields of the tree root and of every inner node.
struct arch_head_type {
  char const* name;
  unsigned int version;
  unsigned int data_width;
  unsigned int instr_width;
  unsigned int root_hi, root_lo;
  unsigned int inner_hi, inner_lo;
};

// One instruction set: its head and its three tables.
struct arch_table {
  arch_head_type head;
  arch_regset_row const* regsets;
  size_t n_regsets;
  arch_instr_row const* instrs;
  size_t n_instrs;
  arch_tree_row const* tree;
  size_t n_tree;
};

extern arch_table const zqs24_1_table;
extern arch_table const zqs24_2_table;
extern arch_table const zqs24_3_table;
extern arch_table const zqs24_4_table;
extern arch_table const zqs16_1_table;

#endif
