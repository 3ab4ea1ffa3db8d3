// The message list as compilers print it (gnu) and as tools read it (json,
// sarif). Columns are 1-based byte columns; a range's end column is its last.
#include "asm_diag.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

#include "asm_codes.h"
#include "asm_utils.h"

using nlohmann::ordered_json;
typedef asm_module::msg_element msg;

namespace {

char const* const NO_CODE = "ZQS0000";
char const* const SARIF_SCHEMA =
    "https://docs.oasis-open.org/sarif/sarif/v2.1.0/os/schemas/sarif-schema-2.1.0.json";

// The lines of the source files the messages name, each file read once.
// A file that cannot be read has no lines.
class source_lines {
 public:
  // Line n (1-based) of path; null when there is no such line.
  std::string const* line(std::string const& path, unsigned int n) {
    auto it = files.find(path);
    if (it == files.end()) it = files.emplace(path, read(path)).first;
    return n >= 1 && n <= it->second.size() ? &it->second[n - 1] : nullptr;
  }

 private:
  std::map<std::string, std::vector<std::string>> files;

  // LF, CR LF and a lone CR each end a line.
  static std::vector<std::string> read(std::string const& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (!in) return lines;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c != '\n' && c != '\r') {
        cur += c;
        continue;
      }
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(cur));
      cur.clear();
    }
    if (!cur.empty()) lines.push_back(std::move(cur));
    return lines;
  }
};

// The file a message is about: as the run opened it, else as reported.
std::string const& file_of(msg const& m) { return m.path.empty() ? m.file : m.path; }

// The line a message is about: that of its range when it has one.
unsigned int line_of(msg const& m) { return m.where.known() ? m.where.line : m.line; }

// The last column of the range on its first line (the range's own end
// column when it ends there; at least its first column).
unsigned int last_col_on_first_line(src_range const& r, size_t line_size) {
  unsigned int last = r.end_line == r.line ? r.end_col : (unsigned int)line_size;
  return last < r.col ? r.col : last;
}

std::string code_of(msg const& m) {
  msg_code_type const* row = message_code(m.text);
  return row ? row->code : NO_CODE;
}

bool is_error(msg const& m) { return m.level == asm_module::MLV_FATAL || m.level == asm_module::MLV_ERROR; }

// A UTF-8 continuation byte takes no column of its own on a terminal.
bool continues_char(char c) { return ((unsigned char)c & 0xC0) == 0x80; }

