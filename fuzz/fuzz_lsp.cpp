// The language server's document analysis and features with fuzzed texts,
// in process. Byte 0 picks the position encoding and the architecture; the
// rest is the text of main.zqs, then, after the first zero byte, that of
// inc.zqs, both open documents of a scratch folder. The server answers hover,
// completion, definition, references, highlight, rename, semantic tokens,
// symbols, links and hints at positions drawn from the text, before and
// after an edit of a range drawn from it. Its answers go to /dev/null; a
// crash, a sanitizer report or an escaping exception is a finding.
// Inputs that name a path in a .cmdline or .include are skipped (a device
// or FIFO would be read), and so is -adrmax (an image of gigabytes).
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "../tool/lsp/server.h"

using nlohmann::json;

namespace {

std::string folder;
FILE* sink;
char const* const archs[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};

bool contains(std::string const& s, char const* word) { return s.find(word) != std::string::npos; }

void send(lsp_server& server, json const& message) {
  server.handle(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

json doc(std::string const& name) { return {{"uri", "file://" + folder + "/" + name}}; }

// A position from two bytes of the text: lines and columns a little past the end too.
json position(std::string const& text, size_t k) {
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  unsigned char a = text.empty() ? 0 : (unsigned char)text[k % text.size()];
  unsigned char b = text.empty() ? 0 : (unsigned char)text[(k * 7 + 3) % text.size()];
  return {{"line", a % (lines + 2)}, {"character", b % 48}};
}

void ask(lsp_server& server, std::string const& text, int& id) {
  static char const* const at_position[] = {"hover", "completion", "definition", "references",
                                            "documentHighlight", "prepareRename", "rename"};
  for (size_t k = 0; k < 8; ++k) {
    json p = {{"textDocument", doc("main.zqs")}, {"position", position(text, k)}, {"newName", "n_k"},
              {"context", {{"includeDeclaration", true}}}};
    send(server, {{"jsonrpc", "2.0"}, {"id", ++id}, {"method", std::string("textDocument/") + at_position[k % 7]},
                  {"params", p}});
  }
  json range = {{"start", position(text, 1)}, {"end", position(text, 2)}};
  for (char const* m : {"semanticTokens/full", "semanticTokens/range", "documentSymbol", "documentLink", "inlayHint"})
    for (char const* name : {"main.zqs", "inc.zqs"})
      send(server, {{"jsonrpc", "2.0"}, {"id", ++id}, {"method", std::string("textDocument/") + m},
                    {"params", {{"textDocument", doc(name)}, {"range", range}}}});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/fuzz_lsp_XXXXXX";
  if (!mkdtemp(tmpl)) abort();
  folder = tmpl;
  sink = fopen("/dev/null", "wb");
  if (!sink) abort();
  atexit([] { rmdir(folder.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size < 1) return 0;
  std::string const rest(reinterpret_cast<char const*>(data) + 1, size - 1);
  if ((contains(rest, "/") || contains(rest, "\\")) && (contains(rest, "cmdline") || contains(rest, "include")))
    return 0;
  if (contains(rest, "adrmax")) return 0;
  size_t const zero = rest.find('\0');
  std::string const main_text = rest.substr(0, zero);
  std::string const inc_text = zero == std::string::npos ? "nop\n" : rest.substr(zero + 1);

  lsp_server server(sink, false);
  json encodings = data[0] & 1 ? json::array({"utf-8"}) : json::array({"utf-16"});
  send(server, {{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"},
                {"params", {{"capabilities", {{"general", {{"positionEncodings", encodings}}}}},
                            {"rootUri", "file://" + folder},
                            {"initializationOptions", {{"asmZqs", {{"arch", archs[(data[0] >> 1) % 5]},
                                                                    {"inlayHints", true}}}}}}}});
  for (auto const& [name, text] : {std::pair<char const*, std::string const&>{"inc.zqs", inc_text}, {"main.zqs", main_text}})
    send(server, {{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                  {"params", {{"textDocument", {{"uri", doc(name)["uri"]}, {"languageId", "zqs"}, {"version", 1},
                                                {"text", text}}}}}});
  int id = 0;
  ask(server, main_text, id);
  json change = {{"range", {{"start", position(main_text, 5)}, {"end", position(main_text, 6)}}},
                 {"text", inc_text.substr(0, 16)}};
  send(server, {{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
                {"params", {{"textDocument", {{"uri", doc("main.zqs")["uri"]}, {"version", 2}}},
                            {"contentChanges", json::array({change})}}}});
  ask(server, main_text, id);
  send(server, {{"jsonrpc", "2.0"}, {"method", "textDocument/didClose"}, {"params", {{"textDocument", doc("inc.zqs")}}}});
  send(server, {{"jsonrpc", "2.0"}, {"id", ++id}, {"method", "shutdown"}});
  return 0;
}
