// The documents the client has open: their text as edited, by URI.
#ifndef LSP_DOCUMENTS_H
#define LSP_DOCUMENTS_H

#include <map>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "positions.h"

struct document {
  std::string uri;
  std::string path;  // absolute; empty for a URI that names no file
  std::string text;
  long long version = 0;
};

class document_store {
 public:
  std::map<std::string, document> docs;  // by URI

  document& open(std::string const& uri, std::string text, long long version);
  void close(std::string const& uri);
  document* find(std::string const& uri);
  document const* find(std::string const& uri) const;
  document const* find_path(std::string const& path) const;
  // Applies the contentChanges of a didChange in order: a change with a
  // range replaces it, one without replaces the whole text.
  void change(document& d, nlohmann::json const& changes, pos_encoding e);
  // The open texts by absolute path, for the assembler's source overlay.
  std::unordered_map<std::string, std::string> overlay() const;
};

#endif
