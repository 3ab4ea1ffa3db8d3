// The message list and the syntax-tree nodes.
#include "asm_objects.h"

#include <memory>
#include <utility>

#include "asm_utils.h"

std::vector<asm_module::msg_element> asm_module::msg_lst;
unsigned int asm_module::msg_ctr[4] = {0, 0, 0, 0};

void asm_module::post_msg(std::string text, MSG_LEVEL level, std::string file, unsigned int line,
                          src_range const& where) {
  msg_lst.push_back(msg_element{std::move(text), level, std::move(file), line, where, {}, {}, false});
  if ((unsigned)level < 4) msg_ctr[level]++;
  if (level == MLV_FATAL) throw std::string(MSG_FATAL_THROW);
}

void asm_module::post_after_syntax_error(msg_element m) {
  m.after_syntax_error = true;
  msg_lst.push_back(std::move(m));
}

std::string asm_module::print_msg_list() {
  static char const* const names[] = {"FATAL ERROR", "ERROR", "WARNING", "INFO"};
  std::string out;
  for (msg_element const& m : msg_lst) {
    if (m.after_syntax_error) continue;
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

asm_expr::asm_expr(char const* opcode, asm_expr* left, asm_expr* right)
    : opcode(opcode), left(left), right(right) {}

unsigned int asm_expr::parse_num() { return parse_number(data); }

std::string asm_expr::to_string() {
  if (text_is(opcode, "num")) return "num=" + std::to_string((int)parse_num());
  return data;
}

asm_stmt::asm_stmt(std::string opcode, asm_args* args,
                   std::vector<std::string> const* cmdline_args)
    : line(0),
      opcode(std::move(opcode)),
      args(args ? args : new asm_args()),
      cmdline_args(cmdline_args ? cmdline_args : no_words()) {}

src_range range_of(asm_stmt const* s) {
  src_range r;
  r.line = r.end_line = s->line;
  r.col = s->col;
  r.end_col = s->end_col;
  return r;
}

src_range range_of(asm_expr const* e, unsigned int line) {
  src_range r;
  r.line = r.end_line = line;
  r.col = e->col;
  r.end_col = e->end_col;
  return r;
}

std::vector<std::string> const* no_words() {
  static std::vector<std::string> const none;
  return &none;
}

std::string asm_stmt::to_string() { return "statement " + opcode; }

asm_file::asm_file(std::string name, std::vector<asm_stmt*>* stmts)
    : name(std::move(name)), stmts(stmts ? stmts : new std::vector<asm_stmt*>()) {}

std::string asm_file::to_string() { return "file " + name; }

namespace {

// An object of type T in mem, and its release. A polymorphic_allocator hands
// mem on to what T allocates itself (the elements of an asm_args).
template <typename T, typename... A>
T* make(std::pmr::memory_resource* mem, A&&... a) {
  std::pmr::polymorphic_allocator<T> alloc(mem);
  T* p = alloc.allocate(1);
  try {
    alloc.construct(p, std::forward<A>(a)...);
  } catch (...) {
    alloc.deallocate(p, 1);
    throw;
  }
  return p;
}

template <typename T>
void release(std::pmr::memory_resource* mem, T* p) {
  std::destroy_at(p);
  std::pmr::polymorphic_allocator<T>(mem).deallocate(p, 1);
}

}  // namespace

asm_expr* new_expr(std::pmr::memory_resource* mem, char const* opcode, asm_expr* left,
                   asm_expr* right) {
  return make<asm_expr>(mem, opcode, left, right);
}

asm_args* new_args(std::pmr::memory_resource* mem) { return make<asm_args>(mem); }

asm_stmt* new_stmt(std::pmr::memory_resource* mem, std::string opcode, asm_args* args,
                   std::vector<std::string> words) {
  typedef std::vector<std::string> word_vector;
  word_vector* w = words.empty() ? nullptr : make<word_vector>(mem, std::move(words));
  try {
    return make<asm_stmt>(mem, std::move(opcode), args ? args : new_args(mem), w);
  } catch (...) {
    if (w) release(mem, w);
    throw;
  }
}

asm_file* new_file(std::pmr::memory_resource* mem, std::string name, std::vector<asm_stmt*> stmts) {
  typedef std::vector<asm_stmt*> stmt_vector;
  stmt_vector* v = make<stmt_vector>(mem, std::move(stmts));
  try {
    return make<asm_file>(mem, std::move(name), v);
  } catch (...) {
    release(mem, v);
    throw;
  }
}

void delete_expr(std::pmr::memory_resource* mem, asm_expr* e) { release(mem, e); }

// Without recursion or a stack of its own: a node with a left operand is
// rotated under it until the node in front has none, then released.
void delete_expr_tree(std::pmr::memory_resource* mem, asm_expr* root) {
  while (asm_expr* e = root) {
    if (asm_expr* l = e->left) {
      e->left = l->right;
      l->right = e;
      root = l;
    } else {
      root = e->right;
      release(mem, e);
    }
  }
}

void delete_args(std::pmr::memory_resource* mem, asm_args* args) {
  if (!args) return;
  for (asm_expr* e : *args) delete_expr_tree(mem, e);
  release(mem, args);
}

void delete_stmt(std::pmr::memory_resource* mem, asm_stmt* stmt) {
  if (!stmt) return;
  delete_args(mem, stmt->args);
  if (stmt->cmdline_args != no_words())  // new_stmt made it, not const
    release(mem, const_cast<std::vector<std::string>*>(stmt->cmdline_args));
  release(mem, stmt);
}

void delete_file(std::pmr::memory_resource* mem, asm_file* file) {
  if (!file) return;
  for (asm_stmt* s : *file->stmts) delete_stmt(mem, s);
  release(mem, file->stmts);
  release(mem, file);
}
