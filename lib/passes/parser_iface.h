// The generated scanner and parser, and all they see of the pass driver: the
// position of the parse in progress and the file it hands back.
#ifndef PARSER_IFACE_H
#define PARSER_IFACE_H

#include <cstdio>
#include <memory_resource>
#include <string>
#include <string_view>

#include "asm_objects.h"

// Location shared by scanner, grammar and front end (one parse at a time:
// the generated scanner and parser are not reentrant).
struct lny_var_type {
  unsigned int line = 0;
  std::string file;
  asm_file* parsed_file = nullptr;  // the finished file, set when the parse succeeds
  // Where the nodes of the parse in progress go (the front end sets the
  // program's tree memory); they are released through the same resource.
  std::pmr::memory_resource* memory = std::pmr::new_delete_resource();
  // Set by the file's first syntax error: what the parse reports after it
  // counts nowhere (asm_module::post_after_syntax_error).
  bool after_error = false;
};
extern lny_var_type parse_position;

int yyparse();
int yylex();
void yyerror(char const* text);
// Where a syntax error at the token just read points: the token, or for a
// line end the column after the token before it, on the line it ends.
src_range syntax_error_range();
// Posts a scanner message about the given columns of the current line.
void scan_error(char const* text, unsigned int col, unsigned int end_col);
// After a failed parse: parses the rest of the file a line at a time and
// reports its further syntax errors; the statements are thrown away.
void report_further_syntax_errors();
// Points the scanner at a newly opened file, in normal mode, with no state left over.
void scanner_begin(FILE* in);
// The same for a text in memory, read in place of a file (it must outlive the scan).
void scanner_begin(std::string_view text);
// Releases the scanner's buffers after a parse.
void scanner_end();

#endif
