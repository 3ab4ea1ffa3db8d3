// The generated scanner and parser, and all they see of the pass driver: the
// position of the parse in progress and the file it hands back.
#ifndef PARSER_IFACE_H
#define PARSER_IFACE_H

#include <cstdio>
#include <string>

#include "asm_objects.h"

// Location shared by scanner, grammar and front end (one parse at a time:
// the generated scanner and parser are not reentrant).
struct lny_var_type {
  unsigned int line = 0;
  std::string file;
  asm_file* parsed_file = nullptr;  // the finished file, set when the parse succeeds
  asm_node_pool* pool = nullptr;    // where new nodes go while a parse runs (the heap if null)
};
extern lny_var_type parse_position;

int yyparse();
int yylex();
void yyerror(char const* text);
// Points the scanner at a newly opened file, in normal mode, with no state left over.
void scanner_begin(FILE* in);
// Releases the scanner's buffers after a parse.
void scanner_end();

// A new expression node of the parse in progress: in the node pool of the
// program being built, or on the heap when no pool is set (the scanner or
// parser driven on its own).
inline asm_expr* new_expr(char const* opcode, asm_expr* left, asm_expr* right) {
  if (asm_node_pool* pool = parse_position.pool) return pool->new_expr(opcode, left, right);
  return new asm_expr(opcode, left, right);
}

#endif
