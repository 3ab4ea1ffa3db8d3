/* Grammar of one source file: builds the statement list with its expression
 * trees and hands the finished asm_file over through parse_position.
 * There is no error recovery: the first syntax error ends the file's parse,
 * and the destructors below free everything built so far. */

%code requires {
#include <list>
#include <string>
#include <vector>

#include "asm_objects.h"
}

%code {
#include <memory>

#include "parser_iface.h"

/* The parse stack starts small and may grow to 10000 entries; deeper nesting
 * ends the parse with "memory exhausted". */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

namespace {

lny_var_type& lny = parse_position;

/* Gives a statement the current line and appends it. */
void append(std::vector<asm_stmt*>* list, asm_stmt* stmt, unsigned int line) {
  stmt->line = line;
  list->push_back(stmt);
}

/* Every node and vector of the tree goes to lny.memory, and back to it when
 * a syntax error discards what was built. */

/* An instruction's argument vector starts with room for three: most need
 * no more. A directive's gets exactly the room it needs. */
asm_args* first_arg(asm_expr* first) {
  asm_args* v = new_args(lny.memory);
  v->reserve(3);
  v->push_back(first);
  return v;
}

/* A .cmdline directive is reduced before its line end is counted. Takes over
 * the scanner's word vector (on the heap). */
asm_stmt* cmdline_stmt(std::vector<std::string>* words) {
  std::unique_ptr<std::vector<std::string>> w(words);
  asm_stmt* s = new_stmt(lny.memory, ".cmdline", nullptr, std::move(*w));
  s->line = lny.line + 1;
  return s;
}

asm_stmt* stmt2(char const* opcode, asm_expr* a, asm_expr* b) {
  asm_args* args = new_args(lny.memory);
  args->reserve(b ? 2 : 1);
  args->push_back(a);
  if (b) args->push_back(b);
  return new_stmt(lny.memory, opcode, args);
}

asm_expr* op(char const* opcode, asm_expr* left, asm_expr* right) {
  return new_expr(lny.memory, opcode, left, right);
}

/* The leaf of an identifier token, which carries only its text (on the heap):
 * a mnemonic never becomes a node, the tree memory does not hold it. */
asm_expr* ident(std::string* name) {
  std::unique_ptr<std::string> n(name);
  asm_expr* e = new_expr(lny.memory, "ident", nullptr, nullptr);
  e->data = std::move(*n);
  return e;
}

/* The statement list of the file being parsed (on the heap). */
void free_stmt_list(std::vector<asm_stmt*>* list) {
  if (!list) return;
  for (asm_stmt* s : *list) delete_stmt(lny.memory, s);
  delete list;
}

}  // namespace
}

%union {
  asm_expr* expr;
  asm_stmt* stmt;
  std::vector<asm_stmt*>* stmts;
  asm_args* exprs;
  std::vector<std::string>* words;
  std::string* text;
}

%token <text> TK_IDENT
%token <expr> TK_NUM
%token <expr> TK_STRING
%token TK_EOL
%token TK_DEFINE
%token TK_SET
%token TK_REGISTER
%token TK_ORG
%token TK_INCLUDE
%token TK_VARIABLE
%token TK_STR_VAR
%token TK_EOF
%token TK_ERROR
%token TK_POW
%token <words> TK_CMDLINE

%left '|'
%left '^'
%left '&'
%left '+' '-'
%left '*' '/' '%'
/* Unary plus and minus (right-associative prefix operators: only their level matters). */
%precedence UPLUS UMINUS
%right TK_POW
%precedence '~'

%type <stmts> opt_stmt_list
%type <stmt> directive memory_directive label instruction
%type <exprs> opt_arg_list arg_list
%type <expr> string_expression expression expression_no_uplus_uminus primary_expression

%destructor { delete_expr_tree(lny.memory, $$); } <expr>
%destructor { delete_stmt(lny.memory, $$); } <stmt>
%destructor { free_stmt_list($$); } <stmts>
%destructor { delete_args(lny.memory, $$); } <exprs>
%destructor { delete $$; } <words>
%destructor { delete $$; } <text>

%expect 0

%%

file
  : opt_stmt_list TK_EOF
      {
        std::unique_ptr<std::vector<asm_stmt*>> list($1);
        list->shrink_to_fit();
        lny.parsed_file = new_file(lny.memory, lny.file, std::move(*list));
        YYACCEPT;
      }
  ;

