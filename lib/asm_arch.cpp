// Architecture registry: reads the instruction-set tables (plain data, arch_tables.h) into
// arch_type records, and the disassembler walk over their decision trees.
#include "asm_arch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "asm_utils.h"

std::unordered_map<std::string, arch_type> asm_arch::arch_map;

asm_arch::asm_arch() {
  initilize_arch_zqs24_1();
  initilize_arch_zqs24_2();
  initilize_arch_zqs24_3();
  initilize_arch_zqs24_4();
  initilize_arch_zqs16_1();
}

void asm_arch::initilize_arch_zqs24_1() { register_arch(zqs24_1_table); }
void asm_arch::initilize_arch_zqs24_2() { register_arch(zqs24_2_table); }
void asm_arch::initilize_arch_zqs24_3() { register_arch(zqs24_3_table); }
void asm_arch::initilize_arch_zqs24_4() { register_arch(zqs24_4_table); }
void asm_arch::initilize_arch_zqs16_1() { register_arch(zqs16_1_table); }

void asm_arch::register_arch(arch_table const& t) {
  register_arch(t.head, t.regsets, t.n_regsets, t.instrs, t.n_instrs, t.tree, t.n_tree);
}

std::vector<std::string> asm_arch::ordered_names() {
  std::vector<std::string> v;
  v.reserve(arch_map.size());
  for (auto const& p : arch_map) v.push_back(p.first);
  std::sort(v.begin(), v.end(), [](std::string const& a, std::string const& b) {
    arch_type const& x = arch_map.at(a);
    arch_type const& y = arch_map.at(b);
    if (x.data_width != y.data_width) return x.data_width > y.data_width;
    if (x.version != y.version) return x.version < y.version;
    return a < b;
  });
  return v;
}

namespace {

// Checks that hold whatever the build type (assert() vanishes with NDEBUG).
[[noreturn]] void internal_assert(char const* what) {
  fprintf(stderr, "Assertion failed: %s\n", what);
  abort();
}
#define ARCH_ASSERT(cond) \
  do {                    \
    if (!(cond)) internal_assert(#cond); \
  } while (0)

// A fault in an architecture table: say where and stop.
[[noreturn]] void table_fault(std::string const& arch, std::string const& row, std::string const& what) {
  fprintf(stderr, "Malformed table of architecture %s, row \"%s\": %s\n", arch.c_str(), row.c_str(),
          what.c_str());
  abort();
}

// Reads the notation of one table cell; every fault names the cell.
class cell_reader {
 public:
  cell_reader(std::string const& arch, std::string const& row, char const* text)
      : arch_(arch), row_(row), p_(text) {}

  [[noreturn]] void fault(std::string const& what) const {
    table_fault(arch_, row_, what + (*p_ ? " at \"" + std::string(p_) + "\"" : " at its end"));
  }
  bool at_end() const { return *p_ == '\0'; }
  bool peek(char c) const { return *p_ == c; }
  bool accept(char const* tok) {
    size_t n = 0;
    while (tok[n] && p_[n] == tok[n]) ++n;
    if (tok[n]) return false;
    p_ += n;
    return true;
  }
  void expect(char const* tok) {
    if (!accept(tok)) fault(std::string("expected \"") + tok + "\"");
  }
  // Lower-case name: register set or register.
  std::string name() {
    char const* s = p_;
    while ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= '0' && *p_ <= '9') || *p_ == '_') ++p_;
    if (s == p_ || (*s >= '0' && *s <= '9')) fault("expected a lower-case name");
    return std::string(s, p_);
  }
  // "0x" hexadecimal or decimal, at most 32 bits.
  unsigned int number() {
    int base = 10;
    if (p_[0] == '0' && p_[1] == 'x') {
      base = 16;
      p_ += 2;
    }
    unsigned long long v = 0;
    char const* s = p_;
    for (;; ++p_) {
      int d;
      if (*p_ >= '0' && *p_ <= '9') d = *p_ - '0';
      else if (base == 16 && *p_ >= 'A' && *p_ <= 'F') d = *p_ - 'A' + 10;
      else break;
      v = v * base + d;
      if (v > 0xFFFFFFFFull) fault("number above 32 bits");
    }
    if (s == p_) fault("expected a number");
    return (unsigned int)v;
  }

 private:
  std::string arch_;
  std::string row_;
  char const* p_;
};

// Mask of the code bits hi..lo.
unsigned int selector_mask(unsigned int hi, unsigned int lo) { return bit_mask(hi - lo + 1) << lo; }

// Mask of the code bits covered by a template's slices.
unsigned int field_mask(arg_type const& a) {
  unsigned int m = 0;
  for (size_t k = 0; k < a.lo_idx.size(); ++k) m |= selector_mask(a.hi_idx[k], a.lo_idx[k]);
  return m;
}

