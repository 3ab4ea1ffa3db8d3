// Runs the library's own command-line path on the editor's texts and turns
// its message list into LSP diagnostics.
#include "analysis.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "asm_codes.h"
#include "asm_lock.h"
#include "asm_passes.h"
#include "asm_run.h"
#include "uri.h"
#include "workspace.h"

using nlohmann::json;

namespace {

std::string folder_of(std::string const& path) {
  return std::filesystem::path(path).parent_path().string();
}

// The text of a file as the run read it: the open document, else the file.
std::string const& text_of(std::string const& path, document_store const& docs,
                           std::map<std::string, std::string>& cache) {
  auto it = cache.find(path);
  if (it != cache.end()) return it->second;
  std::string& text = cache[path];
  for (auto const& d : docs.docs)
    if (d.second.path == path) return text = d.second.text;
  read_text_file(path, text);  // never a FIFO the run has read already
  return text;
}

// Changes the working directory for the run and back afterwards: the tool
// finds relative names (includes among them) against it.
struct folder_guard {
  std::filesystem::path old;
  explicit folder_guard(std::string const& folder) {
    std::error_code ec;
    old = std::filesystem::current_path(ec);
    if (!folder.empty()) std::filesystem::current_path(folder, ec);
  }
  ~folder_guard() {
    std::error_code ec;
    std::filesystem::current_path(old, ec);
  }
};

int severity(int level) {
  switch (level) {
    case asm_module::MLV_FATAL:
    case asm_module::MLV_ERROR: return 1;
    case asm_module::MLV_WARNING: return 2;
    default: return 3;
  }
}

json position(size_t line, size_t character) { return {{"line", line}, {"character", character}}; }

// The leaves of an argument tree (without recursion: trees may be deep).
void add_leaves(asm_expr const* root, unsigned int line, std::vector<lsp_token>& out) {
  std::vector<asm_expr const*> todo{root};
  while (!todo.empty()) {
    asm_expr const* e = todo.back();
    todo.pop_back();
    if (!e) continue;
    if (e->left || e->right) {
      todo.push_back(e->right);
      todo.push_back(e->left);
      continue;
    }
    if (e->col == 0) continue;  // made outside a parse: no place
    token_kind const kind = text_is(e->opcode, "ident")    ? token_kind::name
                            : text_is(e->opcode, "string") ? token_kind::string
                                                           : token_kind::number;
    lsp_token t{kind, line, e->col, e->end_col, kind == token_kind::name ? e->data : "", false, -1};
    out.push_back(t);
  }
}

// The tokens of a statement: its keyword, mnemonic or label and its
// argument leaves, the .include file name with the path the run opened.
void add_statement(asm_stmt const* s, std::string const& folder,
                   asm_passes const& p, std::vector<lsp_token>& out) {
  std::string const& op = s->opcode;
  if (op == ".label") {
    size_t const before = out.size();
    add_leaves((*s->args)[0], s->line, out);
    if (out.size() > before) out.back().defines = true;
    return;
  }
  bool const directive = !op.empty() && op[0] == '.';
  unsigned int const end = op == ".cmdline" ? s->col + 7 : s->end_col;  // the keyword of its words
  out.push_back({directive ? token_kind::directive : token_kind::mnemonic, s->line, s->col, end, op, false, -1});
  size_t const first = out.size();
  for (asm_expr const* a : *s->args) add_leaves(a, s->line, out);
  if ((op == ".define" || op == ".register") && out.size() > first) out[first].defines = true;
  if (op == ".include" && out.size() > first) {
    auto found = p.source_path.find((*s->args)[0]->data);
    if (found != p.source_path.end()) out[first].text = absolute_path(found->second, folder);
  }
}

// Collects the tokens, definitions and placed words of the parsed files.
void collect(asm_passes const& p, std::string const& folder, document_store const& docs, analysis_result& r) {
  std::unordered_map<std::string, std::string> paths;  // file name -> absolute path
  for (asm_file* f : *p.ir.file_list) {
    auto found = p.source_path.find(f->name);
    std::string const path = absolute_path(found == p.source_path.end() ? f->name : found->second, folder);
    paths[f->name] = path;
    text_of(path, docs, r.texts);  // the text, kept for the features that read it
    std::vector<lsp_token>& tokens = r.tokens[path];
    tokens.reserve(tokens.size() + 4 * f->stmts->size());
    for (asm_stmt* s : *f->stmts) {
      add_statement(s, folder, p, tokens);
      bool const defines = text_is(s->opcode, ".label") || text_is(s->opcode, ".define") ||
                           text_is(s->opcode, ".register");
      if (!defines || s->args->empty()) continue;
      asm_expr const* name = (*s->args)[0];
      r.definitions.push_back({name->data, s->opcode, path, s->line, name->col, name->end_col});
    }
  }
  for (asm_record const& w : p.ir.asm_list) {
    auto path = paths.find(std::string(w.file));
    if (path != paths.end()) r.words[path->second][w.line].push_back({w.address, w.code});
  }
}

// What each name token names: the symbol table's kind, else that of its
// definition (the run may have ended before), else a register of the architecture.
void classify(asm_passes const& p, analysis_result& r) {
  std::unordered_map<std::string, int> defined;
  for (lsp_definition const& d : r.definitions)
    defined[tolower(d.name)] = d.opcode == ".label" ? STO_LABEL : d.opcode == ".define" ? STO_VAR : STO_USER_REG;
  auto arch = asm_arch::arch_map.find(p.arch_name);
  for (auto& file : r.tokens) {
    for (lsp_token& t : file.second) {
      if (t.kind != token_kind::name) continue;
      std::string const key = tolower(t.text);
      auto s = p.ir.sym_tab.find(key);
      auto d = defined.find(key);
      if (s != p.ir.sym_tab.end()) t.sym = s->second.type;
      else if (d != defined.end()) t.sym = d->second;
      else if (arch != asm_arch::arch_map.end() && arch->second.sym_map.count(key)) t.sym = STO_REG;
    }
    auto const before = [](lsp_token const& a, lsp_token const& b) {
      return a.line != b.line ? a.line < b.line : a.col < b.col;
    };
    // The statements come in the order of the text: sorting is seldom needed.
    if (!std::is_sorted(file.second.begin(), file.second.end(), before))
      std::sort(file.second.begin(), file.second.end(), before);
  }
}

// Runs the tool's command line on the texts of the overlay and files, and
// collects what the features read into r; returns the run's messages.
std::vector<asm_module::msg_element> run(std::vector<char const*> const& argv, std::string const& folder,
                                         std::unordered_map<std::string, std::string> const& overlay,
                                         document_store const& docs, analysis_result& r) {
  asm_api_lock lock(asm_api_mutex());
  folder_guard in_folder(folder);
  asm_passes p;
  p.write_files = false;  // the image too: its name is still checked as the tool does
  p.source_overlay = &overlay;
  std::string report;
  std::vector<char const*> args = argv;
  asm_zqs_run(p, (int)args.size(), args.data(), report);
  for (std::string const& path : p.read_paths) r.read_paths.insert(absolute_path(path, folder));
  r.arch = p.arch_name;
  for (auto const& s : p.ir.sym_tab) r.symbols[s.first] = {s.second.value, (int)s.second.type, s.first};
  collect(p, folder, docs, r);
  for (auto d = r.definitions.rbegin(); d != r.definitions.rend(); ++d) {  // the first one last
    auto s = r.symbols.find(tolower(d->name));
    if (s != r.symbols.end()) s->second.name = d->name;
  }
  classify(p, r);
  return asm_module::msg_lst;
}

// The absolute path of the file a message is about; empty when it has none.
std::string message_path(asm_module::msg_element const& m, std::string const& folder) {
  return m.file.empty() ? "" : absolute_path(m.path.empty() ? m.file : m.path, folder);
}

// Whether the message is one of the scanner's or the parser's (ZQS20xx).
bool is_syntax_message(asm_module::msg_element const& m) {
  if (m.level != asm_module::MLV_ERROR || m.file.empty()) return false;
  msg_code_type const* c = message_code(m.text);
  return c && std::strncmp(c->code, "ZQS20", 5) == 0;
}

// Adds the lines of the scanner's and the parser's messages to lines, by
// absolute path; whether it added any.
bool add_unparsed_lines(std::vector<asm_module::msg_element> const& msgs, std::string const& folder,
                        std::map<std::string, std::set<unsigned int>>& lines) {
  bool added = false;
  for (asm_module::msg_element const& m : msgs) {
    if (!is_syntax_message(m)) continue;
    std::string const path = message_path(m, folder);
    // The place, not the line counted: a fault at a line end is on the line it ends.
    unsigned int const line = m.where.known() ? m.where.line : m.line;
    if (line > 0) added = lines[path].insert(line).second || added;
  }
  return added;
}

// The text with the given lines (1-based) emptied; every line end stays.
std::string blank_lines(std::string const& text, std::set<unsigned int> const& lines) {
  std::string out;
  out.reserve(text.size());
  unsigned int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    char const c = text[i];
    if (c == '\n' || c == '\r') {
      out += c;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') out += text[++i];
      ++line;
    } else if (!lines.count(line)) {
      out += c;
    }
  }
  return out;
}

