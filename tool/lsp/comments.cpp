// The scanner's comment rule applied to a line of text.
#include "comments.h"

#include <cctype>
#include <cstring>

namespace {

bool alpha(char c) { return std::isalpha((unsigned char)c) != 0; }
bool hex_digit(char c) { return std::isxdigit((unsigned char)c) != 0; }
bool ident_char(char c) { return std::isalnum((unsigned char)c) || c == '_'; }

// Size of the character literal at line[i] ('x', '\n', '\x41'); 1 when
// the quote starts none (the scanner then reads it as a stray byte).
size_t char_literal(std::string_view line, size_t i) {
  if (i + 1 >= line.size()) return 1;
  if (line[i + 1] != '\\') return i + 2 < line.size() && line[i + 2] == '\'' ? 3 : 1;
  if (i + 3 < line.size() && std::strchr("\\\"'rnabft", line[i + 2]) && line[i + 3] == '\'') return 4;
  if (i + 5 < line.size() && line[i + 2] == 'x' && hex_digit(line[i + 3]) && hex_digit(line[i + 4]) &&
      line[i + 5] == '\'')
    return 6;
  return 1;
}

// The offset after the string that opens at line[i]: after its closing quote
// or at the line end.
size_t string_end(std::string_view line, size_t i) {
  for (++i; i < line.size(); ++i) {
    if (line[i] == '\\') ++i;  // an escaped quote does not end the string
    else if (line[i] == '"') return i + 1;
  }
  return line.size();
}

// The words of a .cmdline from line[i] on: the comment's offset.
size_t cmdline_comment(std::string_view line, size_t i) {
  for (; i < line.size(); ++i) {
    if (line[i] == ';' || line[i] == '#') return i;
    if (line[i] == '"') {
      size_t const close = line.find('"', i + 1);
      if (close == std::string_view::npos) return line.size();
      i = close;
    }
  }
  return line.size();
}

}  // namespace

size_t comment_start(std::string_view line) {
  size_t i = 0;
  while (i < line.size()) {
    char const c = line[i];
    if (c == ';' || c == '#') return i;
    if (line.compare(i, 8, ".cmdline") == 0) return cmdline_comment(line, i + 8);
    if (c == '"') {
      i = string_end(line, i);
    } else if (c == '\'') {
      i += char_literal(line, i);
    } else if (std::strchr("hdb", c) && i + 2 < line.size() && line[i + 1] == '#' && hex_digit(line[i + 2])) {
      for (i += 2; i < line.size() && hex_digit(line[i]);) ++i;  // a number: longer than the name "h"
    } else if (alpha(c)) {
      while (i < line.size() && ident_char(line[i])) ++i;
    } else if (std::isdigit((unsigned char)c)) {
      while (i < line.size() && hex_digit(line[i])) ++i;
    } else {
      ++i;
    }
  }
  return line.size();
}
