// Full and incremental synchronisation of the open documents.
#include "documents.h"

#include <filesystem>

#include "uri.h"

document& document_store::open(std::string const& uri, std::string text, long long version) {
  document& d = docs[uri];
  d.uri = uri;
  d.path = uri_to_path(uri);
  if (!d.path.empty()) d.path = absolute_path(d.path, "/");
  d.text = std::move(text);
  d.version = version;
  return d;
}

void document_store::close(std::string const& uri) { docs.erase(uri); }

document* document_store::find(std::string const& uri) {
  auto it = docs.find(uri);
  return it == docs.end() ? nullptr : &it->second;
}

document const* document_store::find(std::string const& uri) const {
  auto it = docs.find(uri);
  return it == docs.end() ? nullptr : &it->second;
}

document const* document_store::find_path(std::string const& path) const {
  for (auto& d : docs)
    if (!d.second.path.empty() && d.second.path == path) return &d.second;
  return nullptr;
}

void document_store::change(document& d, nlohmann::json const& changes, pos_encoding e) {
  for (nlohmann::json const& c : changes) {
    std::string const& text = c.at("text").get_ref<std::string const&>();
    if (!c.contains("range")) {
      d.text = text;
      continue;
    }
    nlohmann::json const& r = c.at("range");
    size_t from = text_offset(d.text, r.at("start").at("line").get<size_t>(),
                              r.at("start").at("character").get<size_t>(), e);
    size_t to = text_offset(d.text, r.at("end").at("line").get<size_t>(),
                            r.at("end").at("character").get<size_t>(), e);
    if (to < from) to = from;
    d.text.replace(from, to - from, text);
  }
}

std::unordered_map<std::string, std::string> document_store::overlay() const {
  std::unordered_map<std::string, std::string> m;
  for (auto const& d : docs) {
    if (d.second.path.empty()) continue;
    m[d.second.path] = d.second.text;
    // The run searches below the working folder as the system names it,
    // with its symbolic links resolved.
    std::error_code ec;
    std::string real = std::filesystem::weakly_canonical(d.second.path, ec).string();
    if (!ec && real != d.second.path) m[real] = d.second.text;
  }
  return m;
}