bool fits(unsigned long long v, unsigned int width) { return width >= 64 || (v >> width) == 0; }

// "[hi:lo,bit,...]" into the template's slice lists.
void read_slices(cell_reader& r, arg_type& a) {
  a.lo_idx.clear();
  a.hi_idx.clear();
  r.expect("[");
  do {
    unsigned int hi = r.number(), lo = hi;
    if (r.accept(":")) lo = r.number();
    if (hi > 31 || lo > hi) r.fault("bad bit slice");
    if (field_mask(a) & selector_mask(hi, lo)) r.fault("bit slices overlap");
    a.hi_idx.push_back(hi);
    a.lo_idx.push_back(lo);
  } while (r.accept(","));
  r.expect("]");
}

// The operand list of one instruction row.
std::vector<arg_type> read_args(arch_type const& arch, std::string const& arch_name,
                                arch_instr_row const& row) {
  std::vector<arg_type> lst;
  cell_reader r(arch_name, row.mnemonic, row.args);
  unsigned int used = 0;  // bits taken by earlier operands
  while (!r.at_end()) {
    if (!lst.empty()) r.expect("; ");
    arg_type a;
    a.is_address = r.accept("addr ");
    if (a.is_address && !r.peek('0')) r.fault("an address operand must be numeric");
    if (r.peek('0')) {
      a.type = ATO_RANGE;
      a.regtype.clear();
      a.lo_val = r.number();
      r.expect("..");
      a.hi_val = r.number();
      if (a.lo_val > a.hi_val) r.fault("empty range");
      r.expect(" ");
      if (r.accept(">>")) {
        a.shft_val = r.number();
        if (a.shft_val > 31) r.fault("bad shift");
        r.expect(" ");
      }
      read_slices(r, a);
      if (!fits((unsigned long long)a.hi_val >> a.shft_val, slice_width(a)))
        r.fault("range does not fit its bit slices");
    } else {
      a.type = ATO_REG;
      a.regtype = r.name();
      auto set = arch.rev_reg_map.find(a.regtype);
      if (set == arch.rev_reg_map.end()) r.fault("unknown register set '" + a.regtype + "'");
      read_slices(r, a);
      for (auto const& reg : set->second)
        if (!fits(reg.first, slice_width(a))) r.fault("register value does not fit its bit slices");
    }
    if (r.accept(" opt=")) {
      // The encoder supplies omitted values for trailing numeric operands only.
      if (a.type != ATO_RANGE) r.fault("a register operand cannot be optional");
      a.optarg_en = true;
      a.optarg_val = r.number();
      if (a.optarg_val < a.lo_val || a.optarg_val > a.hi_val) r.fault("default outside the range");
    } else if (!lst.empty() && lst.back().optarg_en) {
      r.fault("a mandatory operand follows an optional one");
    }
    unsigned int m = field_mask(a);
    if (m & used) r.fault("operand overlaps an earlier operand");
    if (m & row.code) r.fault("base code has bits set inside an operand field");
    if (arch.instr_width < 32 && (m >> arch.instr_width) != 0)
      r.fault("operand field above the instruction width");
    used |= m;
    lst.push_back(a);
  }
  if (lst.size() > MAX_OPERANDS) r.fault("more than " + std::to_string(MAX_OPERANDS) + " operands");
  return lst;
}

// Owns every node of the registered decision trees: the registry lives until the
// process ends, and its trees are freed with it (the nodes only point at each other).
std::vector<std::unique_ptr<disasm_tree_type>> tree_nodes;

disasm_tree_type* new_node() {
  tree_nodes.push_back(std::make_unique<disasm_tree_type>());
  return tree_nodes.back().get();
}

disasm_tree_type* new_inner(unsigned int hi, unsigned int lo) {
  disasm_tree_type* n = new_node();
  n->hi_idx = hi;
  n->lo_idx = lo;
  return n;
}

}  // namespace

