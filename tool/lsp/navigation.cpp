// A symbol's occurrences are the name tokens of every file of the analysis
// that spell it, case aside (the assembler looks names up in lower case);
// its definitions are the label, .define and .register names among them.
#include "navigation.h"

#include <memory>

#include "asm_sym.h"
#include "asm_utils.h"
#include "server.h"
#include "uri.h"

using nlohmann::json;

namespace {

// LSP's code for a request that is valid but cannot be carried out.
int const REQUEST_FAILED = -32803;

struct located {
  std::string path;
  lsp_token const* token;
};

class navigation {
 public:
  explicit navigation(lsp_server& s) : server(s) {}

  json definition(json const& params) {
    located const at = token_at(params);
    json list = json::array();
    if (!at.token) return nullptr;
    if (at.token->kind == token_kind::string && !at.token->text.empty()) {
      json const start = {{"line", 0}, {"character", 0}};
      list.push_back({{"uri", uri_of(at.token->text)}, {"range", {{"start", start}, {"end", start}}}});
      return list;
    }
    if (at.token->kind != token_kind::name) return nullptr;
    for (located const& o : occurrences(*at.token))
      if (o.token->defines) list.push_back(location(o));
    return list;
  }

  json references(json const& params) {
    located const at = token_at(params);
    json list = json::array();
    if (!at.token || at.token->kind != token_kind::name) return list;
    bool const declarations = params.value("/context/includeDeclaration"_json_pointer, false);
    for (located const& o : occurrences(*at.token))
      if (declarations || !o.token->defines) list.push_back(location(o));
    return list;
  }

  json highlight(json const& params) {
    located const at = token_at(params);
    json list = json::array();
    if (!at.token || at.token->kind != token_kind::name) return list;
    for (located const& o : occurrences(*at.token))  // kinds: 2 read, 3 write
      if (o.path == at.path) list.push_back({{"range", range(o)}, {"kind", o.token->defines ? 3 : 2}});
    return list;
  }

  json prepare_rename(json const& params) {
    located const at = token_at(params);
    if (!at.token || at.token->kind == token_kind::number || at.token->kind == token_kind::string)
      return nullptr;
    check_renamable(*at.token);
    return {{"range", range(at)}, {"placeholder", at.token->text}};
  }

  json rename(json const& params) {
    located const at = token_at(params);
    if (!at.token) throw rpc_error{REQUEST_FAILED, "No label, variable or register name here."};
    check_renamable(*at.token);
    std::string const name = params.at("newName").get<std::string>();
    if (!is_identifier(name))
      throw rpc_error{REQUEST_FAILED, "'" + name + "' is no name: a name is a letter followed by letters, digits "
                                      "and underscores."};
    std::string const key = tolower(name);
    if (key != tolower(at.token->text) && (current->symbols.count(key) || defined(*current, key)))
      throw rpc_error{REQUEST_FAILED, "'" + name + "' is a symbol of the program already."};
    // A file that did not parse hides its occurrences: a rename would miss them.
    for (std::string const& path : current->read_paths)
      if (!current->tokens.count(path) || current->unparsed.count(path))
        throw rpc_error{REQUEST_FAILED, "Cannot rename while " + path + " does not parse."};
    json changes = json::object();
    for (located const& o : occurrences(*at.token))
      changes[uri_of(o.path)].push_back({{"range", range(o)}, {"newText", name}});
    return {{"changes", changes}};
  }

  json document_links(json const& params) {
    json list = json::array();
    std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
    document const* doc = server.documents().find(uri);
    use(server.result_for(uri));
    if (!doc || !current || !current->tokens.count(doc->path)) return list;
    for (lsp_token const& t : current->tokens.at(doc->path))
      if (t.kind == token_kind::string && !t.text.empty())
        list.push_back({{"range", range({doc->path, &t})}, {"target", uri_of(t.text)}});
    return list;
  }

  // The labels, variables and register names defined in the open documents
  // whose names hold the query, case aside.
  json workspace_symbols(json const& params) {
    std::string const query = tolower(params.value("query", ""));
    json list = json::array();
    for (auto const& d : server.documents().docs) {
      use(server.result_for(d.first));
      if (!current || !current->tokens.count(d.second.path)) continue;
      for (lsp_token const& t : current->tokens.at(d.second.path)) {
        if (!t.defines || tolower(t.text).find(query) == std::string::npos) continue;
        int const kind = t.sym == STO_LABEL ? 12 : t.sym == STO_VAR ? 13 : 14;  // function, variable, constant
        list.push_back({{"name", t.text}, {"kind", kind}, {"location", location({d.second.path, &t})}});
      }
    }
    return list;
  }

