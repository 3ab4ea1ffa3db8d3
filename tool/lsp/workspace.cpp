// Finds the main files of a workspace that may include a file.
#include "workspace.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "asm_utils.h"

namespace fs = std::filesystem;

namespace {

// A workspace may hold a build tree or a checkout of something else: the
// walk stops after this many entries rather than read it all.
constexpr int max_entries = 20000;
// Larger files are no program's main file (a generated listing, say).
constexpr std::uintmax_t max_size = 4u << 20;

bool is_zqs(fs::path const& p) { return p.extension() == ".zqs"; }

}  // namespace

bool includes_name(std::string const& text, std::string const& name) {
  for (size_t at = text.find(".include"); at != std::string::npos; at = text.find(".include", at + 8)) {
    size_t const end = text.find('\n', at);
    std::string const line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line.find(name + "\"") != std::string::npos) return true;
  }
  return false;
}

bool read_text_file(std::string const& path, std::string& text) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;  // never a device or a FIFO
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  text.clear();
  bool const ok = read_stream(f, text);
  return fclose(f) == 0 && ok;
}

std::vector<std::string> workspace_mains(std::vector<std::string> const& folders, std::string const& path) {
  std::vector<std::string> found;
  std::string const name = fs::path(path).filename().string();
  int entries = 0;
  for (std::string const& folder : folders) {
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end && entries < max_entries; it.increment(ec), ++entries) {
      std::string const leaf = it->path().filename().string();
      if (!leaf.empty() && leaf[0] == '.') {
        if (it->is_directory(ec)) it.disable_recursion_pending();
        continue;
      }
      std::string text;
      std::string const p = it->path().lexically_normal().string();
      if (p != path && is_zqs(it->path()) && it->file_size(ec) <= max_size && !ec && read_text_file(p, text) &&
          includes_name(text, name))
        found.push_back(p);
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}
