// --MD: a make rule whose targets are the files the run wrote and whose
// prerequisites are the files it read, plus an empty rule for each included
// file, so that make rebuilds after an include changed and does not stop
// when one was deleted.
#include "asm_passes.h"

#include <unordered_set>

// A file name in a make rule: a blank gets a backslash (and the backslashes
// just before it are doubled, or they would escape each other instead), '$'
// is doubled, '#' gets a backslash. A line break cannot be written at all.
static std::string make_escape(std::string const& name) {
  std::string out;
  size_t backslashes = 0;
  for (char c : name) {
    if (c == '\n' || c == '\r')
      asm_module::post_msg("File name '" + name + "' cannot be written into a make rule.",
                           asm_module::MLV_FATAL, "", 0);
    if (c == ' ' || c == '\t') {
      out.append(backslashes + 1, '\\');
    } else if (c == '$') {
      out += '$';
    } else if (c == '#') {
      out += '\\';
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
    out += c;
  }
  return out;
}

void asm_passes::run_md_backend_pass() {
  std::string targets;
  auto target = [&](std::string const& name) {
    if (name.empty()) return;
    if (!targets.empty()) targets += ' ';
    targets += make_escape(name);
  };
  target(output_file_name);
  if (output_format != "mif") target(def_file_name);  // MIF writes no definitions
  target(log_file_name);

  std::vector<std::string> sources;  // each once, in the order read
  std::unordered_set<std::string> seen;
  for (std::string const& path : read_paths)
    if (seen.insert(path).second) sources.push_back(make_escape(path));

  std::string rule = targets + ":";
  for (size_t i = 0; i < sources.size(); ++i)
    rule += (i == 0 ? " " : " \\" ASM_EOL " ") + sources[i];
  rule += ASM_EOL;
  for (size_t i = 1; i < sources.size(); ++i) rule += ASM_EOL + sources[i] + ":" ASM_EOL;

  FILE* f = create_output(md_file_name, "dependency");
  fwrite(rule.data(), 1, rule.size(), f);
  close_output(f, md_file_name, "dependency");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}