void asm_arch::register_arch(arch_head_type const& head, arch_regset_row const* regsets,
                             size_t n_regsets, arch_instr_row const* instrs, size_t n_instrs,
                             arch_tree_row const* tree, size_t n_tree) {
  std::string const name = head.name;
  if (arch_map.count(name)) return;
  if (head.root_lo > head.root_hi || head.root_hi > 31 || head.inner_lo > head.inner_hi ||
      head.inner_hi > 31)
    table_fault(name, "head", "bad selector bits");

  arch_type& arch = arch_map[name];
  arch.data_width = head.data_width;
  arch.instr_width = head.instr_width;
  arch.version = head.version;

  for (size_t i = 0; i < n_regsets; ++i) {
    arch_regset_row const& row = regsets[i];
    if (arch.reg_map.count(row.name)) table_fault(name, row.name, "register set listed twice");
    std::unordered_map<std::string, unsigned int> regs;
    std::unordered_map<unsigned int, std::string> rev;
    cell_reader r(name, row.name, row.regs);
    while (!r.at_end()) {
      if (!regs.empty()) r.expect(" ");
      std::string reg = r.name();
      r.expect("=");
      unsigned int v = r.number();
      if (!regs.emplace(reg, v).second) r.fault("register '" + reg + "' listed twice");
      if (!rev.emplace(v, reg).second) r.fault("register value listed twice");
    }
    arch.reg_map[row.name] = regs;
    arch.rev_reg_map[row.name] = rev;
    arch.regset_order.push_back(row.name);
  }

  for (size_t i = 0; i < n_instrs; ++i) {
    arch_instr_row const& row = instrs[i];
    cell_reader(name, row.mnemonic, row.mnemonic).name();
    if (arch.instr_width < 32 && (row.code >> arch.instr_width) != 0)
      table_fault(name, row.mnemonic, "code above the instruction width");
    if (arch.instr_map.count(row.mnemonic)) table_fault(name, row.mnemonic, "instruction listed twice");
    instr_type ins;
    ins.code = row.code;
    ins.arg_type_lst = read_args(arch, name, row);
    ins.obsolete = row.obsolete;
    arch.instr_map[row.mnemonic] = ins;
    arch.instr_order.push_back(row.mnemonic);
  }

  unsigned int const root_max = selector_mask(head.root_hi - head.root_lo, 0);
  unsigned int const inner_max = selector_mask(head.inner_hi - head.inner_lo, 0);
  disasm_tree_type* root = new_inner(head.root_hi, head.root_lo);
  for (size_t i = 0; i < n_tree; ++i) {
    arch_tree_row const& row = tree[i];
    std::string const where = "tree " + std::to_string(row.root_sel) + " " +
                              std::to_string(row.inner_sel) + " " + row.instr;
    auto ins = arch.instr_map.find(row.instr);
    if (ins == arch.instr_map.end()) table_fault(name, where, "no such instruction");
    if (row.root_sel < 0 || (unsigned int)row.root_sel > root_max || row.inner_sel < -1 ||
        (row.inner_sel >= 0 && (unsigned int)row.inner_sel > inner_max))
      table_fault(name, where, "selector value does not fit its bits");
    // The leaf's path must be the selector bits of its code, and no operand may sit there.
    unsigned int const code = ins->second.code;
    unsigned int path_mask = selector_mask(head.root_hi, head.root_lo);
    if (bit_field(code, head.root_hi, head.root_lo) != (unsigned int)row.root_sel)
      table_fault(name, where, "code does not match the root selector");
    if (row.inner_sel >= 0) {
      path_mask |= selector_mask(head.inner_hi, head.inner_lo);
      if (bit_field(code, head.inner_hi, head.inner_lo) != (unsigned int)row.inner_sel)
        table_fault(name, where, "code does not match the inner selector");
    }
    for (arg_type const& a : ins->second.arg_type_lst)
      if (field_mask(a) & path_mask) table_fault(name, where, "an operand covers selector bits");

    disasm_tree_type*& slot = root->children[row.root_sel];
    disasm_tree_type* parent = root;
    unsigned int key = row.root_sel;
    if (row.inner_sel >= 0) {
      if (!slot) slot = new_inner(head.inner_hi, head.inner_lo);
      else if (slot->children.empty()) table_fault(name, where, "root value already holds a leaf");
      parent = slot;
      key = row.inner_sel;
    }
    disasm_tree_type*& leaf = parent->children[key];
    if (leaf) table_fault(name, where, "selector value already taken");
    leaf = new_node();
    leaf->instr_name = row.instr;
    leaf->arg_type_lst = ins->second.arg_type_lst;
    leaf->instr = &ins->second;
    for (size_t k = 0; k < leaf->arg_type_lst.size(); ++k)
      if (leaf->arg_type_lst[k].type == ATO_REG) leaf->rev_set[k] = &arch.rev_reg_map.at(leaf->arg_type_lst[k].regtype);
  }
  arch.disasm_tree = root;

  arch.install_sym_map();
}

void arch_type::install_sym_map() {
  ARCH_ASSERT(instr_width <= 32);
  ARCH_ASSERT(data_width <= 32);
  for (auto const& set : reg_map) {
    for (auto const& reg : set.second) {
      auto it = sym_map.find(reg.first);
      if (it == sym_map.end()) {
        sym_type s;
        s.value = reg.second;
        s.type = STO_REG;
        s.assignable = false;
        sym_map.emplace(reg.first, s);
      } else if (it->second.type != STO_REG || it->second.value != reg.second) {
        throw std::string("Equal register symbol names of different regsets must have same values");
      }
    }
  }
}

