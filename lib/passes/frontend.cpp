// Front end: parses the main file and every included file, breadth first and
// each once, and applies a .cmdline directive at the top of the main file.
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <unordered_set>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

#include "asm_passes.h"
#include "parser_iface.h"

lny_var_type parse_position;
asm_passes::lny_var_type& asm_passes::lny_var = parse_position;

namespace {

// A file still to parse, with the position of the .include that asked for it.
struct queued_file {
  std::string name;
  std::string from_file;
  unsigned int from_line;
  src_range from_where;  // the file name in that .include
};

// Points the parser at the program's tree memory while the front end runs;
// the pointer must not outlive the program (a later parse uses the heap).
struct memory_guard {
  explicit memory_guard(std::pmr::memory_resource* memory) { parse_position.memory = memory; }
  ~memory_guard() { parse_position.memory = std::pmr::new_delete_resource(); }
};

// Releases the scanner however the parse ends (the source closes itself).
// A file's stream gets a buffer of our own, which spares it a size query of
// the file (the scanner reads in large blocks anyway).
struct parse_guard {
  char buf[4096];
  explicit parse_guard(source_file& src) {
    if (FILE* f = src.file()) {
      setvbuf(f, buf, _IOFBF, sizeof buf);
      scanner_begin(f);
    } else {
      scanner_begin(*src.text());
    }
  }
  ~parse_guard() { scanner_end(); }
};

// The process's current directory, or an empty string when it is unknown.
std::string current_dir() {
  std::vector<char> buf(256);
  while (buf.size() <= (1u << 20)) {
    if (getcwd(buf.data(), (int)buf.size())) return buf.data();
    if (errno != ERANGE) break;
    buf.resize(buf.size() * 2);
  }
  return "";
}

// Opens a regular file (or anything readable that is not a directory).
FILE* open_readable(std::string const& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    fclose(f);
    return nullptr;
  }
  return f;
}

// The folder part of a path as opened ("" when it has none), with its slash.
std::string folder_of(std::string const& path) {
#ifdef _WIN32
  size_t slash = path.find_last_of("/\\");
#else
  size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool is_absolute(std::string const& name) {
#ifdef _WIN32
  if (name.size() > 1 && name[1] == ':') return true;
  if (!name.empty() && name[0] == '\\') return true;
#endif
  return !name.empty() && name[0] == '/';
}

void fatal(std::string const& text, std::string const& file, unsigned int line, src_range const& where = {}) {
  asm_module::post_msg(text, asm_module::MLV_FATAL, file, line, where);
}

// The .include lines that lead from the main file to the named one, by the
// include that first asked for each file.
std::vector<include_site> chain_to(std::unordered_map<std::string, include_site> const& asked_by,
                                   std::string name) {
  std::vector<include_site> chain;
  for (auto it = asked_by.find(name); it != asked_by.end(); it = asked_by.find(it->second.file)) {
    chain.insert(chain.begin(), it->second);
    if (chain.size() > asked_by.size()) break;  // never loops: each file is asked for once
  }
  return chain;
}

// Gives the messages from index first on the include chain of the file they are in.
void chain_messages(std::unordered_map<std::string, include_site> const& asked_by, size_t first) {
  for (size_t i = first; i < asm_module::msg_lst.size(); ++i) {
    asm_module::msg_element& m = asm_module::msg_lst[i];
    if (!m.file.empty() && m.included_from.empty()) m.included_from = chain_to(asked_by, m.file);
  }
}

// Hands the words of a .cmdline directive to the option parser.
void apply_cmdline(asm_passes& p, asm_stmt* s, std::string const& file, bool allowed) {
  src_range const where = range_of(s);
  if (!allowed)
    fatal("Command line directive is only allowed as a first statement of the first source file.",
          file, s->line, where);
  std::vector<std::string> const& words = *s->cmdline_args;
  if (words.size() > 99) fatal("Too many command line arguments.", file, s->line, where);
  std::vector<char const*> argv{".cmdline"};
  for (std::string const& w : words) argv.push_back(w.c_str());
  try {
    p.parse_cmd_line((int)argv.size(), argv.data(), file, s->line);
  } catch (...) {
    // The option parser knows the line only: its message is about the directive.
    if (!asm_module::msg_lst.empty()) asm_module::msg_lst.back().where = where;
    throw;
  }
  if (p.flag_version)
    asm_module::post_msg("Option --version is ignored in .cmdline directive.",
                         asm_module::MLV_WARNING, file, s->line, where);
  if (p.flag_help)
    asm_module::post_msg("Option --help is ignored in .cmdline directive.",
                         asm_module::MLV_WARNING, file, s->line, where);
}

// Opens an included file: the search of open_src_file, and when that finds
// nothing, the folder of the including file. found: the name the file goes by,
// its path when it was found in that folder.
source_file open_include(asm_passes& p, std::string const& name, std::string const& folder,
                         std::string& found) {
  found = name;
  if (source_file f = p.open_src_file(name)) return f;
  if (folder.empty() || is_absolute(name) || name.find('\0') != std::string::npos) return {};
  found = folder + name;
  return p.open_source_path(found);
}

// Records every file that the .include statements of file name as a source.
void note_includes(asm_passes& p, asm_file* file, std::string const& folder) {
  std::string found;
  for (asm_stmt* s : *file->stmts) {
    if (!text_is(s->opcode, ".include")) continue;
    if (source_file f = open_include(p, (*s->args)[0]->data, folder, found)) p.note_source(f.file());
  }
}

}  // namespace

