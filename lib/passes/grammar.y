/* Grammar of one source file: builds the statement list with its expression
 * trees, each node and statement with its columns, and hands the finished
 * asm_file over through parse_position. The first syntax error ends the
 * file's parse, and the destructors below free everything built so far;
 * report_further_syntax_errors then goes on a line at a time only to find
 * the file's other syntax errors. */

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

/* Gives a node the columns of a stretch of tokens. */
template <typename node>
node* at(node* n, YYLTYPE const& where) {
  n->col = (unsigned int)where.first_column;
  n->end_col = (unsigned int)where.last_column;
  return n;
}

/* Parentheses and a unary plus make no node: they widen the operator node
 * inside them to the whole argument, while a leaf keeps its token's columns
 * (a message about a symbol points at the symbol). */
asm_expr* wrap(asm_expr* e, YYLTYPE const& where) {
  return e->left || e->right ? at(e, where) : e;
}

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
asm_stmt* cmdline_stmt(std::vector<std::string>* words, YYLTYPE const& where) {
  std::unique_ptr<std::vector<std::string>> w(words);
  asm_stmt* s = at(new_stmt(lny.memory, ".cmdline", nullptr, std::move(*w)), where);
  s->line = lny.line + 1;
  return s;
}

/* A directive; where: its keyword. */
asm_stmt* stmt2(char const* opcode, YYLTYPE const& where, asm_expr* a, asm_expr* b) {
  asm_args* args = new_args(lny.memory);
  args->reserve(b ? 2 : 1);
  args->push_back(a);
  if (b) args->push_back(b);
  return at(new_stmt(lny.memory, opcode, args), where);
}

asm_expr* op(char const* opcode, asm_expr* left, asm_expr* right, YYLTYPE const& where) {
  return at(new_expr(lny.memory, opcode, left, right), where);
}

/* The leaf of an identifier token, which carries only its text (on the heap):
 * a mnemonic never becomes a node, the tree memory does not hold it. */
