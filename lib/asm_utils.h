// Number syntax and text helpers shared by every stage of the assembler.
#ifndef ASM_UTILS_H
#define ASM_UTILS_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// Line end written into generated files.
#ifdef _WIN32
#define ASM_EOL "\r\n"
#else
#define ASM_EOL "\n"
#endif

#define ASM_TOOL_NAME "ZQS-Assembler tool"
#define ASM_SHORT_NAME "ASM-ZQS"
#define ASM_VERSION "0.9.5"
#define ASM_VENDOR "developed by Quillon Works"
#define ASM_NOTICE ""
// The --version text of the programs beside the assembler.
#define ASM_PROGRAM_VERSION(name) \
  name ", " ASM_TOOL_NAME " " ASM_SHORT_NAME " version " ASM_VERSION "\n" ASM_VENDOR "\n"

// Value of a constant ("0x", "h#", "$", "d#", "b#" or plain decimal).
// Throws a std::string message for a bad constant.
unsigned int parse_number(std::string const& text);

bool is_identifier(std::string const& s);
std::string string2ident(std::string s);
std::string tolower(std::string s);
// s == lit for a string literal lit: its length is known at compile time, so
// no strlen and usually no library call (the passes compare opcodes a lot).
template <size_t N>
inline bool text_is(std::string_view s, char const (&lit)[N]) {
  return s.size() == N - 1 && std::memcmp(s.data(), lit, N - 1) == 0;
}
// The same for a terminated s, inline and letter by letter: s[i] is read only
// after s[0..i-1] matched letters of lit, none of them the end.
template <size_t N>
inline bool text_is(char const* s, char const (&lit)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (s[i] != lit[i]) return false;
  return true;
}

// True when tolower(s) == s: a look-up by the lower-case form can then use s itself.
inline bool is_lower_case(std::string const& s) {
  for (char c : s)
    if (c >= 'A' && c <= 'Z') return false;
  return true;
}
std::string toupper(std::string s);
std::string stripfilename(std::string const& path);
char* format_eol(char* buf, unsigned int n);
std::string num2str(unsigned long long v);
// "0x" and upper-case hexadecimal digits without leading zeros, e.g. "0x1F".
std::string num2hexstr(unsigned long long v);
void append_hex(std::string& s, unsigned long long v);  // s += num2hexstr(v), without a copy
// "0x" and eight upper-case hexadecimal digits, e.g. "0x0000001F": a word as
// listings and messages about images show it.
std::string hex8(unsigned int v);
void append_hex8(std::string& s, unsigned int v);
void append_upper(std::string& s, std::string const& t);  // s += toupper(t), without a copy
char hex2int(char hi, char lo);
// The mask of a field of w bits: the low w bits set (all 32 for w of 32 or more).
inline unsigned int bit_mask(unsigned int w) { return w >= 32 ? 0xFFFFFFFFu : (1u << w) - 1; }
// The low w bits of v (all of them for w of 32 or more).
inline unsigned int low_bits(unsigned int v, unsigned int w) { return v & bit_mask(w); }
// Bits hi..lo of v, as a number.
inline unsigned int bit_field(unsigned int v, unsigned int hi, unsigned int lo) {
  return (v >> lo) & bit_mask(hi - lo + 1);
}
// Whether v fits in w bits, read as a signed 32-bit number: a non-negative v
// up to 2^w - 1, a negative one down to -2^(w-1); every v fits 32 bits or more.
inline bool fits_in_bits(unsigned int v, unsigned int w) {
  if (w >= 32) return true;
  // Non-negative: nothing above the low w bits. Negative: bit w-1 and all above it set.
  if ((int)v >= 0) return (v & ~bit_mask(w)) == 0;
  return w > 0 && (~v & ~bit_mask(w - 1)) == 0;
}
std::string char2numstr(char c);
// Text read from a file as a message quotes it: control characters escaped
// (\r, \t, \xNN), cut after max bytes (at a character boundary) with "...".
std::string message_quote(std::string_view s, size_t max = 200);

// An absolute, lexically normal path: a relative one against base (the current
// directory when base is empty); on Windows with the drive letter in capitals,
// as the system names the working folder, so that one file has one spelling.
std::string absolute_path(std::string const& path, std::string const& base = "");

// Appends what is left of f to text; false after a read error. read_stdin
// reads standard input so, in binary mode on Windows.
bool read_stream(FILE* f, std::string& text);
bool read_stdin(std::string& text);

#endif