opt_stmt_list
  : opt_stmt_list TK_EOL                        { $$ = $1; }
  | opt_stmt_list TK_EOL directive              { $$ = $1; append($$, $3, lny.line); }
  | opt_stmt_list TK_EOL TK_CMDLINE             { $$ = $1; $$->push_back(cmdline_stmt($3)); }
  | opt_stmt_list TK_EOL instruction            { $$ = $1; append($$, $3, lny.line); }
  | opt_stmt_list TK_EOL label instruction      { $$ = $1; append($$, $3, lny.line); append($$, $4, lny.line); }
  | opt_stmt_list TK_EOL memory_directive       { $$ = $1; append($$, $3, lny.line); }
  | opt_stmt_list TK_EOL label memory_directive { $$ = $1; append($$, $3, lny.line); append($$, $4, lny.line); }
  | directive                  { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | TK_CMDLINE                 { $$ = new std::vector<asm_stmt*>; $$->push_back(cmdline_stmt($1)); }
  | instruction                { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | label instruction          { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); append($$, $2, lny.line); }
  | memory_directive           { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | label memory_directive     { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); append($$, $2, lny.line); }
  | %empty                     { $$ = new std::vector<asm_stmt*>; }
  ;

directive
  : TK_DEFINE TK_IDENT expression                 { $$ = stmt2(".define", ident($2), $3); }
  | TK_SET TK_IDENT opt_delimiter expression      { $$ = stmt2(".define", ident($2), $4); }
  | TK_REGISTER TK_IDENT expression               { $$ = stmt2(".register", ident($2), $3); }
  | TK_INCLUDE string_expression                  { $$ = stmt2(".include", $2, nullptr); }
  | TK_ORG expression                             { $$ = stmt2(".org", $2, nullptr); }
  | label                                         { $$ = $1; }
  ;

memory_directive
  : TK_VARIABLE opt_arg_list                      { $$ = new_stmt(lny.memory, ".var", $2); }
  | TK_STR_VAR string_expression                  { $$ = stmt2(".str", $2, nullptr); }
  | TK_STR_VAR string_expression expression       { $$ = stmt2(".str", $2, $3); }
  | TK_STR_VAR string_expression ',' expression   { $$ = stmt2(".str", $2, $4); }
  ;

label
  : TK_IDENT ':'                                  { $$ = stmt2(".label", ident($1), nullptr); }
  ;

instruction
  : TK_IDENT opt_arg_list
      { std::unique_ptr<std::string> name($1); $$ = new_stmt(lny.memory, std::move(*name), $2); }
  ;

opt_arg_list
  : arg_list                                      { $$ = $1; }
  | %empty                                        { $$ = new_args(lny.memory); }
  ;

arg_list
  : expression                                    { $$ = first_arg($1); }
  | arg_list expression_no_uplus_uminus           { $$ = $1; $$->push_back($2); }
  | arg_list ',' expression                       { $$ = $1; $$->push_back($3); }
  ;

opt_delimiter
  : %empty
  | ','
  ;

string_expression
  : TK_STRING                                     { $$ = $1; }
  | string_expression '+' TK_STRING
      { $$ = $1; $$->data += $3->data; delete_expr(lny.memory, $3); }
  ;

expression_no_uplus_uminus
  : primary_expression '|' expression             { $$ = op("or", $1, $3); }
  | primary_expression '^' expression             { $$ = op("xor", $1, $3); }
  | primary_expression '&' expression             { $$ = op("and", $1, $3); }
  | primary_expression '+' expression             { $$ = op("add", $1, $3); }
  | primary_expression '-' expression             { $$ = op("sub", $1, $3); }
  | primary_expression '*' expression             { $$ = op("mul", $1, $3); }
  | primary_expression '/' expression             { $$ = op("div", $1, $3); }
  | primary_expression '%' expression             { $$ = op("mod", $1, $3); }
  | primary_expression TK_POW expression          { $$ = op("pow", $1, $3); }
  | '~' primary_expression                        { $$ = op("not", $2, nullptr); }
  | primary_expression                            { $$ = $1; }
  ;

expression
  : expression '|' expression                     { $$ = op("or", $1, $3); }
  | expression '^' expression                     { $$ = op("xor", $1, $3); }
  | expression '&' expression                     { $$ = op("and", $1, $3); }
  | expression '+' expression                     { $$ = op("add", $1, $3); }
  | expression '-' expression                     { $$ = op("sub", $1, $3); }
  | expression '*' expression                     { $$ = op("mul", $1, $3); }
  | expression '/' expression                     { $$ = op("div", $1, $3); }
  | expression '%' expression                     { $$ = op("mod", $1, $3); }
  | '-' expression %prec UMINUS                   { $$ = op("neg", $2, nullptr); }
  | '+' expression %prec UPLUS                    { $$ = $2; }
  | expression TK_POW expression                  { $$ = op("pow", $1, $3); }
  | '~' expression                                { $$ = op("not", $2, nullptr); }
  | primary_expression                            { $$ = $1; }
  ;

primary_expression
  : TK_IDENT                                      { $$ = ident($1); }
  | TK_NUM                                        { $$ = $1; }
  | '(' expression ')'                            { $$ = $2; }
  ;

%%

void yyerror(char const* text) {
  asm_module::post_msg(text, asm_module::MLV_ERROR, lny.file, lny.line + 1);
}
