// The process-wide message list and the syntax-tree node classes.
#ifndef ASM_OBJECTS_H
#define ASM_OBJECTS_H

#include <list>
#include <string>
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
  std::string opcode;
  std::string data;
  asm_expr* left;
  asm_expr* right;

  asm_expr(std::string opcode, asm_expr* left, asm_expr* right);
  unsigned int parse_num();
  std::string to_string() override;
};

class asm_stmt : public asm_ast_object {
 public:
  unsigned int line;
  std::string opcode;
  std::vector<asm_expr*>* args;
  std::vector<std::string>* cmdline_args;

  asm_stmt(std::string opcode, std::vector<asm_expr*>* args, std::vector<std::string>* cmdline_args);
  ~asm_stmt() override;  // releases the two vectors, not the expressions in them
  std::string to_string() override;
};

class asm_file : public asm_ast_object {
 public:
  std::string name;
  std::list<asm_stmt*>* stmts;

  asm_file(std::string name, std::list<asm_stmt*>* stmts);
  ~asm_file() override;  // releases the list, not the statements in it
  std::string to_string() override;
};

// Deletes an expression tree without recursion (trees may be a million nodes deep).
void delete_expr_tree(asm_expr* root);
// Deletes a statement with its argument trees.
void delete_stmt(asm_stmt* stmt);
// Deletes a file with all its statements.
void delete_file(asm_file* file);

#endif
