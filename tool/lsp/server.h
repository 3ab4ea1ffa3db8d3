// The language server's protocol state: lifecycle, dispatch of requests and
// notifications, and the publishing of diagnostics.
#ifndef LSP_SERVER_H
#define LSP_SERVER_H

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis.h"
#include "documents.h"
#include "positions.h"

// A JSON-RPC error a handler answers with.
struct rpc_error {
  int code;
  std::string message;
};

class lsp_server {
 public:
  lsp_server(FILE* out, bool log);
  // Handles one message body. False once the server is to end (exit).
  bool handle(std::string const& body);
  // A header block without a usable Content-Length.
  void bad_header();
  // The status to end with: 0 after shutdown, 1 otherwise.
  int exit_code() const { return shut_down ? 0 : 1; }

 private:
  using json = nlohmann::json;
  FILE* out;
  bool log;
  bool initialized = false;
  bool shut_down = false;
  pos_encoding encoding = pos_encoding::utf16;
  std::string root;  // the workspace folder: relative include folders start there
  std::vector<std::string> folders;  // the workspace folders the client named
  // Main files analysed from disk, not open, for the open includes they read.
  std::set<std::string> disk_roots;
  lsp_settings settings;
  bool inlay_refresh = false;  // the client takes workspace/inlayHint/refresh
  unsigned int requests_sent = 0;
  document_store docs;
  // The last analysis of each document analysed as a main file, by its URI,
  // and the diagnostics it gave each file.
  std::map<std::string, analysis_result> results;
  std::map<std::string, std::function<json(json const&)>> requests;
  std::map<std::string, std::function<void(json const&)>> notifications;

  void send(json const& message);
  void reply_error(json const& id, int code, std::string const& message);
  void say(std::string const& text);
  void dispatch(json const& msg);

  json initialize(json const& params);
  void did_open(json const& params);
  void did_change(json const& params);
  void did_close(json const& params);
  void did_save(json const& params);
  void did_change_configuration(json const& params);

  // Analyses the document, or the open main files that read it.
  void analyse_for(std::string const& uri);
  void analyse_root(std::string const& uri);
  // Keeps the analysis of a main file and publishes what changed.
  void keep_root(std::string const& uri, analysis_result r);
  // Analyses a document no analysis reads yet: inside a main file of the
  // workspace that includes it, else on its own.
  void adopt(std::string const& uri);
  // Drops the main files from disk that no longer read an open document.
  void prune_disk_roots(std::set<std::string>& touched);
  void drop_root(std::string const& uri, std::set<std::string>& touched);
  // Analyses on their own the open documents that no main file reads any
  // more, after a main file was closed. (Not after each change: a syntax
  // error in a main file hides its includes only for a moment.)
  void adopt_orphans();
  void publish(std::set<std::string> const& paths);

 public:
  // What the language features (features.cpp) read and how they answer.
  document_store const& documents() const { return docs; }
  // The analysis that covers the document: its own, or that of an open
  // main file that includes it.
  analysis_result const* result_for(std::string const& uri) const;
  pos_encoding position_encoding() const { return encoding; }
  void add_request(std::string const& method, std::function<json(json const&)> handler) {
    requests[method] = std::move(handler);
  }
};

#endif
