// zqs-gen OUTDIR: writes editors/vim/, editors/vscode/ and docs/isa/ below OUTDIR,
// and rewrites the section DIAGNOSTIC CODES of OUTDIR/docs/man/asm-zqs.1 when that
// page is there (the rest of the page is written by hand).
// The build's check compares its output with the committed files; the target
// update-generated writes into the source tree.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gen.h"

namespace fs = std::filesystem;
using namespace zqs_gen;

namespace {

bool write_file(fs::path const& path, std::string const& text) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    fprintf(stderr, "zqs-gen: cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

// Replaces the lines from the begin marker to the end marker with the section.
bool write_man_codes(fs::path const& page) {
  std::string text;
  {
    std::ifstream in(page, std::ios::binary);
    if (!in) return true;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t const begin = text.find(std::string("\n") + man_codes_begin);
  size_t const end = text.find(std::string("\n") + man_codes_end);
  size_t const end_line = end == std::string::npos ? end : text.find('\n', end + 1);
  if (begin == std::string::npos || end_line == std::string::npos || end < begin) {
    fprintf(stderr, "zqs-gen: %s has no complete diagnostic codes markers\n", page.string().c_str());
    return false;
  }
  return write_file(page, text.substr(0, begin + 1) + man_codes() + text.substr(end_line + 1));
}

}  // namespace

int main(int argc, char** argv) {
  // An option is never taken for the output folder: nothing is written then.
  std::string const arg = argc == 2 ? argv[1] : "";
  if (arg == "-h" || arg == "--help") {
    printf("usage: zqs-gen OUTDIR\n");
    return 0;
  }
  if (argc != 2 || arg.empty() || arg[0] == '-') {
    fprintf(stderr, "usage: zqs-gen OUTDIR\n");
    return 2;
  }
  asm_arch registry;  // fills asm_arch::arch_map
  (void)registry;
  fs::path const out = argv[1];
  lexicon_type const lex = read_lexicon();
  bool ok = write_file(out / "editors/vim/syntax/zqs.vim", vim_syntax(lex)) &&
            write_file(out / "editors/vim/ftdetect/zqs.vim", vim_ftdetect()) &&
            write_file(out / "editors/vim/ftplugin/zqs.vim", vim_ftplugin()) &&
            write_file(out / "editors/vim/compiler/asm-zqs.vim", vim_compiler()) &&
            write_file(out / "editors/vscode/package.json", vscode_package()) &&
            write_file(out / "editors/vscode/language-configuration.json", vscode_language_configuration()) &&
            write_file(out / "editors/vscode/syntaxes/zqs.tmLanguage.json", vscode_grammar(lex));
  for (std::string const& name : asm_arch::ordered_names())
    ok = ok && write_file(out / "docs/isa" / (name + ".md"), isa_reference(name, asm_arch::arch_map.at(name)));
  ok = ok && write_man_codes(out / "docs/man/asm-zqs.1");
  return ok ? 0 : 1;
}