// Puts a text into the overlay under a path, and under the path with its
// symbolic links resolved, by which the run may look it up as well.
void set_overlay(std::unordered_map<std::string, std::string>& overlay, std::string const& path,
                 std::string const& text) {
  overlay[path] = text;
  std::error_code ec;
  std::string const real = std::filesystem::weakly_canonical(path, ec).string();
  if (!ec && real != path) overlay[real] = text;
}

}  // namespace

void lsp_settings::update(json const& section, std::string const& base) {
  if (!section.is_object()) return;
  if (section.contains("arch") && section["arch"].is_string()) arch = section["arch"];
  if (section.contains("includeDirs") && section["includeDirs"].is_array()) {
    include_dirs.clear();
    for (json const& d : section["includeDirs"])
      if (d.is_string()) include_dirs.push_back(absolute_path(d.get<std::string>(), base));
  }
  if (section.contains("inlayHints") && section["inlayHints"].is_boolean()) inlay_hints = section["inlayHints"];
  if (section.contains("maxAddr")) {
    json const& m = section["maxAddr"];
    if (m.is_string()) max_addr = m.get<std::string>();
    else if (m.is_number_unsigned()) max_addr = std::to_string(m.get<unsigned long long>());
    else if (m.is_null()) max_addr.clear();
  }
}

