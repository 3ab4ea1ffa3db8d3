// Vim support: syntax file, file-type detection and file-type settings for *.zqs, and
// the compiler plugin that reads the messages of --diagnostics gnu.
#include <algorithm>

#include "gen.h"

namespace zqs_gen {

namespace {

// Case-insensitive whole-word matches of a word list, a few words per line.
std::string word_matches(std::string const& group, std::vector<std::string> const& words) {
  std::string r;
  for (size_t i = 0; i < words.size(); i += 12) {
    std::vector<std::string> part(words.begin() + i, words.begin() + std::min(words.size(), i + 12));
    r += "syn match " + group + " \"\\c\\<\\%(" + join(part, "\\|") + "\\)\\>\"\n";
  }
  return r;
}

}  // namespace

std::string vim_syntax(lexicon_type const& lex) {
  std::vector<std::string> dirs;
  for (std::string const& d : directives)
    if (d != ".cmdline") dirs.push_back(d.substr(1));
  std::string const esc = "\\%([\\\\\"'rnabft]\\|x\\x\\x\\)";
  return
      "\" Vim syntax file\n"
      "\" Language: ZQS assembler (asm-zqs)\n"
      "\" Written by zqs-gen from the instruction-set tables: do not edit.\n"
      "if exists(\"b:current_syntax\")\n"
      "  finish\n"
      "endif\n"
      "let s:cpo_save = &cpo\n"
      "set cpo&vim\n"
      "syn case match\n"
      "\n"
      "\" Mnemonics and register names of all architectures, in any case.\n" +
      word_matches("zqsMnemonic", lex.mnemonics) + word_matches("zqsRegister", lex.registers) +
      "\n"
      "\" Numbers: decimal, 0x h# $ hexadecimal, d# decimal, b# binary.\n"
      "syn match zqsNumber \"\\<\\d\\x*\"\n"
      "syn match zqsNumber \"\\<0x\\x\\+\"\n"
      "syn match zqsNumber \"\\<[hdb]#\\x\\+\"\n"
      "syn match zqsNumber \"\\$\\x\\+\"\n"
      "syn match zqsCharacter +'\\%(\\\\" + esc + "\\|[^\\\\]\\)'+\n"
      "\n"
      "\" Strings end at their quote or at the line end.\n"
      "syn match zqsBadEscape +\\\\+ contained\n"
      "syn match zqsEscape +\\\\" + esc + "+ contained\n"
      "syn region zqsString start=+\"+ skip=+\\\\\\\\\\|\\\\\"+ end=+\"\\|$+ contains=zqsEscape,zqsBadEscape\n"
      "\n"
      "\" Directives are lower case and need no blank after them.\n"
      "syn match zqsDirective \"\\.\\%(" + join(dirs, "\\|") + "\\)\"\n"
      "syn region zqsCmdline matchgroup=zqsDirective start=\"\\.cmdline\" end=\"\\ze[;#]\\|$\" contains=zqsCmdlineQuoted\n"
      "syn region zqsCmdlineQuoted start=+\"+ end=+\"\\|$+ contained\n"
      "\n"
      "syn match zqsComment \"[;#].*$\" contains=@Spell\n"
      "syn match zqsLabel \"^\\s*\\zs\\a\\w*\\ze\\s*:\"\n"
      "\n"
      "hi def link zqsMnemonic Statement\n"
      "hi def link zqsRegister Identifier\n"
      "hi def link zqsNumber Number\n"
      "hi def link zqsCharacter Character\n"
      "hi def link zqsString String\n"
      "hi def link zqsEscape SpecialChar\n"
      "hi def link zqsBadEscape Error\n"
      "hi def link zqsDirective PreProc\n"
      "hi def link zqsCmdline Special\n"
      "hi def link zqsCmdlineQuoted String\n"
      "hi def link zqsComment Comment\n"
      "hi def link zqsLabel Label\n"
      "\n"
      "let b:current_syntax = \"zqs\"\n"
      "let &cpo = s:cpo_save\n"
      "unlet s:cpo_save\n";
}

std::string vim_ftdetect() {
  return "\" ZQS assembler sources (written by zqs-gen: do not edit).\n"
         "autocmd BufNewFile,BufRead *.zqs setfiletype zqs\n";
}

std::string vim_ftplugin() {
  return "\" ZQS assembler: comments start with ';' or '#' (written by zqs-gen: do not edit).\n"
         "if exists(\"b:did_ftplugin\")\n"
         "  finish\n"
         "endif\n"
         "let b:did_ftplugin = 1\n"
         "setlocal comments=:;,:# commentstring=;\\ %s\n"
         "let b:undo_ftplugin = \"setlocal comments< commentstring<\"\n";
}

// :compiler asm-zqs. Lines "FILE:LINE:COL: LEVEL: TEXT" (LEVEL "fatal error", "error",
// "warning"; FILE:LINE: without a column too) and "asm-zqs: LEVEL: TEXT" without a file
// are entries; %t takes the level's first letter, so "fatal %trror" makes an error.
// Everything else (source and caret lines, "In file included from", the summary) is
// dropped.
std::string vim_compiler() {
  std::vector<std::string> formats = {"%-GIn file included from %.%#"};
  for (char const* place : {"asm-zqs:", "%f:%l:%c:", "%f:%l:"})
    for (char const* level : {"fatal %trror", "%trror", "%tarning"})
      formats.push_back(std::string(place) + " " + level + ": %m");
  formats.push_back("%-G%.%#");
  std::string efm;
  for (size_t i = 0; i < formats.size(); ++i) {
    std::string f;
    for (char c : formats[i]) f += c == ' ' ? std::string("\\ ") : std::string(1, c);
    efm += "      \\" + std::string(i ? "," : "") + f + "\n";
  }
  return "\" Vim compiler file for asm-zqs (written by zqs-gen: do not edit).\n"
         "\" :compiler asm-zqs, then :make assembles the current file and lists the messages\n"
         "\" of --diagnostics gnu with their columns; :make ARGS puts ARGS before the file.\n"
         "if exists(\"current_compiler\")\n"
         "  finish\n"
         "endif\n"
         "let current_compiler = \"asm-zqs\"\n"
         "\n"
         "if exists(\":CompilerSet\") != 2\n"
         "  command -nargs=* CompilerSet setlocal <args>\n"
         "endif\n"
         "\n"
         "let s:cpo_save = &cpo\n"
         "set cpo&vim\n"
         "\n"
         "CompilerSet makeprg=asm-zqs\\ --diagnostics\\ gnu\\ $*\\ %:S\n"
         "CompilerSet errorformat=\n" +
         efm +
         "\n"
         "let &cpo = s:cpo_save\n"
         "unlet s:cpo_save\n";
}

}  // namespace zqs_gen
