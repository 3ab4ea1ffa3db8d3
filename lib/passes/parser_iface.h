// The generated scanner and parser as the front end sees them.
#ifndef PARSER_IFACE_H
#define PARSER_IFACE_H

#include <cstdio>

int yyparse();
int yylex();
void yyerror(char const* text);
// Points the scanner at a newly opened file, in normal mode, with no state left over.
void scanner_begin(FILE* in);
// Releases the scanner's buffers after a parse.
void scanner_end();

#endif
