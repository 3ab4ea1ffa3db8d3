// Lifecycle and dispatch: JSON-RPC 2.0 over the framed messages.
#include "server.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "asm_utils.h"
#include "features.h"
#include "framing.h"
#include "inlay_hints.h"
#include "navigation.h"
#include "semantic_tokens.h"
#include "uri.h"
#include "workspace.h"

using nlohmann::json;

namespace {

// The JSON-RPC and LSP error codes the server answers with.
enum : int {
  PARSE_ERROR = -32700,
  INVALID_REQUEST = -32600,
  METHOD_NOT_FOUND = -32601,
  INVALID_PARAMS = -32602,
  SERVER_NOT_INITIALIZED = -32002
};

std::string const& uri_of(json const& params) {
  return params.at("textDocument").at("uri").get_ref<std::string const&>();
}

}  // namespace

lsp_server::lsp_server(FILE* out, bool log) : out(out), log(log) {
  requests["initialize"] = [this](json const& p) { return initialize(p); };
  requests["shutdown"] = [this](json const&) {
    shut_down = true;
    return json(nullptr);
  };
  notifications["initialized"] = [](json const&) {};
  notifications["$/cancelRequest"] = [](json const&) {};  // every request is answered before the next is read
  notifications["textDocument/didOpen"] = [this](json const& p) { did_open(p); };
  notifications["textDocument/didChange"] = [this](json const& p) { did_change(p); };
  notifications["textDocument/didClose"] = [this](json const& p) { did_close(p); };
  notifications["textDocument/didSave"] = [this](json const& p) { did_save(p); };
  notifications["workspace/didChangeConfiguration"] = [this](json const& p) { did_change_configuration(p); };
  add_features(*this, settings);
  add_navigation(*this);
  add_semantic_tokens(*this);
  add_inlay_hints(*this, settings);
}

void lsp_server::say(std::string const& text) {
  if (log) fprintf(stderr, "zqs-lsp: %s\n", text.c_str());
}

