// One assembly of an open document, as the tool would run it in the
// document's folder, with the open documents standing in for their files.
// Nothing is written: no image, definitions, log, dependency or dump file.
#ifndef LSP_ANALYSIS_H
#define LSP_ANALYSIS_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "documents.h"
#include "positions.h"

// The settings of section asmZqs, as options before the file name: a
// .cmdline directive of the main file comes later and so takes precedence.
struct lsp_settings {
  std::string arch;                       // -arch
  std::vector<std::string> include_dirs;  // -I, absolute
  std::string max_addr;                   // -adrmax
  bool inlay_hints = false;               // not for the run: the hints of inlay_hints.h
  // Reads the fields that are present; relative folders against base.
  void update(nlohmann::json const& section, std::string const& base);
};

// A symbol of the program after pass 2.
struct lsp_symbol {
  unsigned int value;
  int type;          // sym_type's kind (STO_VAR ...)
  std::string name;  // as its first definition writes it, else in lower case
};

// Where the source defines a name: a label, a .define or a .register.
struct lsp_definition {
  std::string name;    // as written
  std::string opcode;  // ".label", ".define" or ".register"
  std::string path;    // absolute
  unsigned int line, col, end_col;  // 1-based bytes, end inclusive
};

// A token of a parsed file that the language features point at.
enum class token_kind { mnemonic, directive, name, number, string };

struct lsp_token {
  token_kind kind;
  unsigned int line, col, end_col;  // 1-based bytes, end inclusive
  // name: as written; mnemonic: as written; the string of an .include: the
  // absolute path the run opened the file by (empty when it opened none).
  std::string text;
  bool defines = false;  // the name of a label, .define or .register
  int sym = -1;          // name: its sym_type kind (STO_VAR ...), -1 when undefined
};

// A word the run placed: its byte address and code.
struct lsp_word {
  unsigned int address, code;
};

struct analysis_result {
  // LSP Diagnostic arrays by absolute path; the main document always has one.
  std::map<std::string, nlohmann::json> diagnostics;
  std::set<std::string> read_paths;  // every source the run read, absolute
  std::string arch;                  // the architecture the run used
  std::map<std::string, lsp_symbol> symbols;  // lower-case name -> symbol
  std::vector<lsp_definition> definitions;    // in the order of the parsed files
  // The tokens of each parsed file by absolute path, by line and column.
  std::map<std::string, std::vector<lsp_token>> tokens;
  // The words placed by each line (1-based) of each file, by absolute path.
  std::map<std::string, std::map<unsigned int, std::vector<lsp_word>>> words;
  // The text of every file the run read, as it read it, by absolute path.
  std::map<std::string, std::string> texts;
  // The files with syntax errors, by absolute path. The tree, symbols,
  // definitions, tokens and words above then come from a second run on the
  // same texts with those errors' lines emptied; the diagnostics do not.
  std::set<std::string> unparsed;
};

analysis_result analyse(document const& main, document_store const& docs,
                        lsp_settings const& settings, pos_encoding e);

// The LSP Diagnostic of one message of the run, its text read from lines.
nlohmann::json to_diagnostic(std::string const& text, int level, unsigned int line,
                             unsigned int col, unsigned int end_line, unsigned int end_col,
                             line_index const& lines, pos_encoding e);

#endif
