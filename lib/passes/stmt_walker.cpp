// The two assembly passes and the statement walker with every directive.
#include "pass_state.h"

// Word i of a text packed k characters a word, first character lowest, with
// the zero terminator after the last character.
static unsigned int str_word(std::string const& text, unsigned int k, size_t i) {
  unsigned int word = 0;
  for (size_t j = 0; j < k && i * k + j < text.size(); ++j)
    word |= (unsigned int)(unsigned char)text[i * k + j] << (8 * j);
  return word;
}

static void post_error(std::string const& text, std::string const& file, src_range const& where) {
  asm_module::post_msg(text, asm_module::MLV_ERROR, file, where.line, where);
}

// The place of argument i of a statement.
static src_range arg_range(asm_stmt const* s, size_t i) { return range_of((*s->args)[i], s->line); }

arch_type& asm_passes::sel_arch() {
  return pass ? pass->arch : asm_arch::arch_map.at(arch_name);
}

// The name of the architecture cannot change while a pass runs: it is looked
// up once per pass rather than once per word.
asm_passes::pass_state::pass_state(asm_passes& p, arch_type& arch) : arch(arch), owner_(p) {
  p.pass = this;
}

asm_passes::pass_state::~pass_state() { owner_.pass = nullptr; }

void asm_passes::run_assemble_pass1() {
  pass_state state(*this, sel_arch());
  adr_ctr = 0;
  adr_wrapped = false;
  words_placed = 0;
  // Room for the registers and every label at once: a big table is not rehashed.
  size_t labels = 0;
  for (asm_file* f : *ir.file_list)
    for (asm_stmt* s : *f->stmts) labels += text_is(s->opcode, ".label");
  ir.sym_tab.reserve(ir.sym_tab.size() + sel_arch().sym_map.size() + labels);
  for (auto const& s : sel_arch().sym_map) ir.sym_tab[s.first] = s.second;
  if (!ir.file_list->empty()) stmt_walker(ir.file_list->front(), {}, false);
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}

void asm_passes::run_assemble_pass2() {
  pass_state state(*this, sel_arch());
  adr_ctr = 0;
  adr_wrapped = false;
  // Pass 2 starts from the architecture's registers and the labels of pass 1
  // (a label hides a register of its name); the table keeps its entries.
  for (auto it = ir.sym_tab.begin(); it != ir.sym_tab.end();)
    it = it->second.type == STO_LABEL ? std::next(it) : ir.sym_tab.erase(it);
  for (auto const& s : sel_arch().sym_map) ir.sym_tab.emplace(s.first, s.second);
  // Pass 2 places the words that pass 1 counted: the list grows once.
  ir.asm_list.reserve(ir.asm_list.size() + words_placed);
  if (!ir.file_list->empty()) stmt_walker(ir.file_list->front(), {}, true);
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}

// One word placed: the range check (when asked for), then the counter moves on.
// A counter that runs past the top of the address space stays "out of range".
void asm_passes::advance_adr_ctr(std::string const& file, src_range const& where, bool check_range) {
  if (check_range && (adr_wrapped || adr_ctr > max_addr))
    post_error("Address counter exceeds address range.", file, where);
  adr_ctr += 4;
  if (adr_ctr == 0) adr_wrapped = true;
  ++words_placed;
}

void asm_passes::stmt_walker(asm_file* file, std::unordered_map<std::string, int> include_chain,
                             bool second_pass) {
  std::string const& name = file->name;
  include_chain[name] = 0;
  for (asm_stmt* s : *file->stmts) {
    size_t const posted = asm_module::msg_lst.size();
    walk_stmt(s, name, include_chain, second_pass);
    // Messages about an included file name the .include lines that led there.
    if (!walk_sites.empty() && asm_module::msg_lst.size() != posted)
      for (size_t i = posted; i < asm_module::msg_lst.size(); ++i)
        if (asm_module::msg_lst[i].included_from.empty()) asm_module::msg_lst[i].included_from = walk_sites;
  }
}

