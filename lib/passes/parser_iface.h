// The generated scanner and parser as the front end sees them.
#ifndef PARSER_IFACE_H
#define PARSER_IFACE_H

#include <cstdio>

#include "asm_passes.h"

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
  if (asm_node_pool* pool = asm_passes::lny_var.pool) return new (*pool) asm_pool_expr(opcode, left, right);
  return new asm_expr(opcode, left, right);
}

#endif
