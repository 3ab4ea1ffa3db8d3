// Architecture records and the process-wide registry of instruction sets.
#ifndef ASM_ARCH_H
#define ASM_ARCH_H

#include <cassert>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "arch_tables.h"
#include "asm_sym.h"

enum ATO_TYPE { ATO_REG = 0, ATO_RANGE = 1 };

// One operand template: a register of a set, or a number spread over bit slices.
struct arg_type {
  ATO_TYPE type = ATO_REG;
  std::vector<unsigned int> lo_idx{0};
  std::vector<unsigned int> hi_idx{0};
  std::string regtype;
  unsigned int lo_val = 0;
  unsigned int hi_val = 0;
  unsigned int shft_val = 0;
  bool optarg_en = false;
  unsigned int optarg_val = 0;
  bool is_address = false;  // an absolute code or data address (not an offset or a count)
};

// Number of code bits a template's slices cover.
inline unsigned int slice_width(arg_type const& a) {
  unsigned int w = 0;
  for (size_t k = 0; k < a.lo_idx.size(); ++k) w += a.hi_idx[k] - a.lo_idx[k] + 1;
  return w;
}

struct instr_type {
  unsigned int code = 0;
  std::vector<arg_type> arg_type_lst;
  bool obsolete = false;

  // Spreads each value over its template's slices, first slice least significant.
  unsigned int assemble(std::vector<unsigned int> const& arg_lst) const {
    assert(arg_lst.size() == arg_type_lst.size());
    unsigned int c = code;
    for (size_t i = 0; i < arg_type_lst.size(); ++i) {
      arg_type const& a = arg_type_lst[i];
      assert(a.lo_idx.size() == a.hi_idx.size());
      unsigned long long x = arg_lst[i];
      unsigned int p = 0;
      for (size_t j = 0; j < a.lo_idx.size(); ++j) {
        unsigned int l = a.lo_idx[j], w = a.hi_idx[j] - a.lo_idx[j] + 1;
        unsigned long long ones = (w >= 32) ? 0xFFFFFFFFull : ((1ull << w) - 1);
        unsigned int mask = (unsigned int)(ones << l);
        unsigned int field = (unsigned int)(((p >= 64 ? 0 : (x >> p)) & ones) << l);
        c = (c & ~mask) | (field & mask);
        p += w;
      }
    }
    return c;
  }
};

struct disasm_tree_type {
  std::unordered_map<unsigned int, disasm_tree_type*> children;  // empty in a leaf
  unsigned int hi_idx = 0;
  unsigned int lo_idx = 0;
  std::string instr_name;
  std::vector<arg_type> arg_type_lst;
};

struct arch_type {
  unsigned int data_width = 0;
  unsigned int instr_width = 0;
  unsigned int version = 0;
  std::unordered_map<std::string, std::unordered_map<std::string, unsigned int>> reg_map;
  std::unordered_map<std::string, std::unordered_map<unsigned int, std::string>> rev_reg_map;
  std::unordered_map<std::string, instr_type> instr_map;
  std::unordered_map<std::string, sym_type> sym_map;
  disasm_tree_type* disasm_tree = nullptr;

  // Table order of the register sets and instructions, for listings.
  std::vector<std::string> regset_order;
  std::vector<std::string> instr_order;

  void install_sym_map();
  std::string disasm_tree_walker(disasm_tree_type* node, unsigned int code);
};

class asm_arch {
 public:
  static std::unordered_map<std::string, arch_type> arch_map;

  asm_arch();
  static void initilize_arch_zqs24_1();
  static void initilize_arch_zqs24_2();
  static void initilize_arch_zqs24_3();
  static void initilize_arch_zqs24_4();
  static void initilize_arch_zqs16_1();

  // Registered names ordered by data width (wide first), then version.
  static std::vector<std::string> ordered_names();

  // Registers one architecture from its tables; a name already present is left alone.
  // A malformed row is a fault of the table and aborts with a description of it.
  static void register_arch(arch_table const& table);
  static void register_arch(arch_head_type const& head,
                            arch_regset_row const* regsets, size_t n_regsets,
                            arch_instr_row const* instrs, size_t n_instrs,
                            arch_tree_row const* tree, size_t n_tree);
  template <size_t R, size_t I, size_t T>
  static void register_arch(arch_head_type const& head, arch_regset_row const (&regsets)[R],
                            arch_instr_row const (&instrs)[I], arch_tree_row const (&tree)[T]) {
    register_arch(head, regsets, R, instrs, I, tree, T);
  }
};

#endif