json to_diagnostic(std::string const& text, int level, unsigned int line, unsigned int col,
                   unsigned int end_line, unsigned int end_col, line_index const& lines,
                   pos_encoding e) {
  json range;
  if (line == 0) {  // no place in the file
    range = {{"start", position(0, 0)}, {"end", position(0, 0)}};
  } else if (col == 0) {  // a line without columns: all of it
    std::string_view l = lines.line(line - 1);
    range = {{"start", position(line - 1, 0)}, {"end", position(line - 1, units_of(l, l.size(), e))}};
  } else {
    if (end_line == 0) end_line = line;
    if (end_col < col && end_line == line) end_col = col;
    std::string_view first = lines.line(line - 1);
    std::string_view last = lines.line(end_line - 1);
    // 1-based first and inclusive last byte -> 0-based first and exclusive last.
    range = {{"start", position(line - 1, units_of(first, col - 1, e))},
             {"end", position(end_line - 1, units_of(last, end_col, e))}};
  }
  json d = {{"range", range}, {"severity", severity(level)}, {"source", "asm-zqs"}, {"message", text}};
  if (msg_code_type const* c = message_code(text)) d["code"] = c->code;
  return d;
}

analysis_result analyse(document const& main, document_store const& docs,
                        lsp_settings const& settings, pos_encoding e) {
  analysis_result r;
  std::string const folder = folder_of(main.path);
  std::string name = std::filesystem::path(main.path).filename().string();
  if (!name.empty() && name[0] == '-') name = "./" + name;  // never an option
  std::vector<std::string> words{"asm-zqs"};
  if (!settings.arch.empty()) words.insert(words.end(), {"-arch", settings.arch});
  if (!settings.max_addr.empty()) words.insert(words.end(), {"-adrmax", settings.max_addr});
  for (std::string const& d : settings.include_dirs) words.insert(words.end(), {"-I", d});
  words.push_back(name);
  std::vector<char const*> argv;
  for (std::string const& w : words) argv.push_back(w.c_str());

  std::unordered_map<std::string, std::string> const overlay = docs.overlay();
  std::vector<asm_module::msg_element> msgs = run(argv, folder, overlay, docs, r);
  // A line holds one statement: without the lines that do not parse, the
  // rest of each file parses, and the features see its tree and symbols.
  std::map<std::string, std::set<unsigned int>> broken;
  if (add_unparsed_lines(msgs, folder, broken)) {
    // The files the first run shows syntax errors in.
    for (auto const& f : broken) r.unparsed.insert(f.first);
    analysis_result rest;
    // Files that a failed parse kept from being read may hide syntax errors
    // of their own: they are reported too.
    std::vector<asm_module::msg_element> hidden;
    for (int round = 0; round < 4; ++round) {
      std::unordered_map<std::string, std::string> blanked = overlay;
      for (auto const& f : broken) set_overlay(blanked, f.first, blank_lines(text_of(f.first, docs, r.texts), f.second));
      rest = analysis_result();
      std::vector<asm_module::msg_element> const more = run(argv, folder, blanked, docs, rest);
      for (asm_module::msg_element const& m : more)
        if (is_syntax_message(m) && !r.unparsed.count(message_path(m, folder))) hidden.push_back(m);
      if (!add_unparsed_lines(more, folder, broken)) break;
    }
    for (asm_module::msg_element const& m : hidden) {
      r.unparsed.insert(message_path(m, folder));
      msgs.push_back(m);
    }
    r.read_paths.insert(rest.read_paths.begin(), rest.read_paths.end());
    r.arch = rest.arch;
    r.symbols = std::move(rest.symbols);
    r.definitions = std::move(rest.definitions);
    r.tokens = std::move(rest.tokens);
    r.words = std::move(rest.words);
    r.texts.insert(rest.texts.begin(), rest.texts.end());
  }

  std::map<std::string, line_index> indexes;  // by path, of the files with messages
  auto lines_of = [&](std::string const& path) -> line_index const& {
    auto it = indexes.find(path);
    if (it == indexes.end()) it = indexes.emplace(path, line_index(text_of(path, docs, r.texts))).first;
    return it->second;
  };
  r.diagnostics[main.path] = json::array();
  for (asm_module::msg_element const& m : msgs) {
    std::string path = main.path;
    src_range w = m.where;
    if (!m.file.empty()) {
      path = message_path(m, folder);
    } else {
      w = src_range();
    }
    if (!w.known() && !m.file.empty()) w.line = m.line;
    json d = to_diagnostic(m.text, m.level, w.line, w.col, w.end_line, w.end_col, lines_of(path), e);
    // The .include lines that lead to the file, outermost first.
    for (include_site const& site : m.included_from) {
      std::string const from = absolute_path(site.file, folder);
      document const* open = docs.find_path(from);
      json const at = to_diagnostic("", 0, site.line, 0, 0, 0, lines_of(from), e);
      d["relatedInformation"].push_back(
          {{"location", {{"uri", open ? open->uri : path_to_uri(from)}, {"range", at["range"]}}},
           {"message", "included from here"}});
    }
    json& list = r.diagnostics[path];
    if (list.is_null()) list = json::array();
    list.push_back(std::move(d));
  }
  return r;
}
