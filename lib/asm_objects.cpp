// The message list and the syntax-tree nodes.
#include "asm_objects.h"

#include <cstdint>

#include "asm_utils.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

asm_expr::asm_expr(std::string opcode, asm_expr* left, asm_expr* right)
    : opcode(std::move(opcode)), left(left), right(right) {}

unsigned int asm_expr::parse_num() { return parse_number(data); }

std::string asm_expr::to_string() {
  if (opcode == "num") return "num=" + std::to_string((int)parse_num());
  return data;
}

asm_stmt::asm_stmt(std::string opcode, std::vector<asm_expr*>* args,
                   std::vector<std::string>* cmdline_args)
    : line(0),
      opcode(std::move(opcode)),
      args(args ? args : new std::vector<asm_expr*>()),
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

namespace {

// Large blocks come straight from the system, aligned to 2 MiB and marked for
// huge pages where the system has them: a big program then takes one page
// fault per 2 MiB of nodes instead of one per 4 KiB.
size_t const HUGE_PAGE = 2u << 20;

void* map_block(size_t n) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  void* raw = mmap(nullptr, n + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + HUGE_PAGE - 1) & ~(uintptr_t)(HUGE_PAGE - 1);
  if (aligned > start) munmap(raw, aligned - start);
  if (aligned + n < start + n + HUGE_PAGE) munmap(reinterpret_cast<void*>(aligned + n), start + HUGE_PAGE - aligned);
  advise_huge_pages(reinterpret_cast<void*>(aligned), n);
  return reinterpret_cast<void*>(aligned);
#else
  return ::operator new(n);
#endif
}

void unmap_block(void* p, size_t n) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  munmap(p, n);
#else
  (void)n;
  ::operator delete(p);
#endif
}

}  // namespace

asm_node_pool::~asm_node_pool() {
  typedef std::vector<std::string> word_vector;
  if (no_words_) no_words_->~word_vector();
  while (blocks_) {
    block_head* b = blocks_;
    blocks_ = b->next;
    if (b->mapped) unmap_block(b, b->size);
    else ::operator delete(b);
  }
}

void* asm_node_pool::new_block(size_t size) {
  static_assert(alignof(asm_pool_expr) <= ALIGN && alignof(asm_pool_stmt) <= ALIGN &&
                    alignof(std::vector<std::string>) <= ALIGN,
                "pool alignment too small for the node classes");
  // Blocks double up to 4 MiB: a one-line program takes one small block.
  size_t want = sizeof(block_head) + size;
  size_t n = next_block_ > want ? next_block_ : want;
  if (next_block_ < 2 * HUGE_PAGE) next_block_ *= 2;
  bool mapped = n >= HUGE_PAGE;
  if (mapped) n = (n + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  block_head* b = static_cast<block_head*>(mapped ? map_block(n) : ::operator new(n));
  b->next = blocks_;
  b->size = n;
  b->mapped = mapped;
  blocks_ = b;
  cur_ = reinterpret_cast<char*>(b) + sizeof(block_head);
  left_ = n - sizeof(block_head);
  return cur_;
}

void* asm_node_pool::alloc(size_t size) {
  size = (size + ALIGN - 1) & ~(ALIGN - 1);
  if (size <= RECYCLE_MAX) {
    if (free_slot* f = free_[size / ALIGN]) {
      free_[size / ALIGN] = f->next;
      return f;
    }
  }
  if (left_ < size) new_block(size);
  void* p = cur_;
  cur_ += size;
  left_ -= size;
  return p;
}

std::vector<std::string>* asm_node_pool::no_words() {
  if (!no_words_) no_words_ = make<std::vector<std::string>>();
  return no_words_;
}

void asm_node_pool::recycle(void* p, size_t size) {
  size = (size + ALIGN - 1) & ~(ALIGN - 1);
  if (!p || size > RECYCLE_MAX || size < sizeof(free_slot)) return;
  free_slot* f = static_cast<free_slot*>(p);
  f->next = free_[size / ALIGN];
  free_[size / ALIGN] = f;
}

asm_pool_stmt::asm_pool_stmt(asm_node_pool& pool, std::string opcode,
                             std::vector<asm_expr*>* args,
                             std::vector<std::string>* cmdline_args)
    : asm_stmt(std::move(opcode), args ? args : pool.make<std::vector<asm_expr*>>(),
               cmdline_args ? cmdline_args : pool.no_words()) {}

asm_pool_stmt::~asm_pool_stmt() {
  typedef std::vector<asm_expr*> expr_vector;
  typedef std::vector<std::string> word_vector;
  args->~expr_vector();
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