void lsp_server::send(json const& message) {
  // Message texts hold source bytes that need not be UTF-8.
  write_frame(out, message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void lsp_server::reply_error(json const& id, int code, std::string const& message) {
  say("error " + std::to_string(code) + ": " + message);
  send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void lsp_server::bad_header() { reply_error(nullptr, PARSE_ERROR, "Header without a valid Content-Length."); }

bool lsp_server::handle(std::string const& body) {
  json msg = json::parse(body, nullptr, false);
  if (msg.is_discarded()) {
    reply_error(nullptr, PARSE_ERROR, "Invalid JSON.");
    return true;
  }
  if (msg.is_object() && msg.value("method", json()) == "exit") {
    say("exit");
    return false;
  }
  dispatch(msg);
  return true;
}

void lsp_server::dispatch(json const& msg) {
  json id = nullptr;
  if (msg.is_object() && msg.contains("id") && (msg["id"].is_number_integer() || msg["id"].is_string()))
    id = msg["id"];
  if (!msg.is_object() || msg.value("jsonrpc", json()) != "2.0" ||
      (msg.contains("id") && id.is_null()) ||
      (msg.contains("params") && !msg["params"].is_object() && !msg["params"].is_array())) {
    reply_error(id, INVALID_REQUEST, "Not a JSON-RPC 2.0 request or notification.");
    return;
  }
  if (!msg.contains("method")) {
    if (!id.is_null() && (msg.contains("result") || msg.contains("error"))) return;  // a client's response
    reply_error(id, INVALID_REQUEST, "No method.");
    return;
  }
  if (!msg["method"].is_string()) {
    reply_error(id, INVALID_REQUEST, "The method is no string.");
    return;
  }
  std::string const& method = msg["method"].get_ref<std::string const&>();
  json const params = msg.value("params", json::object());
  bool const request = msg.contains("id");
  say((request ? "request " : "notification ") + method);
  if (!request) {
    auto it = notifications.find(method);
    if (it == notifications.end() || (!initialized && method != "initialized") || shut_down) return;
    try {
      it->second(params);
    } catch (json::exception const& e) {
      say(method + ": bad parameters: " + e.what());
    }
    return;
  }
  if (shut_down) return reply_error(id, INVALID_REQUEST, "The server was shut down.");
  if (!initialized && method != "initialize")
    return reply_error(id, SERVER_NOT_INITIALIZED, "The server is not initialized.");
  auto it = requests.find(method);
  if (it == requests.end()) return reply_error(id, METHOD_NOT_FOUND, "Method not found: " + method);
  try {
    json reply = {{"jsonrpc", "2.0"}, {"id", id}};
    reply["result"] = it->second(params);  // a braced list would copy the result
    send(reply);
  } catch (rpc_error const& e) {
    reply_error(id, e.code, e.message);
  } catch (json::exception const& e) {
    reply_error(id, INVALID_PARAMS, std::string("Invalid params: ") + e.what());
  }
}

json lsp_server::initialize(json const& params) {
  if (initialized) throw rpc_error{INVALID_REQUEST, "The server is initialized already."};
  json const encodings = params.value("/capabilities/general/positionEncodings"_json_pointer, json::array());
  for (json const& e : encodings)
    if (e == "utf-8") encoding = pos_encoding::utf8;
  std::error_code ec;
  root = std::filesystem::current_path(ec).string();
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    std::string p = uri_to_path(params["rootUri"]);
    if (!p.empty()) root = p;
    if (!p.empty()) folders = {p};
  }
  if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array()) {
    folders.clear();
    for (json const& f : params["workspaceFolders"])
      if (f.is_object() && f.contains("uri") && f["uri"].is_string()) {
        std::string const p = uri_to_path(f["uri"]);
        if (!p.empty()) folders.push_back(p);
      }
  }
  json const options = params.value("initializationOptions", json::object());
  settings.update(options.contains("asmZqs") ? options["asmZqs"] : options, root);
  json const refresh = params.value("/capabilities/workspace/inlayHint/refreshSupport"_json_pointer, json());
  inlay_refresh = refresh.is_boolean() && refresh.get<bool>();
  initialized = true;
  json sync = {{"openClose", true}, {"change", 2}, {"save", {{"includeText", true}}}};
  json caps = {{"positionEncoding", encoding_name(encoding)},
               {"textDocumentSync", sync},
               {"hoverProvider", true},
               {"completionProvider", json::object()},
               {"documentSymbolProvider", true},
               {"definitionProvider", true},
               {"referencesProvider", true},
               {"documentHighlightProvider", true},
               {"renameProvider", {{"prepareProvider", true}}},
               {"documentLinkProvider", json::object()},
               {"workspaceSymbolProvider", true},
               {"semanticTokensProvider", {{"legend", semantic_tokens_legend()}, {"full", true}, {"range", true}}},
               {"inlayHintProvider", true}};
  return {{"capabilities", caps}, {"serverInfo", {{"name", "zqs-lsp"}, {"version", ASM_VERSION}}}};
}

void lsp_server::did_open(json const& params) {
  json const& d = params.at("textDocument");
  document const& doc = docs.open(d.at("uri"), d.at("text"), d.value("version", 0LL));
  disk_roots.erase(doc.uri);  // its own analysis reads the open text from now on
  bool read = false;
  for (auto const& r : results) read = read || (r.first != doc.uri && r.second.read_paths.count(doc.path));
  if (read) analyse_for(doc.uri);
  else adopt(doc.uri);
}

void lsp_server::did_change(json const& params) {
  document* d = docs.find(uri_of(params));
  if (!d) return;
  docs.change(*d, params.at("contentChanges"), encoding);
  d->version = params.at("textDocument").value("version", d->version);
  analyse_for(d->uri);
}

void lsp_server::did_save(json const& params) {
  document* d = docs.find(uri_of(params));
  if (!d) return;
  if (params.contains("text") && params["text"].is_string()) d->text = params["text"];
  analyse_for(d->uri);
}

void lsp_server::did_close(json const& params) {
  std::string const uri = uri_of(params);
  document* d = docs.find(uri);
  if (!d) return;
  std::string const path = d->path;
  std::set<std::string> touched;
  drop_root(uri, touched);
  docs.close(uri);
  prune_disk_roots(touched);
  publish(touched);
  // The main files that read it read the file on disk from now on.
  std::vector<std::string> readers;
  for (auto const& r : results)
    if (r.second.read_paths.count(path)) readers.push_back(r.first);
  for (std::string const& r : readers) analyse_root(r);
  adopt_orphans();
}

void lsp_server::did_change_configuration(json const& params) {
  json const s = params.value("settings", json::object());
  settings.update(s.contains("asmZqs") ? s["asmZqs"] : s, root);
  std::vector<std::string> roots;
  for (auto const& r : results) roots.push_back(r.first);
  for (std::string const& r : roots) analyse_root(r);
  // The hints may have been switched on or off: the client asks for them again.
  if (inlay_refresh)
    send({{"jsonrpc", "2.0"}, {"id", "refresh-" + std::to_string(++requests_sent)}, {"method", "workspace/inlayHint/refresh"}});
}

void lsp_server::analyse_for(std::string const& uri) {
  document* d = docs.find(uri);
  if (!d || d->path.empty()) return;  // only files can be assembled
  std::vector<std::string> readers;
  for (auto const& r : results)
    if (r.first != uri && r.second.read_paths.count(d->path)) readers.push_back(r.first);
  if (readers.empty()) readers.push_back(uri);
  for (std::string const& r : readers) analyse_root(r);
}

void lsp_server::analyse_root(std::string const& uri) {
  document const* d = docs.find(uri);
  document disk;
  if (!d) {  // a main file from disk, read anew
    disk.uri = uri;
    disk.path = absolute_path(uri_to_path(uri), "/");  // the form the documents' paths take
    if (!disk_roots.count(uri) || !read_text_file(disk.path, disk.text)) return;
    d = &disk;
  }
  analysis_result r = analyse(*d, docs, settings, encoding);
  say("analysed " + d->path + ": " + std::to_string(r.read_paths.size()) + " file(s) read");
  keep_root(uri, std::move(r));
}

void lsp_server::keep_root(std::string const& uri, analysis_result r) {
  std::set<std::string> touched;
  auto old = results.find(uri);
  if (old != results.end())
    for (auto const& f : old->second.diagnostics) touched.insert(f.first);
  for (auto const& f : r.diagnostics) touched.insert(f.first);
  // An open file this one includes is analysed through it, not on its own.
  std::vector<std::string> included;
  for (auto const& o : results) {
    document const* od = docs.find(o.first);
    if (o.first != uri && od && r.read_paths.count(od->path)) included.push_back(o.first);
  }
  results[uri] = std::move(r);
  for (std::string const& i : included) drop_root(i, touched);
  publish(touched);
}

void lsp_server::adopt_orphans() {
  for (auto const& d : docs.docs) {
    if (d.second.path.empty() || results.count(d.first)) continue;
    bool read = false;
    for (auto const& r : results) read = read || r.second.read_paths.count(d.second.path);
    if (!read) {
      adopt(d.first);
      return adopt_orphans();  // the analysis may have taken in others
    }
  }
}

void lsp_server::adopt(std::string const& uri) {
  document const* d = docs.find(uri);
  if (!d || d->path.empty()) return;
  std::string const path = d->path;
  for (std::string const& found : workspace_mains(folders, path)) {
    std::string const main = absolute_path(found, "/");  // the form the documents' paths take
    if (main == path || docs.find_path(main)) continue;  // an open main file has its own analysis
    // A file that includes its includer is a main file of its own (a cycle).
    if (includes_name(d->text, std::filesystem::path(main).filename().string())) continue;
    document disk{path_to_uri(main), main, "", 0};
    if (!read_text_file(main, disk.text)) continue;
    analysis_result r = analyse(disk, docs, settings, encoding);
    if (!r.read_paths.count(path)) continue;
    say("analysed " + main + " for " + path);
    disk_roots.insert(disk.uri);
    return keep_root(disk.uri, std::move(r));
  }
  analyse_root(uri);
}

void lsp_server::prune_disk_roots(std::set<std::string>& touched) {
  for (auto it = disk_roots.begin(); it != disk_roots.end();) {
    auto r = results.find(*it);
    bool reads_open = false;
    if (r != results.end())
      for (auto const& d : docs.docs) reads_open = reads_open || r->second.read_paths.count(d.second.path);
    if (reads_open) {
      ++it;
    } else {
      drop_root(*it, touched);
      it = disk_roots.erase(it);
    }
  }
}

void lsp_server::drop_root(std::string const& uri, std::set<std::string>& touched) {
  auto it = results.find(uri);
  if (it == results.end()) return;
  for (auto const& f : it->second.diagnostics) touched.insert(f.first);
  results.erase(it);
}

void lsp_server::publish(std::set<std::string> const& paths) {
  for (std::string const& path : paths) {
    json list = json::array();
    std::unordered_set<std::string> seen;  // each diagnostic once, by its text
    for (auto const& r : results) {
      auto f = r.second.diagnostics.find(path);
      if (f == r.second.diagnostics.end()) continue;
      for (json const& d : f->second)
        if (seen.insert(d.dump(-1, ' ', false, json::error_handler_t::replace)).second) list.push_back(d);
    }
    document const* d = docs.find_path(path);
    std::string const uri = d ? d->uri : path_to_uri(path);
    send({{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", list}}}});
  }
}

analysis_result const* lsp_server::result_for(std::string const& uri) const {
  auto it = results.find(uri);
  if (it != results.end()) return &it->second;
  document const* d = docs.find(uri);
  if (!d) return nullptr;
  for (auto const& r : results)
    if (r.second.read_paths.count(d->path)) return &r.second;
  return nullptr;
}
