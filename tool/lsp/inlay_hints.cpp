// One hint at the end of each line that places words: "0x0010: 0xE0000028",
// the address of its first word and its code words (the first few of a
// .var or .str that places many).
#include "inlay_hints.h"

#include <cstdio>

#include "server.h"

using nlohmann::json;

namespace {

size_t const SHOWN_WORDS = 4;

}  // namespace

std::string placed_words_text(std::vector<lsp_word> const& words) {
  char buf[32];
  snprintf(buf, sizeof buf, "0x%04X:", words[0].address);
  std::string s = buf;
  for (size_t i = 0; i < words.size() && i < SHOWN_WORDS; ++i) {
    snprintf(buf, sizeof buf, " 0x%08X", words[i].code);
    s += buf;
  }
  if (words.size() > SHOWN_WORDS) s += " (+" + std::to_string(words.size() - SHOWN_WORDS) + ")";
  return s;
}

namespace {

json hints(lsp_server& server, lsp_settings const& settings, json const& params) {
  std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
  size_t const first = params.at("/range/start/line"_json_pointer).get<size_t>();
  size_t const last = params.at("/range/end/line"_json_pointer).get<size_t>();
  json list = json::array();
  document const* doc = server.documents().find(uri);
  analysis_result const* r = server.result_for(uri);
  if (!settings.inlay_hints || !doc || !r || !r->words.count(doc->path)) return list;
  line_index const lines(doc->text);
  for (auto const& line : r->words.at(doc->path)) {
    size_t const l = line.first - 1;
    if (l < first || l > last) continue;
    std::string_view const text = lines.line(l);
    json const at = {{"line", l}, {"character", units_of(text, text.size(), server.position_encoding())}};
    list.push_back({{"position", at}, {"label", placed_words_text(line.second)}, {"paddingLeft", true}});
  }
  return list;
}

}  // namespace

void add_inlay_hints(lsp_server& server, lsp_settings const& settings) {
  server.add_request("textDocument/inlayHint",
                     [&server, &settings](json const& p) { return hints(server, settings, p); });
}
