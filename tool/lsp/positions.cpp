// Conversion between the assembler's byte columns and the client's units.
#include "positions.h"

namespace {

// Length of the UTF-8 sequence at s[i], 1 for a byte that starts none.
size_t seq_len(std::string_view s, size_t i) {
  unsigned char c = (unsigned char)s[i];
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (i + n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if (((unsigned char)s[i + k] >> 6) != 2) return 1;
  return n;
}

// UTF-16 units of the character at s[i] of the given length.
size_t utf16_units(size_t len) { return len == 4 ? 2 : 1; }

}  // namespace

char const* encoding_name(pos_encoding e) { return e == pos_encoding::utf8 ? "utf-8" : "utf-16"; }

size_t line_start(std::string_view text, size_t line) {
  size_t at = 0;
  for (size_t l = 0; l < line; ++l) {
    size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) return text.size();
    at = nl + 1;
  }
  return at;
}

std::string_view text_line(std::string_view text, size_t line) {
  size_t at = line_start(text, line);
  size_t end = text.find('\n', at);
  if (end == std::string_view::npos) end = text.size();
  if (end > at && text[end - 1] == '\r') --end;
  return text.substr(at, end - at);
}

line_index::line_index(std::string_view text) : text(text) {
  starts.push_back(0);
  for (size_t nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', nl + 1))
    starts.push_back(nl + 1);
}

std::string_view line_index::line(size_t n) const {
  if (n >= starts.size()) return {};
  std::string_view l = text.substr(starts[n]);
  return l.substr(0, text_line(l, 0).size());
}

size_t units_of(std::string_view line, size_t n, pos_encoding e) {
  size_t units = 0;
  if (n > line.size()) {  // the line end (a syntax error there) and beyond: a unit a byte
    units = n - line.size();
    n = line.size();
  }
  if (e == pos_encoding::utf8) return units + n;
  for (size_t i = 0; i < n;) {
    size_t len = seq_len(line, i);
    units += utf16_units(len);
    i += len;
  }
  return units;
}

size_t bytes_of(std::string_view line, size_t units, pos_encoding e) {
  if (e == pos_encoding::utf8) return units < line.size() ? units : line.size();
  size_t i = 0, u = 0;
  while (i < line.size() && u < units) {
    size_t len = seq_len(line, i);
    u += utf16_units(len);
    i += len;
  }
  return i;
}

size_t text_offset(std::string_view text, size_t line, size_t character, pos_encoding e) {
  size_t start = line_start(text, line);
  if (start == text.size()) return start;
  return start + bytes_of(text_line(text, line), character, e);
}