asm_expr* ident(std::string* name, YYLTYPE const& where) {
  std::unique_ptr<std::string> n(name);
  asm_expr* e = at(new_expr(lny.memory, "ident", nullptr, nullptr), where);
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

%locations

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
  | opt_stmt_list TK_EOL TK_CMDLINE             { $$ = $1; $$->push_back(cmdline_stmt($3, @3)); }
  | opt_stmt_list TK_EOL instruction            { $$ = $1; append($$, $3, lny.line); }
  | opt_stmt_list TK_EOL label instruction      { $$ = $1; append($$, $3, lny.line); append($$, $4, lny.line); }
  | opt_stmt_list TK_EOL memory_directive       { $$ = $1; append($$, $3, lny.line); }
  | opt_stmt_list TK_EOL label memory_directive { $$ = $1; append($$, $3, lny.line); append($$, $4, lny.line); }
  | directive                  { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | TK_CMDLINE                 { $$ = new std::vector<asm_stmt*>; $$->push_back(cmdline_stmt($1, @1)); }
  | instruction                { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | label instruction          { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); append($$, $2, lny.line); }
  | memory_directive           { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); }
  | label memory_directive     { $$ = new std::vector<asm_stmt*>; append($$, $1, lny.line); append($$, $2, lny.line); }
  | %empty                     { $$ = new std::vector<asm_stmt*>; }
  ;

directive
  : TK_DEFINE TK_IDENT expression                 { $$ = stmt2(".define", @1, ident($2, @2), $3); }
  | TK_SET TK_IDENT opt_delimiter expression      { $$ = stmt2(".define", @1, ident($2, @2), $4); }
  | TK_REGISTER TK_IDENT expression               { $$ = stmt2(".register", @1, ident($2, @2), $3); }
  | TK_INCLUDE string_expression                  { $$ = stmt2(".include", @1, $2, nullptr); }
  | TK_ORG expression                             { $$ = stmt2(".org", @1, $2, nullptr); }
  | label                                         { $$ = $1; }
  ;

memory_directive
  : TK_VARIABLE opt_arg_list                      { $$ = at(new_stmt(lny.memory, ".var", $2), @1); }
  | TK_STR_VAR string_expression                  { $$ = stmt2(".str", @1, $2, nullptr); }
  | TK_STR_VAR string_expression expression       { $$ = stmt2(".str", @1, $2, $3); }
  | TK_STR_VAR string_expression ',' expression   { $$ = stmt2(".str", @1, $2, $4); }
  ;

label
  : TK_IDENT ':'                                  { $$ = stmt2(".label", @1, ident($1, @1), nullptr); }
  ;

instruction
  : TK_IDENT opt_arg_list
      { std::unique_ptr<std::string> name($1); $$ = at(new_stmt(lny.memory, std::move(*name), $2), @1); }
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
      { $$ = at($1, @$); $$->data += $3->data; delete_expr(lny.memory, $3); }
  ;

expression_no_uplus_uminus
  : primary_expression '|' expression             { $$ = op("or", $1, $3, @$); }
  | primary_expression '^' expression             { $$ = op("xor", $1, $3, @$); }
  | primary_expression '&' expression             { $$ = op("and", $1, $3, @$); }
  | primary_expression '+' expression             { $$ = op("add", $1, $3, @$); }
  | primary_expression '-' expression             { $$ = op("sub", $1, $3, @$); }
  | primary_expression '*' expression             { $$ = op("mul", $1, $3, @$); }
  | primary_expression '/' expression             { $$ = op("div", $1, $3, @$); }
  | primary_expression '%' expression             { $$ = op("mod", $1, $3, @$); }
  | primary_expression TK_POW expression          { $$ = op("pow", $1, $3, @$); }
  | '~' primary_expression                        { $$ = op("not", $2, nullptr, @$); }
  | primary_expression                            { $$ = $1; }
  ;

expression
  : expression '|' expression                     { $$ = op("or", $1, $3, @$); }
  | expression '^' expression                     { $$ = op("xor", $1, $3, @$); }
  | expression '&' expression                     { $$ = op("and", $1, $3, @$); }
  | expression '+' expression                     { $$ = op("add", $1, $3, @$); }
  | expression '-' expression                     { $$ = op("sub", $1, $3, @$); }
  | expression '*' expression                     { $$ = op("mul", $1, $3, @$); }
  | expression '/' expression                     { $$ = op("div", $1, $3, @$); }
  | expression '%' expression                     { $$ = op("mod", $1, $3, @$); }
  | '-' expression %prec UMINUS                   { $$ = op("neg", $2, nullptr, @$); }
  | '+' expression %prec UPLUS                    { $$ = wrap($2, @$); }
  | expression TK_POW expression                  { $$ = op("pow", $1, $3, @$); }
  | '~' expression                                { $$ = op("not", $2, nullptr, @$); }
  | primary_expression                            { $$ = $1; }
  ;

primary_expression
  : TK_IDENT                                      { $$ = ident($1, @1); }
  | TK_NUM                                        { $$ = $1; }
  | '(' expression ')'                            { $$ = wrap($2, @$); }
  ;

%%

namespace {

int error_token = 0;  /* the token at which the last parse failed */

/* A message of the parse at the line after the line ends read so far: the
 * line that holds the fault, or, for a syntax error at a line end, the next. */
void parse_message(char const* text, src_range const& where) {
  if (!lny.after_error)
    asm_module::post_msg(text, asm_module::MLV_ERROR, lny.file, lny.line + 1, where);
  else
    asm_module::post_after_syntax_error({text, asm_module::MLV_ERROR, lny.file, lny.line + 1, where, {}, {}, false});
}

/* Frees the value of a token that no rule took over. */
void drop_token(int token) {
  switch (token) {
    case TK_IDENT: delete yylval.text; break;
    case TK_NUM:
    case TK_STRING: delete_expr_tree(lny.memory, yylval.expr); break;
    case TK_CMDLINE: delete yylval.words; break;
    default: break;
  }
}

}  // namespace

void yyerror(char const* text) {
  error_token = yychar;
  parse_message(text, syntax_error_range());
  lny.after_error = true;
}

void scan_error(char const* text, unsigned int col, unsigned int end_col) {
  src_range where;
  where.line = where.end_line = lny.line + 1;
  where.col = col;
  where.end_col = end_col;
  parse_message(text, where);
}

/* A line holds one statement, so each line after the one that failed can be
 * parsed as the start of a file of its own. */
void report_further_syntax_errors() {
  int token = error_token;
  for (;;) {
    while (token != TK_EOL && token != TK_EOF) drop_token(token = yylex());
    if (token == TK_EOF) return;
    lny.parsed_file = nullptr;
    if (yyparse() == 0) {
      delete_file(lny.memory, lny.parsed_file);
      lny.parsed_file = nullptr;
      return;
    }
    token = error_token;
  }
}
