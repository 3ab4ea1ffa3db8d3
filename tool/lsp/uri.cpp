// Percent encoding of file: URIs.
#include "uri.h"

#include <cctype>
#include <filesystem>

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = (char)std::tolower((unsigned char)c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string uri_to_path(std::string const& uri) {
  std::string const scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0) return "";
  std::string rest = uri.substr(scheme.size());
  size_t slash = rest.find('/');  // an authority (host) before the path is dropped
  if (slash == std::string::npos) return "";
  rest.erase(0, slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    int hi, lo;
    if (rest[i] == '%' && i + 2 < rest.size() && (hi = hex_digit(rest[i + 1])) >= 0 &&
        (lo = hex_digit(rest[i + 2])) >= 0) {
      path += (char)(hi * 16 + lo);
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

std::string path_to_uri(std::string const& path) {
  static char const hex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += (char)c;
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

std::string absolute_path(std::string const& path, std::string const& base) {
  std::filesystem::path p(path);
  if (!p.is_absolute()) p = std::filesystem::path(base) / p;
  return p.lexically_normal().string();
}
