// The process-wide message list and the syntax-tree node classes.
#ifndef ASM_OBJECTS_H
#define ASM_OBJECTS_H

#include <cstddef>
#include <list>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

// A stretch of one source: 1-based line and first and last column, counted
// in bytes (a tab is one column). col 0: no place in a source.
struct src_range {
  unsigned int line = 0;
  unsigned int col = 0;
  unsigned int end_line = 0;
  unsigned int end_col = 0;
  bool known() const { return col != 0; }
};

// The .include through which a file was reached: the including file and line.
struct include_site {
  std::string file;
  unsigned int line;
};

class asm_module {
 public:
  enum MSG_LEVEL { MLV_FATAL = 0, MLV_ERROR = 1, MLV_WARNING = 2, MLV_INFO = 3 };
  struct msg_element {
    std::string text;
    MSG_LEVEL level;
    std::string file;  // the file as the report names it (as written in an .include)
    unsigned int line;
    // What the message is about; the formats with columns print this line,
    // which differs from line only for a syntax error at a line end.
    src_range where;
    // The file as the run opened it (relative to the working directory, see
    // asm_passes::locate_messages), and the .include lines that led to it,
    // outermost first, with their files named the same way.
    std::string path;
    std::vector<include_site> included_from;
    // A syntax error (or scanner message) found after a file's first syntax
    // error: shown by the formats with columns only, counted nowhere, left
    // out of the report and the dump.
    bool after_syntax_error = false;
  };

  static std::vector<msg_element> msg_lst;
  static unsigned int msg_ctr[4];

  // Records the message; a fatal one then throws "asm_module::post_msg::MLV_FATAL".
  static void post_msg(std::string text, MSG_LEVEL level, std::string file, unsigned int line,
                       src_range const& where = {});
  // Appends a message that only the formats with columns show: a syntax
  // error after a file's first. It counts nowhere and never throws.
  static void post_after_syntax_error(msg_element m);
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
  // a string literal, so it must never be given a temporary string. A plain
  // pointer, not a view: 8 bytes less in each of a million nodes; compare it
  // with text_is (asm_utils.h).
  char const* opcode;
  std::string data;
  asm_expr* left;
  asm_expr* right;
  // First and last column of the expression's tokens (parentheses included)
  // on its statement's line; 0 for a node made outside a parse.
  unsigned int col = 0;
  unsigned int end_col = 0;

  asm_expr(char const* opcode, asm_expr* left, asm_expr* right);
  unsigned int parse_num();
  std::string to_string() override;
};

// Arguments of a statement; the elements live where the tree does.
typedef std::pmr::vector<asm_expr*> asm_args;

class asm_stmt : public asm_ast_object {
 public:
  unsigned int line;
  // Columns of the mnemonic, directive keyword or label name on that line.
  unsigned int col = 0;
  unsigned int end_col = 0;
  std::string opcode;
  asm_args* args;
  std::vector<std::string> const* cmdline_args;  // no_words() unless a .cmdline has words

  // A null args is replaced by a new empty vector (on the heap; new_stmt
  // makes it in a tree's memory), a null cmdline_args by no_words().
  asm_stmt(std::string opcode, asm_args* args, std::vector<std::string> const* cmdline_args);
  std::string to_string() override;
};

class asm_file : public asm_ast_object {
 public:
  std::string name;
  // A vector: a million statements cost one pointer each, not a list node each.
  std::vector<asm_stmt*>* stmts;

  asm_file(std::string name, std::vector<asm_stmt*>* stmts);
  std::string to_string() override;
};

// The place of a statement's mnemonic, keyword or label name, and of an
// expression on the statement's line (col 0 for a node made outside a parse).
src_range range_of(asm_stmt const* s);
src_range range_of(asm_expr const* e, unsigned int line);

// The words of every statement without any: one constant empty list.
std::vector<std::string> const* no_words();

// Tree memory. A node's destructor releases only its own strings. A tree is
// made, node by node and with every vector its nodes point at, in one
// std::pmr memory resource (a program's asm_ir::tree_memory(), or the heap's
// std::pmr::new_delete_resource()) by the functions below, and released only
// by them, with the same resource.
asm_expr* new_expr(std::pmr::memory_resource* mem, char const* opcode, asm_expr* left,
                   asm_expr* right);
asm_args* new_args(std::pmr::memory_resource* mem);
// Takes over args, which must come from mem (null: a new empty vector).
asm_stmt* new_stmt(std::pmr::memory_resource* mem, std::string opcode, asm_args* args,
                   std::vector<std::string> words = {});
asm_file* new_file(std::pmr::memory_resource* mem, std::string name, std::vector<asm_stmt*> stmts);
// One node without its operands.
void delete_expr(std::pmr::memory_resource* mem, asm_expr* e);
// An expression tree, without recursion (trees may be a million nodes deep).
void delete_expr_tree(std::pmr::memory_resource* mem, asm_expr* root);
// The vector and the argument trees in it.
void delete_args(std::pmr::memory_resource* mem, asm_args* args);
// A statement with its vectors and argument trees.
void delete_stmt(std::pmr::memory_resource* mem, asm_stmt* stmt);
// A file with its statements.
void delete_file(std::pmr::memory_resource* mem, asm_file* file);

#endif
