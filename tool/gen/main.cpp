// zqs-gen OUTDIR: writes editors/vim/, editors/vscode/ and docs/isa/ below OUTDIR.
// The build's check compares its output with the committed files; the target
// update-generated writes into the source tree.
#include <cstdio>
#include <filesystem>
#include <fstream>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
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
  return ok ? 0 : 1;
}