void asm_passes::walk_stmt(asm_stmt* s, std::string const& name,
                           std::unordered_map<std::string, int> const& include_chain, bool second_pass) {
  std::string const& op = s->opcode;
  // Every directive starts with a dot: an instruction needs no comparisons.
  if (op.empty() || op[0] != '.') {
    instr_walker(s, name, second_pass);
  } else if (text_is(op, ".include")) {
    std::string const& inc = (*s->args)[0]->data;
    if (include_chain.count(inc)) {
      post_error("Detected recursive inluding of file '" + inc + "'.", name, arg_range(s, 0));
    } else {
      auto it = ir.file_map.find(inc);
      if (it != ir.file_map.end()) {
        walk_sites.push_back({name, s->line});
        stmt_walker(it->second, include_chain, second_pass);
        walk_sites.pop_back();
      }
    }
  } else if (text_is(op, ".cmdline")) {
    // applied by the front end
  } else if (text_is(op, ".define")) {
    define_stmt(s, name, second_pass);
  } else if (text_is(op, ".register")) {
    register_stmt(s, name, second_pass);
  } else if (text_is(op, ".org")) {
    org_stmt(s, name, second_pass);
  } else if (text_is(op, ".label")) {
    if (second_pass) return;
    std::string const& label = (*s->args)[0]->data;
    bool const lower = is_lower_case(label);
    auto entry = ir.sym_tab.emplace(lower ? label : tolower(label), sym_type{adr_ctr, STO_LABEL, true});
    if (!entry.second)
      post_error("Symbol '" + toupper(label) + "' already defined.", name, arg_range(s, 0));
    else if (!lower)  // label_name() gives the key itself otherwise
      label_spelling[entry.first->first] = label;
  } else if (text_is(op, ".var")) {
    var_stmt(s, name, second_pass);
  } else if (text_is(op, ".str")) {
    str_stmt(s, name, second_pass);
  } else {
    instr_walker(s, name, second_pass);
  }
}

void asm_passes::define_stmt(asm_stmt* s, std::string const& file, bool second_pass) {
  std::string const& sym = (*s->args)[0]->data;
  auto upper = [&sym] { return toupper(sym); };  // for messages only
  bool valid;
  unsigned int v = expression_walker((*s->args)[1], valid, file, s->line, 2, false, second_pass, !second_pass);
  // One look-up: the entry is created here when the name is new.
  auto entry = ir.sym_tab.try_emplace(tolower(sym));
  sym_type& slot = entry.first->second;
  if (!entry.second && slot.type != STO_VAR) {
    post_error("Symbol '" + upper() + "' already defined as register, label, or user defined register.", file,
               arg_range(s, 0));
  } else {
    if (!entry.second && !second_pass)
      asm_module::post_msg("Overwriting previous value of variable '" + upper() + "'.",
                           asm_module::MLV_WARNING, file, s->line, arg_range(s, 0));
    slot = sym_type{v, STO_VAR, valid};
  }
  if (second_pass && !valid)
    post_error("Expression for variable '" + upper() + "' cannot be evaluated during second assembling pass.", file,
               arg_range(s, 1));
}

void asm_passes::register_stmt(asm_stmt* s, std::string const& file, bool second_pass) {
  std::string const& sym = (*s->args)[0]->data;
  auto upper = [&sym] { return toupper(sym); };  // for messages only
  std::string key = tolower(sym);
  bool valid;
  unsigned int v = expression_walker((*s->args)[1], valid, file, s->line, 2, true, true, !second_pass);
  if (ir.sym_tab.count(key)) {
    post_error("Symbol '" + upper() + "' already defined.", file, arg_range(s, 0));
  } else if (valid) {
    ir.sym_tab.emplace(std::move(key), sym_type{v, STO_USER_REG, true});
  } else if (!second_pass) {
    post_error("Expression for register '" + upper() + "' cannot be evaluated during first assembling pass.", file,
               arg_range(s, 1));
  }
}

