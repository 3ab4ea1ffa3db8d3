// Instruction statements: look-up, argument matching and the code word.
#include <cassert>

#include "asm_passes.h"

namespace {

// Total field width of a numeric template: its slices plus the dropped low bits.
unsigned int field_width(arg_type const& a) {
  unsigned int w = a.shft_val;
  for (size_t j = 0; j < a.lo_idx.size(); ++j) w += a.hi_idx[j] - a.lo_idx[j] + 1;
  return w;
}

bool representable(unsigned int v, unsigned int w) {
  if (w >= 32) return true;
  int sv = (int)v;
  if (sv >= 0) return (unsigned long long)sv <= (1ull << w) - 1;
  return w > 0 && (long long)sv >= -(1ll << (w - 1));
}

// Memo slot of a name (and of a register set): a cheap hash, names are short.
size_t memo_slot(std::string const& s, size_t h = 0) {
  h += s.size();
  for (char c : s) h = h * 31 + (unsigned char)c;
  return h & (asm_passes::MEMO_SIZE - 1);
}

}  // namespace

void asm_passes::clear_memo() {
  size_t stmts = 0;
  for (asm_file* f : *ir.file_list) stmts += f->stmts->size();
  if (stmts < MEMO_SIZE) {
    instr_memo.clear();
    reg_memo.clear();
    return;
  }
  instr_memo.assign(MEMO_SIZE, instr_memo_type());
  reg_memo.assign(MEMO_SIZE, reg_memo_type());
}

void asm_passes::instr_walker(asm_stmt* s, std::string const& file, bool second_pass) {
  // Names and numbers in messages are only spelled out when a message is posted.
  auto name = [s] { return toupper(s->opcode); };
  unsigned int const line = s->line;
  auto error = [&](std::string const& text) {
    asm_module::post_msg(text, asm_module::MLV_ERROR, file, line);
  };
  arch_type& arch_rec = sel_arch();
  bool const memo = pass_arch != nullptr && !instr_memo.empty();  // it holds within a pass only
  instr_memo_type* im = memo ? &instr_memo[memo_slot(s->opcode)] : nullptr;
  instr_type const* found = im && im->instr && im->name == s->opcode ? im->instr : nullptr;
  if (!found) {
    auto it = is_lower_case(s->opcode) ? arch_rec.instr_map.find(s->opcode)
                                        : arch_rec.instr_map.find(tolower(s->opcode));
    if (it == arch_rec.instr_map.end()) {
      error("Instruction '" + name() + "' is not available in selected architecture.");
      return;
    }
    found = &it->second;
    if (im) {
      im->name = s->opcode;
      im->instr = found;
    }
  }
  instr_type const& instr = *found;
  std::vector<arg_type> const& tmpl = instr.arg_type_lst;
  std::vector<asm_expr*> const& args = *s->args;
  size_t total = tmpl.size(), mandatory = 0;
  bool found_opt = false;
  for (arg_type const& a : tmpl) {
    assert(!found_opt || a.optarg_en);
    found_opt = found_opt || a.optarg_en;
    if (!found_opt) mandatory++;
  }
  if (args.size() < mandatory || args.size() > total) {
    if (mandatory == total)
      error("Instruction '" + name() + "' expects " + num2str(total) + " argument(s).");
    else
      error("Instruction '" + name() + "' expects " + num2str(mandatory) + " to " + num2str(total) + " argument(s).");
    return;
  }

  std::vector<unsigned int>& arg_vals = arg_vals_scratch;
  arg_vals.assign(total, 0);
  for (size_t i = 0; i < total; ++i) {
    arg_type const& a = tmpl[i];
    auto n = [i] { return num2str(i + 1); };
    if (a.type == ATO_REG) {
      assert(!a.optarg_en);
      auto regtype = [&a] { return toupper(a.regtype); };
      asm_expr* e = args[i];
      if (!text_is(e->opcode, "ident")) {
        error("Expecting a register symbol of type '" + regtype() +
              "' or a user defined register symbol as argument " + n() + " but found an expression.");
        continue;
      }
      reg_memo_type* rm =
          memo ? &reg_memo[memo_slot(e->data, a.regtype.empty() ? 0 : (unsigned char)a.regtype[0])] : nullptr;
      if (rm && rm->used && rm->name == e->data && rm->regtype == a.regtype) {
        arg_vals[i] = rm->value;
        continue;
      }
      std::string lowered;
      std::string const& key = is_lower_case(e->data) ? e->data : (lowered = tolower(e->data));
      // A register operand that passes; the memo keeps it for the next use.
      auto accept_register = [&](unsigned int value) {
        arg_vals[i] = value;
        if (rm) {
          rm->name = e->data;
          rm->regtype = a.regtype;
          rm->value = value;
          rm->used = true;
        }
      };
      auto sym = ir.sym_tab.find(key);
      if (sym == ir.sym_tab.end()) {
        error("Undefined symbol '" + toupper(e->data) + "' in argument " + n() + ".");
      } else if (sym->second.type == STO_REG) {
        auto set = arch_rec.reg_map.find(a.regtype);
        if (set != arch_rec.reg_map.end() && set->second.count(key)) {
          accept_register(sym->second.value);
        } else
          error("Expecting register symbol of type '" + regtype() +
                "' or a user defined register symbol as argument " + n() + " but found a register symbol of another type.");
      } else if (sym->second.type == STO_USER_REG) {
        // A user register, once defined, keeps its value for the rest of the pass.
        auto set = arch_rec.rev_reg_map.find(a.regtype);
        if (set != arch_rec.rev_reg_map.end() && set->second.count(sym->second.value)) {
          accept_register(sym->second.value);
        } else
          error("User defined register symbol '" + toupper(e->data) + "' has unexpected value " +
                num2hexstr(sym->second.value) + " in argument " + n() + ".");
      } else {
        error("Expecting a register symbol of type '" + regtype() +
              "' or a user defined register symbol as argument " + n() + " but found a variable.");
      }
      continue;
    }
    unsigned int v;
    if (a.optarg_en && args.size() < i + 1) {
      v = a.optarg_val;
    } else {
      bool valid;
      v = expression_walker(args[i], valid, file, line, (unsigned)(i + 1), false, second_pass, !second_pass);
    }
    unsigned int const w = field_width(a);
    if (!representable(v, w)) {
      if (second_pass)
        error("Expression value " + num2hexstr(v) + " of argument " + n() + " cannot be represented with " + num2str(w) + " bits.");
      continue;
    }
    unsigned int m = w >= 32 ? v : (unsigned int)(v & ((1ull << w) - 1));
    if (second_pass && (m < a.lo_val || m > a.hi_val))
      error("Expression value " + num2hexstr(m) + " of argument " + n() + " is out of range [" + num2hexstr(a.lo_val) + ", " +
            num2hexstr(a.hi_val) + "].");
    if (second_pass && a.shft_val > 0 && (m & ((1u << a.shft_val) - 1)) != 0)
      error("Expression value " + num2hexstr(m) + " of argument " + n() + " must be an inter multiple of " +
            num2str(1ull << a.shft_val) + ".");
    arg_vals[i] = m >> a.shft_val;
  }

  if (!second_pass && instr.obsolete)
    asm_module::post_msg("Assembling obsolete instruction '" + name() + "'.", asm_module::MLV_WARNING, file, line);
  if (second_pass) ir.asm_list.emplace_back(adr_ctr, instr.assemble(arg_vals), file, line);
  advance_adr_ctr(file, line, true);
}
