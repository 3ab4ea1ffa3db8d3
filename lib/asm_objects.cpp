// The message list and the syntax-tree nodes.
#include "asm_objects.h"

#include "asm_utils.h"

std::vector<asm_module::msg_element> asm_module::msg_lst;
unsigned int asm_module::msg_ctr[4] = {0, 0, 0, 0};

void asm_module::post_msg(std::string text, MSG_LEVEL level, std::string file, unsigned int line) {
  msg_lst.push_back(msg_element{std::move(text), level, std::move(file), line});
  if ((unsigned)level < 4) msg_ctr[level]++;
  if (level == MLV_FATAL) throw std::string(MSG_FATAL_THROW);
}

std::string asm_module::print_msg_list() {
  static char const* const names[] = {"FATAL ERROR", "ERROR", "WARNING", "INFO"};
  std::string out;
  for (msg_element const& m : msg_lst) {
    if ((unsigned)m.level < 4) out += names[m.level];
    if (!m.file.empty()) out += " " + m.file + ":" + num2str(m.line);
    out += "> ";
    out += m.text;
    out += "\n";
  }
  return out;
}

bool asm_module::has_errors() { return msg_ctr[MLV_FATAL] || msg_ctr[MLV_ERROR]; }

bool asm_module::has_messages() {
  return msg_ctr[0] || msg_ctr[1] || msg_ctr[2] || msg_ctr[3];
}

unsigned int asm_module::get_msg_count(MSG_LEVEL level) {
  return (unsigned)level < 4 ? msg_ctr[level] : 0;
}

void asm_module::clear_msg_list() {
  msg_lst.clear();
  for (unsigned int& c : msg_ctr) c = 0;
}

asm_expr::asm_expr(std::string_view opcode, asm_expr* left, asm_expr* right)
    : opcode(opcode), left(left), right(right) {}

unsigned int asm_expr::parse_num() { return parse_number(data); }

std::string asm_expr::to_string() {
  if (opcode == "num") return "num=" + std::to_string((int)parse_num());
  return data;
}

asm_stmt::asm_stmt(std::string opcode, asm_args* args,
                   std::vector<std::string>* cmdline_args)
    : line(0),
      opcode(std::move(opcode)),
      args(args ? args : new asm_args()),
      cmdline_args(cmdline_args ? cmdline_args : new std::vector<std::string>()) {}

asm_stmt::~asm_stmt() {
  delete args;
  delete cmdline_args;
}

std::string asm_stmt::to_string() { return "statement " + opcode; }

asm_file::asm_file(std::string name, std::vector<asm_stmt*>* stmts)
    : name(std::move(name)), stmts(stmts ? stmts : new std::vector<asm_stmt*>()) {}

asm_file::~asm_file() { delete stmts; }

std::string asm_file::to_string() { return "file " + name; }

asm_expr* asm_node_pool::new_expr(char const* opcode, asm_expr* left, asm_expr* right) {
  void* p = discarded_ ? discarded_ : memory_.allocate(sizeof(asm_pool_expr), alignof(asm_pool_expr));
  discarded_ = nullptr;
  return ::new (p) asm_pool_expr(opcode, left, right);
}

void asm_node_pool::discard(asm_expr* e) {
  e->~asm_expr();
  discarded_ = e;
}

asm_pool_stmt::asm_pool_stmt(asm_node_pool& pool, std::string opcode,
                             asm_args* args, std::vector<std::string>* cmdline_args)
    : asm_stmt(std::move(opcode), args ? args : pool.make<asm_args>(pool.resource()),
               cmdline_args ? cmdline_args : pool.no_words()) {}

asm_pool_stmt::~asm_pool_stmt() {
  typedef std::vector<std::string> word_vector;
  args->~asm_args();
  // The shared empty vector has never held memory; a vector that has is this
  // statement's own.
  if (cmdline_args->capacity() != 0) cmdline_args->~word_vector();
  // Nothing left for the base destructor to release.
  args = nullptr;
  cmdline_args = nullptr;
}

void delete_expr_tree(asm_expr* root) {
  if (root && !root->left && !root->right) {  // a leaf, most arguments are
    delete root;
    return;
  }
  std::vector<asm_expr*> todo;
  if (root) todo.push_back(root);
  while (!todo.empty()) {
    asm_expr* e = todo.back();
    todo.pop_back();
    if (e->left) todo.push_back(e->left);
    if (e->right) todo.push_back(e->right);
    delete e;
  }
}

void delete_stmt(asm_stmt* stmt) {
  if (!stmt) return;
  for (asm_expr* e : *stmt->args) delete_expr_tree(e);
  delete stmt;
}

void delete_file(asm_file* file) {
  if (!file) return;
  for (asm_stmt* s : *file->stmts) delete_stmt(s);
  delete file;
}