namespace {

std::string bad_code(unsigned int code) {
  return "Invalid instruction code " + num2hexstr(code) + ". ";
}

// The reason text for operand i (0-based) of the leaf.
std::string bad_operand(unsigned int code, disasm_tree_type const* leaf, size_t i) {
  std::string e = bad_code(code) + "Argument " + std::to_string(i + 1) + " of instruction ";
  append_upper(e, leaf->instr_name);
  return e;
}

}  // namespace

decoded_type decode(arch_type const& arch, unsigned int code) {
  if (arch.instr_width <= 31 && (code >> arch.instr_width) != 0) {
    decoded_type d;
    d.reason = bad_code(code) + "Bits " + num2str(arch.instr_width) + " to 31 must be zero for this architecture.";
    return d;
  }
  return decode_from(arch, arch.disasm_tree, code);
}

decoded_type decode_from(arch_type const& arch, disasm_tree_type const* node, unsigned int code) {
  decoded_type d;
  if (!node) {
    d.reason = "ZQS architecture has invalid disam_tree.";
    return d;
  }
  // The tree is shallow: descend iteratively.
  while (!node->children.empty()) {
    if (d.n_inner < MAX_INNER) d.inner[d.n_inner++] = node;
    auto it = node->children.find(bit_field(code, node->hi_idx, node->lo_idx));
    if (it == node->children.end() || !it->second) {
      d.reason = bad_code(code) + "Bad bit slice " + std::to_string(node->lo_idx) + " to " +
                 std::to_string(node->hi_idx) + ".";
      return d;
    }
    node = it->second;
  }
  d.leaf = node;
  std::vector<arg_type> const& args = node->arg_type_lst;
  for (size_t i = 0; i < args.size() && i < MAX_OPERANDS; ++i) {
    arg_type const& a = args[i];
    // The field's value: the first slice gives the least significant bits.
    unsigned int v = 0, p = 0;
    for (size_t k = 0; k < a.lo_idx.size() && k < a.hi_idx.size(); ++k) {
      if (p < 32) v |= bit_field(code, a.hi_idx[k], a.lo_idx[k]) << p;
      p += a.hi_idx[k] - a.lo_idx[k] + 1;
    }
    d.field[i] = v;
    if (a.type == ATO_REG) {
      auto const* set = node->rev_set[i];
      if (!set) {  // a leaf built outside the registry
        auto it = arch.rev_reg_map.find(a.regtype);
        set = it == arch.rev_reg_map.end() ? nullptr : &it->second;
      }
      if (set) {
        auto r = set->find(v);
        if (r != set->end()) d.reg[i] = &r->second;
      }
      if (!d.reg[i]) {
        d.reason = bad_operand(code, node, i) + " is not of type ";
        append_upper(d.reason, a.regtype);
        return d;
      }
    } else {
      // The encoder's rule: what it accepts is what decodes (so the text assembles to the fields).
      unsigned long long const value = (unsigned long long)v << a.shft_val;
      if (value > 0xFFFFFFFFull || !check_operand(a, (unsigned int)value).ok()) {
        d.reason = bad_operand(code, node, i) + " is out of valid range " + num2hexstr(a.lo_val) + " to " +
                   num2hexstr(a.hi_val) + ".";
        return d;
      }
    }
  }
  d.valid = true;
  return d;
}

void print_decoded(std::string& out, decoded_type const& d, label_names_type const* names) {
  append_upper(out, d.leaf->instr_name);
  out += ' ';
  std::vector<arg_type> const& args = d.leaf->arg_type_lst;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) out += ", ";
    arg_type const& a = args[i];
    if (a.type == ATO_REG) {
      append_upper(out, *d.reg[i]);
      continue;
    }
    unsigned int const value = d.field[i] << a.shft_val;  // within hi_val: decode checked it
    if (names && a.is_address) {
      auto it = names->find(value);
      if (it != names->end()) {
        out += *it->second;
        continue;
      }
    }
    append_hex(out, value);
  }
}

bool reencodes(decoded_type const& d, unsigned int code) {
  // A register name assembles to its field value, a number that decoded passes
  // the encoder's checks: the text gives back the fields.
  return d.leaf->instr->assemble(d.field, d.leaf->arg_type_lst.size()) == code;
}

std::string arch_type::disasm_tree_walker(disasm_tree_type* node, unsigned int code) {
  decoded_type d = decode_from(*this, node, code);
  if (!d.valid) throw d.reason;
  std::string text;
  text.reserve(48);
  print_decoded(text, d);
  return text;
}
