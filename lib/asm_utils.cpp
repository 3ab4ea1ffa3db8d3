// Number syntax and text helpers.
#include "asm_utils.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

static bool is_alpha(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
static bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

static int digit_value(unsigned char c, unsigned int radix) {
  int d = -1;
  if (is_digit(c)) d = c - '0';
  else if (radix == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return (d >= 0 && (unsigned)d < radix) ? d : -1;
}

unsigned int parse_number(std::string const& text) {
  unsigned int radix = 10;
  size_t pos = 0;
  char const c0 = text.empty() ? '\0' : text[0];
  char const c1 = text.size() < 2 ? '\0' : text[1];
  if ((c0 == '0' && c1 == 'x') || (c0 == 'h' && c1 == '#')) radix = 16, pos = 2;
  else if (c0 == '$') radix = 16, pos = 1;
  else if (c0 == 'd' && c1 == '#') radix = 10, pos = 2;
  else if (c0 == 'b' && c1 == '#') radix = 2, pos = 2;
  if (pos >= text.size()) throw std::string("Constant must contain at least one digit.");
  unsigned long long value = 0;
  bool too_big = false;
  for (size_t i = pos; i < text.size(); ++i) {
    int d = digit_value((unsigned char)text[i], radix);
    if (d < 0) {
      char const* kind = radix == 16 ? "hexadecimal" : radix == 2 ? "binary" : "decimal";
      throw std::string("Found bad character '") + text[i] + "' in " + kind + " constant.";
    }
    // Saturate once above 32 bits: the exact value no longer matters, only that it is too big.
    if (!too_big) {
      value = value * radix + (unsigned)d;
      if (value > 0xFFFFFFFFull) too_big = true;
    }
  }
  if (too_big) throw std::string("Constant cannot be represented by 32 bits.");
  return (unsigned int)value;
}

bool is_identifier(std::string const& s) {
  if (s.empty() || !is_alpha((unsigned char)s[0])) return false;
  for (unsigned char c : s)
    if (!is_alpha(c) && !is_digit(c) && c != '_') return false;
  return true;
}

std::string string2ident(std::string s) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = (unsigned char)s[i];
    bool keep = is_alpha(c) || (i > 0 && is_digit(c));
    if (!keep) s[i] = '_';
  }
  return s;
}

// ASCII letters only, as std::tolower/std::toupper in the "C" locale that the
// tool runs in; without a library call per character.
std::string tolower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
}

std::string toupper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

std::string stripfilename(std::string const& path) {
  size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

char* format_eol(char* buf, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) {
    if (buf[i] == '\n' || buf[i] == '\0') break;
    if (buf[i] == '\r') buf[i] = ' ';
  }
  return buf;
}

std::string num2str(unsigned long long v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%llu", v);
  return buf;
}

// By hand: the disassembler formats every operand with it.
void append_hex(std::string& s, unsigned long long v) {
  char buf[20];
  char* p = buf + sizeof buf;
  do {
    *--p = "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  } while (v);
  *--p = 'x';
  *--p = '0';
  s.append(p, buf + sizeof buf);
}

std::string num2hexstr(unsigned long long v) {
  std::string s;
  append_hex(s, v);
  return s;
}

void append_hex8(std::string& s, unsigned int v) {
  char buf[10] = {'0', 'x'};
  for (int i = 0; i < 8; ++i) buf[9 - i] = "0123456789ABCDEF"[(v >> (4 * i)) & 0xF];
  s.append(buf, 10);
}

std::string hex8(unsigned int v) {
  std::string s;
  append_hex8(s, v);
  return s;
}

void append_upper(std::string& s, std::string const& t) {
  for (char c : t) s += (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

static int hex_digit(char c) {
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - '0';
}

char hex2int(char hi, char lo) { return (char)((16 * hex_digit(hi) + hex_digit(lo)) & 0xFF); }


std::string char2numstr(char c) { return num2str((unsigned char)c); }

std::string message_quote(std::string_view s, size_t max) {
  size_t n = s.size() <= max ? s.size() : max;
  while (n < s.size() && n > 0 && ((unsigned char)s[n] & 0xC0) == 0x80) --n;  // not inside a UTF-8 character
  std::string out;
  for (unsigned char c : s.substr(0, n)) {
    if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c >= 0x20 && c != 0x7F) out += (char)c;
    else {
      out += "\\x";
      out += "0123456789ABCDEF"[c >> 4];
      out += "0123456789ABCDEF"[c & 15];
    }
  }
  if (n < s.size()) out += "...";
  return out;
}

bool read_stream(FILE* f, std::string& text) {
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  return !ferror(f);
}

bool read_stdin(std::string& text) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  return read_stream(stdin, text);
}

std::string absolute_path(std::string const& path, std::string const& base) {
  namespace fs = std::filesystem;
  fs::path p(path);
  if (!p.is_absolute()) {
    std::error_code ec;
    p = (base.empty() ? fs::current_path(ec) : fs::path(base)) / p;
  }
  std::string s = p.lexically_normal().string();
#ifdef _WIN32
  if (s.size() > 1 && s[1] == ':') s[0] = (char)std::toupper((unsigned char)s[0]);
#endif
  return s;
}