std::string dump(ordered_json const& j) {
  // Messages quote bytes of user files: invalid UTF-8 becomes U+FFFD.
  return j.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

// --- gnu

char const* gnu_level(asm_module::MSG_LEVEL level) {
  switch (level) {
    case asm_module::MLV_FATAL: return "fatal error";
    case asm_module::MLV_ERROR: return "error";
    case asm_module::MLV_WARNING: return "warning";
    default: return "note";
  }
}

// The source line, and under it '^' at the first column and '~' under the
// rest of the range on that line. Tabs before the caret stay tabs, so that
// the caret lines up however wide the terminal shows a tab.
void append_source(std::string& out, msg const& m, source_lines& src) {
  std::string const* text = src.line(m.path, m.where.line);
  if (!text) return;
  out += *text + "\n";
  size_t first = m.where.col - 1, last = last_col_on_first_line(m.where, text->size()) - 1;
  for (size_t i = 0; i < first; ++i) {
    char c = i < text->size() ? (*text)[i] : ' ';
    if (c == '\t') out += '\t';
    else if (!continues_char(c)) out += ' ';
  }
  out += '^';
  for (size_t i = first + 1; i <= last && i < text->size(); ++i)
    if (!continues_char((*text)[i])) out += '~';
  out += '\n';
}

std::string gnu_text(std::vector<msg> const& msgs) {
  std::string out;
  source_lines src;
  for (msg const& m : msgs) {
    std::string const& file = file_of(m);
    if (file.empty()) {
      out += std::string("asm-zqs: ") + gnu_level(m.level) + ": " + m.text + "\n";
      continue;
    }
    for (include_site const& s : m.included_from)
      out += "In file included from " + s.file + ":" + num2str(s.line) + ":\n";
    out += file + ":" + num2str(line_of(m)) + ":";
    if (m.where.known()) out += num2str(m.where.col) + ":";
    out += std::string(" ") + gnu_level(m.level) + ": " + m.text + "\n";
    if (m.where.known() && !m.path.empty()) append_source(out, m, src);
  }
  return out;
}

// --- json

char const* json_level(asm_module::MSG_LEVEL level) {
  switch (level) {
    case asm_module::MLV_FATAL: return "fatal";
    case asm_module::MLV_ERROR: return "error";
    case asm_module::MLV_WARNING: return "warning";
    default: return "info";
  }
}

std::string json_text(std::vector<msg> const& msgs) {
  unsigned int errors = 0, warnings = 0;
  ordered_json list = ordered_json::array();
  for (msg const& m : msgs) {
    if (is_error(m)) ++errors;
    if (m.level == asm_module::MLV_WARNING) ++warnings;
    ordered_json d;
    d["level"] = json_level(m.level);
    d["code"] = code_of(m);
    d["message"] = m.text;
    d["file"] = file_of(m);
    if (!file_of(m).empty()) d["line"] = line_of(m);
    if (m.where.known()) {
      d["column"] = m.where.col;
      d["end_line"] = m.where.end_line;
      d["end_column"] = m.where.end_col;
    }
    d["included_from"] = ordered_json::array();
    for (include_site const& s : m.included_from)
      d["included_from"].push_back(ordered_json{{"file", s.file}, {"line", s.line}});
    list.push_back(std::move(d));
  }
  ordered_json doc;
  doc["version"] = 1;
  doc["errors"] = errors;
  doc["warnings"] = warnings;
  doc["diagnostics"] = std::move(list);
  return dump(doc);
}

// --- sarif

// Percent-encodes every byte outside the unreserved set and '/' (':' kept
// where asked: in an absolute path, as of a drive letter).
std::string uri_encode(std::string const& path, bool keep_colon) {
  static char const hex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : path) {
    unsigned char c = (unsigned char)ch;
#ifdef _WIN32
    if (c == '\\') c = '/';
#endif
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~' || c == '/' || (keep_colon && c == ':')) {
      out += (char)c;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// The file URI of an absolute path ("C:/x" gets the slash of "file:///C:/x").
std::string file_uri(std::string const& path) {
  std::string p = uri_encode(path, true);
  return p.compare(0, 1, "/") == 0 ? "file://" + p : "file:///" + p;
}

// The working directory's file URI, with a trailing slash.
std::string srcroot_uri() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  std::string uri = file_uri(ec ? std::string() : cwd);
  if (uri.empty() || uri.back() != '/') uri += '/';
  return uri;
}

// An artifact location: relative to SRCROOT, or absolute as a file URI.
ordered_json artifact(std::string const& path) {
  if (std::filesystem::path(path).is_absolute()) return ordered_json{{"uri", file_uri(path)}};
  return ordered_json{{"uri", uri_encode(path, false)}, {"uriBaseId", "SRCROOT"}};
}

// The column of a code point: SARIF counts characters, the messages bytes.
// Without the line's text, bytes they stay.
unsigned int char_col(std::string const* text, unsigned int byte_col) {
  if (!text) return byte_col;
  unsigned int col = 1;
  for (size_t i = 0; i + 1 < byte_col; ++i)
    if (i >= text->size() || !continues_char((*text)[i])) ++col;
  return col;
}

ordered_json region(msg const& m, source_lines& src) {
  src_range const& r = m.where;
  unsigned int end_line = r.end_line >= r.line ? r.end_line : r.line;
  unsigned int end_col = r.end_col;
  if (end_line == r.line && end_col < r.col) end_col = r.col;
  // SARIF's end column is the first one after the range.
  return ordered_json{{"startLine", r.line},
                      {"startColumn", char_col(src.line(m.path, r.line), r.col)},
                      {"endLine", end_line},
                      {"endColumn", char_col(src.line(m.path, end_line), end_col + 1)}};
}

char const* sarif_level(asm_module::MSG_LEVEL level) {
  if (level == asm_module::MLV_FATAL || level == asm_module::MLV_ERROR) return "error";
  return level == asm_module::MLV_WARNING ? "warning" : "note";
}

ordered_json rule(char const* id, char const* templ, char const* help) {
  ordered_json r;
  r["id"] = id;
  r["shortDescription"] = ordered_json{{"text", templ}};
  if (help && *help) {
    r["fullDescription"] = ordered_json{{"text", help}};
    r["help"] = ordered_json{{"text", help}};
  }
  return r;
}

ordered_json result(msg const& m, size_t rule_index, source_lines& src) {
  ordered_json res;
  msg_code_type const* row = message_code(m.text);
  res["ruleId"] = row ? row->code : NO_CODE;
  res["ruleIndex"] = rule_index;
  res["level"] = sarif_level(m.level);
  res["message"] = ordered_json{{"text", m.text}};
  std::string const& file = file_of(m);
  if (!file.empty()) {
    ordered_json phys{{"artifactLocation", artifact(file)}};
    if (m.where.known()) phys["region"] = region(m, src);
    else if (m.line) phys["region"] = ordered_json{{"startLine", m.line}};
    res["locations"] = ordered_json::array({ordered_json{{"physicalLocation", phys}}});
    // The .include lines that led to the file, outermost first.
    if (!m.included_from.empty()) {
      ordered_json related = ordered_json::array();
      for (include_site const& s : m.included_from) {
        ordered_json site{{"artifactLocation", artifact(s.file)}};
        if (s.line) site["region"] = ordered_json{{"startLine", s.line}};
        related.push_back(ordered_json{{"physicalLocation", site},
                                       {"message", {{"text", "Included from here."}}}});
      }
      res["relatedLocations"] = related;
    }
  }
  if (m.level == asm_module::MLV_FATAL) res["properties"] = ordered_json{{"fatal", true}};
  return res;
}

std::string sarif_text(std::vector<msg> const& msgs) {
  std::vector<msg_code_type> const& codes = message_codes();
  ordered_json rules = ordered_json::array();
  std::map<std::string, size_t> index;
  for (msg_code_type const& c : codes) {
    index.emplace(c.code, rules.size());
    rules.push_back(rule(c.code, c.templ, c.help));
  }
  source_lines src;
  ordered_json results = ordered_json::array();
  for (msg const& m : msgs) {
    std::string code = code_of(m);
    if (!index.count(code)) {  // a text of no template: one rule for all of them
      index.emplace(code, rules.size());
      rules.push_back(rule(NO_CODE, "A message without a code of its own.", nullptr));
    }
    results.push_back(result(m, index[code], src));
  }
  ordered_json driver;
  driver["name"] = "asm-zqs";
  driver["version"] = ASM_VERSION;
  driver["rules"] = std::move(rules);
  ordered_json run;
  run["tool"] = ordered_json{{"driver", std::move(driver)}};
  run["originalUriBaseIds"] = ordered_json{{"SRCROOT", {{"uri", srcroot_uri()}}}};
  // Columns count bytes in the messages; here characters of UTF-8 lines.
  run["columnKind"] = "unicodeCodePoints";
  run["results"] = std::move(results);
  ordered_json log;
  log["$schema"] = SARIF_SCHEMA;
  log["version"] = "2.1.0";
  log["runs"] = ordered_json::array({std::move(run)});
  return dump(log);
}

}  // namespace

bool parse_diag_format(std::string const& name, diag_format& format) {
  if (name == "gnu") format = diag_format::gnu;
  else if (name == "json") format = diag_format::json;
  else if (name == "sarif") format = diag_format::sarif;
  else return false;
  return true;
}

std::string format_diagnostics(std::vector<asm_module::msg_element> const& msgs, diag_format format) {
  switch (format) {
    case diag_format::gnu: return gnu_text(msgs);
    case diag_format::json: return json_text(msgs);
    case diag_format::sarif: return sarif_text(msgs);
    default: return "";
  }
}