source_file asm_passes::open_source_path(std::string const& path) {
  if (source_overlay) {
    auto it = source_overlay->find(absolute_path(path));  // the overlay's keys
    if (it != source_overlay->end()) return source_file(it->second);  // the text outlives the run
  }
  return source_file(open_readable(path));
}

source_file asm_passes::open_src_file(std::string name) {
  // A name with a NUL byte (a "\x00" escape) names no file: the system would
  // see only the part before it, and two different names reaching one file
  // would slip past the recursion check.
  if (name.find('\0') != std::string::npos) return {};
  auto open_as = [this](std::string path) {
    source_file f = open_source_path(path);
    if (f) opened_path = std::move(path);
    return f;
  };
  if (source_file f = open_as(name)) return f;
  std::string cwd = current_dir();
  if (!cwd.empty())
    if (source_file f = open_as(cwd + "/" + name)) return f;
  for (std::string const& dir : inc_file_list)
    if (source_file f = open_as(dir + "/" + name)) return f;
  return {};
}

void asm_passes::run_frontend() {
  memory_guard memory(ir.tree_memory());
  std::deque<queued_file> queue{{input_file_name, "", 0, {}}};
  std::unordered_set<std::string> queued{input_file_name};
  bool first_file = true;
  std::unordered_map<std::string, include_site> asked_by;
  size_t const first_msg = asm_module::msg_lst.size();
  struct chain_guard {  // also when a fatal message ends the run
    std::unordered_map<std::string, include_site> const& asked_by;
    size_t first;
    ~chain_guard() { chain_messages(asked_by, first); }
  } chains{asked_by, first_msg};

  while (!queue.empty()) {
    queued_file cur = queue.front();
    queue.pop_front();
    if (!cur.from_file.empty()) asked_by.emplace(cur.name, include_site{cur.from_file, cur.from_line});
    lny_var.line = 0;
    lny_var.file = cur.name;
    lny_var.parsed_file = nullptr;
    lny_var.after_error = false;

    bool read_error;
    {
      source_file f = open_src_file(cur.name);
      if (!f) fatal("Unable to read file '" + cur.name + "'.", cur.from_file, cur.from_line, cur.from_where);
      read_paths.push_back(opened_path);
      source_path[cur.name] = opened_path;
      note_source(f.file());
      parse_guard guard(f);
      if (yyparse() != 0) report_further_syntax_errors();
      read_error = f.failed();
    }
    asm_file* parsed = lny_var.parsed_file;
    if (read_error) {
      delete_file(ir.tree_memory(), parsed);
      lny_var.parsed_file = nullptr;
      fatal("Unable to read file '" + cur.name + "'.", cur.from_file, cur.from_line, cur.from_where);
    }

    if (parsed) {
      ir.file_list->push_back(parsed);
      ir.file_map[cur.name] = parsed;
      std::string const folder = folder_of(read_paths.back());
      try {
        unsigned int index = 0;
        for (asm_stmt* s : *parsed->stmts) {
          ++index;
          if (text_is(s->opcode, ".include")) {
            // A file found beside the including file goes by its path, in the
            // passes, messages and outputs alike: one name can mean a file
            // beside each of several including files.
            std::string& inc = (*s->args)[0]->data;
            if (queued.count(inc)) continue;
            std::string found;
            src_range where = range_of(s);
            where.col = (*s->args)[0]->col;
            where.end_col = (*s->args)[0]->end_col;
            {
              source_file test = open_include(*this, inc, folder, found);
              if (!test) fatal("Unable to read file '" + inc + "'.", cur.name, s->line, where);
              note_source(test.file());
            }
            inc = found;
            if (queued.insert(found).second) queue.push_back({found, cur.name, s->line, where});
          } else if (text_is(s->opcode, ".cmdline")) {
            apply_cmdline(*this, s, cur.name, first_file && index == 1);
          }
        }
      } catch (...) {
        // The run ends here: make every file this one includes count as a
        // source, so that removing the run's outputs cannot hit one of them.
        note_includes(*this, parsed, folder);
        throw;
      }
    }
    first_file = false;
  }
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}


// The path relative to the working directory when it lies below it.
static std::string relative_path(std::string const& path, std::string const& cwd) {
  if (cwd.empty() || path.size() <= cwd.size() + 1 || path.compare(0, cwd.size(), cwd) != 0) return path;
  char const sep = path[cwd.size()];
#ifdef _WIN32
  if (sep != '/' && sep != '\\') return path;
#else
  if (sep != '/') return path;
#endif
  return path.substr(cwd.size() + 1);
}

void asm_passes::locate_messages() {
  std::string const cwd = current_dir();
  auto located = [&](std::string const& name) {
    auto it = source_path.find(name);
    return relative_path(it == source_path.end() ? name : it->second, cwd);
  };
  for (asm_module::msg_element& m : asm_module::msg_lst) {
    if (m.file.empty()) continue;
    m.path = located(m.file);
    for (include_site& site : m.included_from) site.file = located(site.file);
  }
}
