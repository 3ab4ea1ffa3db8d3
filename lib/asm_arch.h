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
#include "asm_utils.h"

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

// The encoder's rule for the value v of a numeric operand: it must fit the
// operand's width (read as a signed number), lie within the range once cut to
// that width, and be a multiple of 2^shft_val; the field holds it shifted.
struct operand_check_type {
  unsigned int width = 0;   // shft_val plus the slices' bits
  bool fits = false;        // representable in width bits
  unsigned int masked = 0;  // v cut to width bits
  bool in_range = false;    // lo_val <= masked <= hi_val
  bool aligned = false;     // the shft_val low bits of masked are 0
  unsigned int field = 0;   // masked >> shft_val: what the code word holds
  bool ok() const { return fits && in_range && aligned; }
};

inline operand_check_type check_operand(arg_type const& a, unsigned int v) {
  operand_check_type c;
  c.width = a.shft_val + slice_width(a);
  c.fits = fits_in_bits(v, c.width);
  c.masked = low_bits(v, c.width);
  c.in_range = c.masked >= a.lo_val && c.masked <= a.hi_val;
  c.aligned = low_bits(c.masked, a.shft_val) == 0;
  c.field = a.shft_val >= 32 ? 0 : c.masked >> a.shft_val;
  return c;
}

struct instr_type {
  unsigned int code = 0;
  std::vector<arg_type> arg_type_lst;
  bool obsolete = false;

  // Spreads each value over its template's slices, first slice least significant.
  unsigned int assemble(std::vector<unsigned int> const& arg_lst) const {
    return assemble(arg_lst.data(), arg_lst.size());
  }
  unsigned int assemble(unsigned int const* arg_lst, size_t n) const {
    assert(n == arg_type_lst.size());
    (void)n;
    unsigned int c = code;
    for (size_t i = 0; i < arg_type_lst.size(); ++i) {
      arg_type const& a = arg_type_lst[i];
      assert(a.lo_idx.size() == a.hi_idx.size());
      unsigned int p = 0;
      for (size_t j = 0; j < a.lo_idx.size(); ++j) {
        unsigned int l = a.lo_idx[j], w = a.hi_idx[j] - a.lo_idx[j] + 1;
        unsigned int mask = bit_mask(w) << l;
        unsigned int field = (p >= 32 ? 0 : arg_lst[i] >> p) << l;
        c = (c & ~mask) | (field & mask);
        p += w;
      }
    }
    return c;
  }
};

// Operands an instruction may have, and levels of inner nodes of a tree (the
// registry refuses tables with more).
constexpr size_t MAX_OPERANDS = 4;
constexpr size_t MAX_INNER = 2;

struct disasm_tree_type {
  std::unordered_map<unsigned int, disasm_tree_type*> children;  // empty in a leaf
  unsigned int hi_idx = 0;
  unsigned int lo_idx = 0;
  std::string instr_name;
  std::vector<arg_type> arg_type_lst;
  instr_type const* instr = nullptr;  // leaf: the instruction it names
  // Leaf: the reverse register set of each register operand, found once.
  std::unordered_map<unsigned int, std::string> const* rev_set[MAX_OPERANDS] = {};
};

// One code word decoded by the architecture's tree: the instruction and the
// value of each of its fields as instr_type::assemble takes them, or the
// reason it is no instruction (the disassembler's texts).
struct decoded_type {
  bool valid = false;
  disasm_tree_type const* leaf = nullptr;  // the leaf reached, also when an operand fails
  disasm_tree_type const* inner[MAX_INNER] = {};  // the inner nodes passed, root first
  size_t n_inner = 0;
  unsigned int field[MAX_OPERANDS] = {};
  std::string const* reg[MAX_OPERANDS] = {};  // register operands: the name, lower case
  std::string reason;                          // when not valid
};

// Label names for absolute address operands: the name of each address.
using label_names_type = std::unordered_map<unsigned int, std::string const*>;

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

// Decodes a code word: bits above instr_width, then the walk from the root.
decoded_type decode(arch_type const& arch, unsigned int code);
// The same walk from any node, without the width check.
decoded_type decode_from(arch_type const& arch, disasm_tree_type const* node, unsigned int code);

// Appends the disassembler's text of a valid record: the mnemonic and a blank,
// then the operands separated by ", " (registers upper case, numbers "0x.."),
// absolute addresses that `names` holds written as the label's name.
void print_decoded(std::string& out, decoded_type const& d, label_names_type const* names = nullptr);

// Whether the text of a valid record assembles to exactly `code`: decode admits
// only numbers that pass the encoder's checks, so this is whether the
// instruction's code with the record's fields is the word.
bool reencodes(decoded_type const& d, unsigned int code);

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
