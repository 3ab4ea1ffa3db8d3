// Percent encoding of file: URIs, and the Windows form of their paths:
// file:///C:/dir/a.zqs (or file:///c%3A/dir/a.zqs, as VS Code writes it) is
// C:\dir\a.zqs.
#include "uri.h"

#include <cctype>

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = (char)std::tolower((unsigned char)c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

#ifdef _WIN32
// "C:" at the start of a path, drive letter and colon.
bool has_drive(std::string const& path) {
  return path.size() >= 2 && std::isalpha((unsigned char)path[0]) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '/' || path[2] == '\\');
}
#endif

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
#ifdef _WIN32
  if (has_drive(path.substr(1))) path.erase(0, 1);  // "/C:/dir" is C:/dir
#endif
  return path;
}

std::string path_to_uri(std::string const& path) {
  static char const hex[] = "0123456789ABCDEF";
  std::string p = path;
  std::string uri = "file://";
#ifdef _WIN32
  for (char& c : p)
    if (c == '\\') c = '/';
  if (has_drive(p)) {  // the drive's colon stays as it is
    uri += "/" + std::string(1, (char)std::toupper((unsigned char)p[0])) + ":";
    p.erase(0, 2);
  }
#endif
  for (unsigned char c : p) {
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