 private:
  lsp_server& server;
  analysis_result const* current = nullptr;  // the analysis of the request being answered
  mutable std::map<std::string, line_index> lines;  // of the files it has answered about, by path

  void use(analysis_result const* r) {
    current = r;
    lines.clear();
  }

  // The token under a client position, in the analysis that covers the document.
  located token_at(json const& params) {
    std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
    json const& pos = params.at("position");
    document const* doc = server.documents().find(uri);
    use(server.result_for(uri));
    if (!doc || !current) return {"", nullptr};
    auto file = current->tokens.find(doc->path);
    if (file == current->tokens.end()) return {"", nullptr};
    unsigned int const line = pos.at("line").get<unsigned int>() + 1;
    std::string_view const text = text_line(doc->text, line - 1);
    size_t const character = pos.at("character").get<size_t>();
    unsigned int const col = (unsigned int)bytes_of(text, character, server.position_encoding()) + 1;
    lsp_token const* best = nullptr;
    for (lsp_token const& t : file->second)  // in a token, else just after its end
      if (t.line == line && t.col <= col && col <= t.end_col + 1 && (!best || col <= t.end_col)) best = &t;
    return {doc->path, best};
  }

  std::vector<located> occurrences(lsp_token const& of) const {
    std::vector<located> list;
    std::string const key = tolower(of.text);
    for (auto const& file : current->tokens)
      for (lsp_token const& t : file.second)
        if (t.kind == token_kind::name && tolower(t.text) == key) list.push_back({file.first, &t});
    return list;
  }

  static bool defined(analysis_result const& r, std::string const& key) {
    for (lsp_definition const& d : r.definitions)
      if (tolower(d.name) == key) return true;
    return false;
  }

  static void check_renamable(lsp_token const& t) {
    switch (t.kind) {
      case token_kind::mnemonic: throw rpc_error{REQUEST_FAILED, "A mnemonic cannot be renamed."};
      case token_kind::directive: throw rpc_error{REQUEST_FAILED, "A directive cannot be renamed."};
      case token_kind::name: break;
      default: throw rpc_error{REQUEST_FAILED, "Only labels, variables and register names can be renamed."};
    }
    if (t.sym == STO_REG)
      throw rpc_error{REQUEST_FAILED, "'" + toupper(t.text) + "' is a register of the architecture and cannot be renamed."};
    if (t.sym < 0) throw rpc_error{REQUEST_FAILED, "'" + toupper(t.text) + "' is not defined."};
  }

  std::string uri_of(std::string const& path) const {
    document const* d = server.documents().find_path(path);
    return d ? d->uri : path_to_uri(path);
  }

  json range(located const& o) const {
    pos_encoding const e = server.position_encoding();
    auto index = lines.find(o.path);
    if (index == lines.end()) index = lines.emplace(o.path, line_index(current_text(o.path))).first;
    std::string_view const line = index->second.line(o.token->line - 1);
    json const start = {{"line", o.token->line - 1}, {"character", units_of(line, o.token->col - 1, e)}};
    json const end = {{"line", o.token->line - 1}, {"character", units_of(line, o.token->end_col, e)}};
    return {{"start", start}, {"end", end}};
  }

  json location(located const& o) const { return {{"uri", uri_of(o.path)}, {"range", range(o)}}; }

  // The text the positions of a file's tokens count in.
  std::string_view current_text(std::string const& path) const {
    auto t = current->texts.find(path);
    if (t != current->texts.end()) return t->second;
    document const* d = server.documents().find_path(path);
    return d ? std::string_view(d->text) : std::string_view();
  }
};

}  // namespace

void add_navigation(lsp_server& server) {
  auto n = std::make_shared<navigation>(server);
  server.add_request("textDocument/definition", [n](json const& p) { return n->definition(p); });
  server.add_request("textDocument/references", [n](json const& p) { return n->references(p); });
  server.add_request("textDocument/documentHighlight", [n](json const& p) { return n->highlight(p); });
  server.add_request("textDocument/prepareRename", [n](json const& p) { return n->prepare_rename(p); });
  server.add_request("textDocument/rename", [n](json const& p) { return n->rename(p); });
  server.add_request("textDocument/documentLink", [n](json const& p) { return n->document_links(p); });
  server.add_request("workspace/symbol", [n](json const& p) { return n->workspace_symbols(p); });
}
