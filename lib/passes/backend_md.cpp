// --MD: a make rule whose targets are the files the run wrote and whose
// prerequisites are the files it read, plus an empty rule for each included
// file, so that make rebuilds after an include changed and does not stop
// when one was deleted.
#include "asm_passes.h"

#include <unordered_set>

namespace {

// Where a file name stands in the rule: what make does with its characters
// differs between targets and prerequisites.
enum class make_place { TARGET, PREREQ };

void unwritable(std::string const& name) {
  asm_module::post_msg("File name '" + name + "' cannot be written into a make rule.",
                       asm_module::MLV_FATAL, "", 0);
}

// Characters make reads in a way that no escape undoes: a line break ends the
// rule, ';' starts a recipe, '=' makes the line a variable assignment, '~' at
// the start of a name is the home directory, and a tab in a target is read as
// a blank.
void check_writable(std::string const& name, make_place place) {
  size_t start = 0;  // make drops a leading "./" before it looks at the '~'
  while (name.compare(start, 2, "./") == 0) {
    start += 2;
    while (start < name.size() && name[start] == '/') ++start;
  }
  if (name.find_first_of("\n\r;=") != std::string::npos ||
      (start < name.size() && name[start] == '~') ||
      (place == make_place::TARGET && name.find('\t') != std::string::npos))
    unwritable(name);
}

// make reads "lib(member)" as a member of an archive, and a word with '('
// joins the words up to one that ends in ')' into such a reference.
void check_no_archive(std::vector<std::string> const& names) {
  bool closed_later = false;
  for (size_t i = names.size(); i-- > 0;) {
    if (names[i].find(')') != std::string::npos) closed_later = true;
    if (closed_later && names[i].find('(') != std::string::npos) unwritable(names[i]);
  }
}

// A file name as make reads it back. make takes it apart in stages, each
// undoing the backslashes before its own characters (a run of 2n+1
// backslashes before such a character gives n backslashes and the character
// itself, 2n give n and the character's special meaning): '#' (comments),
// ':' (the rule's colon), '$' (doubled instead), blanks and, among
// prerequisites, '|' (the word list), '%' in targets (patterns); a name with
// '*', '?' or '[' is then a wildcard pattern with the usual backslash escapes.
// A backslash before any other character stays as it is. at_line_end: the
// name ends the line, where a backslash would join the next line.
std::string make_word(std::string const& name, make_place place, bool at_line_end) {
  std::string word = name;
  if (name.find_first_of("*?[") != std::string::npos) {
    word.clear();
    for (char c : name) {
      if (c == '\\' || c == '*' || c == '?' || c == '[') word += '\\';
      word += c;
    }
  }
  char const own = place == make_place::TARGET ? '%' : '|';
  std::string out;
  size_t backslashes = 0;  // pending, not yet written
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    bool quoted = c == '#' || c == ':' || c == ' ' || c == '\t' || c == own;
    out.append(quoted ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    if (c == '$') out += '$';
    out += c;
  }
  if (at_line_end) {
    // Followed by nothing: the backslashes stay, "$()" (nothing) keeps the
    // last one from joining the next line.
    out.append(backslashes, '\\');
    if (backslashes) out += "$()";
  } else {
    out.append(2 * backslashes, '\\');  // followed by a blank or the colon
  }
  // "&:" would make the targets a group made by one recipe run.
  if (place == make_place::TARGET && !out.empty() && out.back() == '&') out += "$()";
  return out;
}

}  // namespace

void asm_passes::run_md_backend_pass() {
  std::vector<std::string> targets;
  auto target = [&](std::string const& name) {
    if (!name.empty()) targets.push_back(name);
  };
  if (write_image) target(output_file_name);  // a host of the library takes the words itself
  if (output_format != "mif") target(def_file_name);  // MIF writes no definitions
  target(log_file_name);

  std::vector<std::string> sources;  // each once, in the order read
  std::unordered_set<std::string> seen;
  for (std::string const& path : read_paths)
    if (seen.insert(path).second) sources.push_back(path);

  for (std::string const& t : targets) check_writable(t, make_place::TARGET);
  for (size_t i = 0; i < sources.size(); ++i)  // includes are targets of their empty rule
    check_writable(sources[i], i == 0 ? make_place::PREREQ : make_place::TARGET);
  check_no_archive(targets);
  check_no_archive(sources);

  std::string rule;
  for (std::string const& t : targets)
    rule += (rule.empty() ? "" : " ") + make_word(t, make_place::TARGET, false);
  rule += ":";
  for (size_t i = 0; i < sources.size(); ++i)
    rule += (i == 0 ? " " : " \\" ASM_EOL " ") +
            make_word(sources[i], make_place::PREREQ, i + 1 == sources.size());
  rule += ASM_EOL;
  for (size_t i = 1; i < sources.size(); ++i)
    rule += ASM_EOL + make_word(sources[i], make_place::TARGET, false) + ":" ASM_EOL;

  FILE* f = create_output(md_file_name, "dependency");
  fwrite(rule.data(), 1, rule.size(), f);
  close_output(f, md_file_name, "dependency");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}
