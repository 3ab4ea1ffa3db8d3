// Instruction statements: the look-up of the mnemonic, the argument count,
// register and numeric operands, and the code word.
#include <cassert>

#include "pass_state.h"

namespace {

void error(std::string const& text, std::string const& file, src_range const& where) {
  asm_module::post_msg(text, asm_module::MLV_ERROR, file, where.line, where);
}

}  // namespace

void asm_passes::instr_walker(asm_stmt* s, std::string const& file, bool second_pass) {
  instr_type const* instr = find_instr(s, file);
  if (!instr || !check_arg_count(*instr, s, file)) return;
  std::vector<arg_type> const& tmpl = instr->arg_type_lst;
  asm_args const& args = *s->args;
  std::vector<unsigned int> local;
  std::vector<unsigned int>& vals = pass ? pass->arg_vals : local;
  vals.assign(tmpl.size(), 0);
  // An operand that fails keeps 0; the others are still checked.
  for (size_t i = 0; i < tmpl.size(); ++i) {
    asm_expr* arg = i < args.size() ? args[i] : nullptr;
    src_range const at = arg ? range_of(arg, s->line) : range_of(s);
    if (tmpl[i].type == ATO_REG)
      vals[i] = reg_operand(tmpl[i], arg, i + 1, file, at);
    else
      vals[i] = num_operand(tmpl[i], arg, i + 1, file, at, second_pass);
  }
  if (!second_pass && instr->obsolete)
    asm_module::post_msg("Assembling obsolete instruction '" + toupper(s->opcode) + "'.",
                         asm_module::MLV_WARNING, file, s->line, range_of(s));
  if (second_pass) ir.asm_list.emplace_back(adr_ctr, instr->assemble(vals), file, s->line);
  advance_adr_ctr(file, range_of(s), true);
}

instr_type const* asm_passes::find_instr(asm_stmt* s, std::string const& file) {
  arch_type& arch = sel_arch();
  auto it = is_lower_case(s->opcode) ? arch.instr_map.find(s->opcode) : arch.instr_map.find(tolower(s->opcode));
  if (it == arch.instr_map.end()) {
    error("Instruction '" + toupper(s->opcode) + "' is not available in selected architecture.", file, range_of(s));
    return nullptr;
  }
  return &it->second;
}

bool asm_passes::check_arg_count(instr_type const& instr, asm_stmt* s, std::string const& file) {
  size_t const total = instr.arg_type_lst.size();
  size_t mandatory = 0;
  bool found_opt = false;
  for (arg_type const& a : instr.arg_type_lst) {
    assert(!found_opt || a.optarg_en);
    found_opt = found_opt || a.optarg_en;
    if (!found_opt) mandatory++;
  }
  size_t const n = s->args->size();
  if (n >= mandatory && n <= total) return true;
  std::string const expects = "Instruction '" + toupper(s->opcode) + "' expects ";
  if (mandatory == total) error(expects + num2str(total) + " argument(s).", file, range_of(s));
  else error(expects + num2str(mandatory) + " to " + num2str(total) + " argument(s).", file, range_of(s));
  return false;
}

unsigned int asm_passes::reg_operand(arg_type const& a, asm_expr* e, size_t n, std::string const& file,
                                     src_range const& where) {
  assert(!a.optarg_en);
  auto expecting = [&](char const* article, char const* found) {
    error(std::string("Expecting ") + article + "register symbol of type '" + toupper(a.regtype) +
              "' or a user defined register symbol as argument " + num2str(n) + " but found " + found + ".",
          file, where);
  };
  if (!text_is(e->opcode, "ident")) {
    expecting("a ", "an expression");
    return 0;
  }
  arch_type& arch = sel_arch();
  std::string lowered;
  std::string const& key = is_lower_case(e->data) ? e->data : (lowered = tolower(e->data));
  auto sym = ir.sym_tab.find(key);
  if (sym == ir.sym_tab.end()) {
    error("Undefined symbol '" + toupper(e->data) + "' in argument " + num2str(n) + ".", file, where);
    return 0;
  }
  unsigned int const value = sym->second.value;
  if (sym->second.type == STO_REG) {
    auto set = arch.reg_map.find(a.regtype);
    if (set == arch.reg_map.end() || !set->second.count(key)) {
      expecting("", "a register symbol of another type");
      return 0;
    }
  } else if (sym->second.type == STO_USER_REG) {
    auto set = arch.rev_reg_map.find(a.regtype);
    if (set == arch.rev_reg_map.end() || !set->second.count(value)) {
      error("User defined register symbol '" + toupper(e->data) + "' has unexpected value " + num2hexstr(value) +
                " in argument " + num2str(n) + ".",
            file, where);
      return 0;
    }
  } else {
    expecting("a ", "a variable");
    return 0;
  }
  return value;
}

unsigned int asm_passes::num_operand(arg_type const& a, asm_expr* e, size_t n, std::string const& file,
                                     src_range const& where, bool second_pass) {
  unsigned int v = a.optarg_val;  // an omitted optional operand
  if (e) {
    bool valid;  // not consulted: pass 2 has reported whatever made it false
    v = expression_walker(e, valid, file, where.line, (unsigned int)n, false, second_pass, !second_pass);
  }
  operand_check_type const c = check_operand(a, v);
  if (!c.fits) {
    if (second_pass)
      error("Expression value " + num2hexstr(v) + " of argument " + num2str(n) + " cannot be represented with " +
                num2str(c.width) + " bits.",
            file, where);
    return 0;
  }
  if (second_pass && !c.in_range)
    error("Expression value " + num2hexstr(c.masked) + " of argument " + num2str(n) + " is out of range [" +
              num2hexstr(a.lo_val) + ", " + num2hexstr(a.hi_val) + "].",
          file, where);
  if (second_pass && !c.aligned)
    error("Expression value " + num2hexstr(c.masked) + " of argument " + num2str(n) + " must be an inter multiple of " +
              num2str(1ull << a.shft_val) + ".",
          file, where);
  return c.field;
}