void asm_passes::org_stmt(asm_stmt* s, std::string const& file, bool second_pass) {
  src_range const at = arg_range(s, 0);
  bool valid;
  unsigned int v = expression_walker((*s->args)[0], valid, file, s->line, 1, false, true, !second_pass);
  if (!valid) {
    if (!second_pass)
      post_error("Expression of org directive cannot be devaluated during first assembling pass.", file, at);
  } else if (adr_wrapped || v < adr_ctr) {
    post_error("Relocation of address counter overwrites previously assembled results.", file, at);
  } else if (v % 4 != 0) {
    post_error("Address counter relocation is only supported for integer multiples of 4.", file, at);
  } else if (v > max_addr) {
    post_error("Address counter relocation leaves valid address range.", file, at);
  } else {
    adr_ctr = v;
  }
}

void asm_passes::var_stmt(asm_stmt* s, std::string const& file, bool second_pass) {
  asm_args const& args = *s->args;
  if (args.size() != 1 && args.size() != 2) {
    post_error("Variable directive requires 1 or 2 arguments.", file, range_of(s));
    return;
  }
  unsigned int const iw = sel_arch().instr_width;
  bool valid;
  unsigned int v = expression_walker(args[0], valid, file, s->line, 1, false, second_pass, !second_pass);
  if (second_pass && !valid)
    post_error("First expression of variable directive cannot be devaluated during second assembling pass.", file,
               arg_range(s, 0));
  unsigned int w = iw;
  if (args.size() == 2) {
    w = expression_walker(args[1], valid, file, s->line, 2, false, second_pass, !second_pass);
    if (second_pass && !valid)
      post_error("Second expression of variable directive cannot be devaluated during second assembling pass.", file,
                 arg_range(s, 1));
  }
  if (w > iw)
    post_error("Expression value " + num2str(w) + " of argument 2 must be less than or equal to the instruction width, which is " +
                   num2str(iw) + ".", file, arg_range(s, 1));
  // The same rule as for instruction operands; a width of 0 admits only 0.
  if (!fits_in_bits(v, w))
    post_error("Expression value " + num2hexstr(v) + " of argument 1 cannot be represented with " + num2str(w) + " bits.",
               file, arg_range(s, 0));
  if (second_pass) ir.asm_list.emplace_back(adr_ctr, low_bits(v, w), file, s->line);
  advance_adr_ctr(file, range_of(s), true);
}

void asm_passes::str_stmt(asm_stmt* s, std::string const& file, bool second_pass) {
  asm_args const& args = *s->args;
  unsigned int const per_word_max = sel_arch().instr_width / 8;
  unsigned int k = 1;
  if (args.size() > 1) {
    bool valid;
    k = expression_walker(args[1], valid, file, s->line, 1, false, second_pass, !second_pass);
    // As with .org: a count that pass 1 cannot know would move every later
    // label between the passes, so it must be known there and places nothing.
    if (!second_pass && !valid) {
      post_error("Second expression of string directive cannot be devaluated during first assembling pass.", file,
                 arg_range(s, 1));
      return;
    }
    if (second_pass && !valid)
      post_error("Second expression of string directive cannot be devaluated during second assembling pass.", file,
                 arg_range(s, 1));
  }
  if (k == 0 || k > per_word_max) {
    post_error("Second parameter of string directive must be in the range 1 to " + num2str(per_word_max) + ".", file,
               args.size() > 1 ? arg_range(s, 1) : range_of(s));
    return;
  }
  std::string const& text = args[0]->data;
  size_t const words = text.size() / k + 1;  // the zero terminator included
  if (second_pass) str_words[ir.asm_list.size()] = words;
  bool reported = false;
  for (size_t i = 0; i < words; ++i) {
    if (second_pass) ir.asm_list.emplace_back(adr_ctr, str_word(text, k, i), file, s->line);
    // Each string reports an address overflow once, however many words run over.
    bool over = adr_wrapped || adr_ctr > max_addr;
    advance_adr_ctr(file, range_of(s), over && !reported);
    reported = reported || over;
  }
}
