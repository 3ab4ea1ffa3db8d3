// The process-wide message list and the syntax-tree node classes.
#ifndef ASM_OBJECTS_H
#define ASM_OBJECTS_H

#include <cstddef>
#include <list>
#include <memory_resource>
#include <new>
#include <string>
#include <string_view>
#include <vector>

class asm_module {
 public:
  enum MSG_LEVEL { MLV_FATAL = 0, MLV_ERROR = 1, MLV_WARNING = 2, MLV_INFO = 3 };
  struct msg_element {
    std::string text;
    MSG_LEVEL level;
    std::string file;
    unsigned int line;
  };

  static std::vector<msg_element> msg_lst;
  static unsigned int msg_ctr[4];

  // Records the message; a fatal one then throws "asm_module::post_msg::MLV_FATAL".
  static void post_msg(std::string text, MSG_LEVEL level, std::string file, unsigned int line);
  static std::string print_msg_list();
  static bool has_errors();
  static bool has_messages();
  static unsigned int get_msg_count(MSG_LEVEL level);
  static void clear_msg_list();
};

// Texts thrown to stop a run.
#define MSG_FATAL_THROW "asm_module::post_msg::MLV_FATAL"
#define PASS_ERROR_THROW "asm_passes::PASS_ERROR"

class asm_object {};

class asm_ast_object : public asm_object {
 public:
  virtual std::string to_string() = 0;
  virtual ~asm_ast_object() {}
};

class asm_expr : public asm_ast_object {
 public:
  // One of the fixed operator and leaf names ("num", "ident", "add", ...):
  // a view of a string literal, so it must never be given a temporary string.
  std::string_view opcode;
  std::string data;
  asm_expr* left;
  asm_expr* right;

  asm_expr(std::string_view opcode, asm_expr* left, asm_expr* right);
  unsigned int parse_num();
  std::string to_string() override;
};

// Arguments of a statement. Their memory comes from the node pool of the
// program when the statement lives there, from the heap otherwise.
typedef std::pmr::vector<asm_expr*> asm_args;

class asm_stmt : public asm_ast_object {
 public:
  unsigned int line;
  std::string opcode;
  asm_args* args;
  std::vector<std::string>* cmdline_args;

  asm_stmt(std::string opcode, asm_args* args, std::vector<std::string>* cmdline_args);
  ~asm_stmt() override;  // releases the two vectors, not the expressions in them
  std::string to_string() override;
};

class asm_file : public asm_ast_object {
 public:
  std::string name;
  // A vector: a million statements cost one pointer each, not a list node each.
  std::vector<asm_stmt*>* stmts;

  asm_file(std::string name, std::vector<asm_stmt*>* stmts);
  ~asm_file() override;  // releases the list, not the statements in it
  std::string to_string() override;
};

class asm_pool_expr;

// Memory for the syntax-tree nodes of one program. A million-line program has
// millions of small nodes: a monotonic buffer hands them out without a heap
// header each and releases them all at once when the program goes.
class asm_node_pool {
 public:
  // A T constructed in the pool; running its destructor is the caller's task.
  template <typename T, typename... A>
  T* make(A&&... a) {
    return ::new (memory_.allocate(sizeof(T), alignof(T))) T(static_cast<A&&>(a)...);
  }
  // A new expression node; it takes the place of the last discarded one.
  asm_expr* new_expr(char const* opcode, asm_expr* left, asm_expr* right);
  // Destroys an expression node that the parser no longer needs. The parser
  // drops the mnemonic's leaf of every instruction: without the reuse, that
  // would be a lost node per instruction.
  void discard(asm_expr* e);
  // Memory for the element arrays of the pool's vectors.
  std::pmr::memory_resource* resource() { return &memory_; }
  // One empty word vector that every pooled statement other than .cmdline
  // points at (it is never written to); saves a vector per statement.
  std::vector<std::string>* no_words() { return &no_words_; }

 private:
  std::pmr::monotonic_buffer_resource memory_;
  void* discarded_ = nullptr;
  std::vector<std::string> no_words_;
};

// Nodes living in an asm_node_pool (made with asm_node_pool::make). Deleting
// one runs its destructors as usual (the classes have virtual destructors, so
// a plain delete of an asm_expr* or asm_stmt* picks these deallocation
// functions), but the memory stays with the pool.
class asm_pool_expr final : public asm_expr {
 public:
  using asm_expr::asm_expr;
  static void operator delete(void*) {}
};

class asm_pool_stmt final : public asm_stmt {
 public:
  // A null args is replaced by an empty vector in the pool (args made
  // elsewhere must use pool.resource() too), a null
  // cmdline_args by the pool's shared no_words(); non-null ones must come
  // from the same pool (asm_node_pool::make).
  asm_pool_stmt(asm_node_pool& pool, std::string opcode, asm_args* args,
                std::vector<std::string>* cmdline_args);
  ~asm_pool_stmt() override;  // destroys the vectors it owns in place
  static void operator delete(void*) {}
};

// Deletes an expression tree without recursion (trees may be a million nodes deep).
void delete_expr_tree(asm_expr* root);
// Deletes a statement with its argument trees.
void delete_stmt(asm_stmt* stmt);
// Deletes a file with all its statements.
void delete_file(asm_file* file);

#endif
