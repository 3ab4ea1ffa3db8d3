// zqs-gen: writes the editor support and the instruction-set reference from the
// architecture registry, so that neither drifts from the tables.
#ifndef ZQS_GEN_H
#define ZQS_GEN_H

#include <string>
#include <vector>

#include "asm_arch.h"

namespace zqs_gen {

// The words an editor colours: every mnemonic and register name of all architectures.
struct lexicon_type {
  std::vector<std::string> mnemonics;  // lower case, sorted, unique
  std::vector<std::string> registers;  // lower case, sorted, unique
};

// Directive keywords of the source language (lower case, written with their dot).
extern std::vector<std::string> const directives;

lexicon_type read_lexicon();

std::string vim_syntax(lexicon_type const& lex);
std::string vim_ftdetect();
std::string vim_ftplugin();
std::string vim_compiler();

std::string vscode_package();
std::string vscode_language_configuration();
std::string vscode_grammar(lexicon_type const& lex);

std::string isa_reference(std::string const& name, arch_type const& arch);

// The section DIAGNOSTIC CODES of asm-zqs(1), from its begin marker line to its
// end marker line, which start with these texts.
extern char const* const man_codes_begin;
extern char const* const man_codes_end;
std::string man_codes();

// Helpers shared by the writers.
std::string hex(unsigned long long v);          // "0x1F"
std::string upper(std::string s);
std::string json_string(std::string const& s);  // quoted and escaped
std::string join(std::vector<std::string> const& v, std::string const& sep);

}  // namespace zqs_gen

#endif
