// Tokens in the protocol's relative encoding: five numbers a token (line and
// start relative to the token before, length, type, modifiers), in order.
#include "semantic_tokens.h"

#include <algorithm>
#include <tuple>

#include "asm_sym.h"
#include "comments.h"
#include "server.h"

using nlohmann::json;

namespace {

// The legend's token types, by their index in it.
enum type_index { MNEMONIC, REGISTER, LABEL, VARIABLE, DIRECTIVE, NUMBER, STRING, COMMENT, NONE };
char const* const type_names[] = {"mnemonic", "register", "label", "variable", "directive", "number", "string", "comment"};
unsigned int const DECLARATION = 1;  // the modifier bit of a label, .define or .register name

struct place {
  size_t line, start, length;  // client units
  int type;
  unsigned int modifiers;
  bool operator<(place const& o) const { return std::tie(line, start) < std::tie(o.line, o.start); }
};

int type_of(lsp_token const& t) {
  switch (t.kind) {
    case token_kind::mnemonic: return MNEMONIC;
    case token_kind::directive: return DIRECTIVE;
    case token_kind::number: return NUMBER;
    case token_kind::string: return STRING;
    case token_kind::name: break;
  }
  switch (t.sym) {
    case STO_REG:
    case STO_USER_REG: return REGISTER;
    case STO_LABEL: return LABEL;
    case STO_VAR: return VARIABLE;
    default: return NONE;  // an undefined name
  }
}

// Every token of the document: those the analysis parsed, and the comment
// of each line.
std::vector<place> places(document const& doc, analysis_result const* r, pos_encoding e) {
  std::vector<place> list;
  line_index const lines(doc.text);
  if (r && r->tokens.count(doc.path)) {
    for (lsp_token const& t : r->tokens.at(doc.path)) {
      int const type = type_of(t);
      if (type == NONE) continue;
      std::string_view const line = lines.line(t.line - 1);
      size_t const start = units_of(line, t.col - 1, e);
      list.push_back({t.line - 1, start, units_of(line, t.end_col, e) - start, type, t.defines ? DECLARATION : 0});
    }
  }
  for (size_t l = 0; l < lines.count(); ++l) {
    std::string_view const line = lines.line(l);
    size_t const at = comment_start(line);
    if (at == line.size()) continue;
    size_t const start = units_of(line, at, e);
    list.push_back({l, start, units_of(line, line.size(), e) - start, COMMENT, 0});
  }
  std::sort(list.begin(), list.end());
  return list;
}

json encode(std::vector<place> const& list) {
  json data = json::array();
  size_t line = 0, start = 0;
  for (place const& p : list) {
    data.push_back(p.line - line);
    data.push_back(p.line == line ? p.start - start : p.start);
    data.push_back(p.length);
    data.push_back(p.type);
    data.push_back(p.modifiers);
    line = p.line;
    start = p.start;
  }
  return data;
}

json tokens(lsp_server& server, json const& params, bool ranged) {
  std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
  document const* doc = server.documents().find(uri);
  if (!doc) return nullptr;
  std::vector<place> list = places(*doc, server.result_for(uri), server.position_encoding());
  if (ranged) {  // the tokens that start in the range
    json const& r = params.at("range");
    place const from{r.at("/start/line"_json_pointer), r.at("/start/character"_json_pointer), 0, 0, 0};
    place const to{r.at("/end/line"_json_pointer), r.at("/end/character"_json_pointer), 0, 0, 0};
    list.erase(std::remove_if(list.begin(), list.end(), [&](place const& p) { return p < from || !(p < to); }),
               list.end());
  }
  json answer = json::object();
  answer["data"] = encode(list);
  return answer;
}

}  // namespace

json semantic_tokens_legend() {
  return {{"tokenTypes", type_names}, {"tokenModifiers", {"declaration"}}};
}

void add_semantic_tokens(lsp_server& server) {
  server.add_request("textDocument/semanticTokens/full",
                     [&server](json const& p) { return tokens(server, p, false); });
  server.add_request("textDocument/semanticTokens/range",
                     [&server](json const& p) { return tokens(server, p, true); });
}
