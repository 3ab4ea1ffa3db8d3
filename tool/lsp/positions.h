// Positions in a text: the assembler counts bytes on lines that end at a
// line feed; a client counts UTF-16 code units unless it accepts UTF-8.
#ifndef LSP_POSITIONS_H
#define LSP_POSITIONS_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class pos_encoding { utf8, utf16 };

char const* encoding_name(pos_encoding e);

// The 0-based line of a text, without its line end (LF or CR LF); empty
// beyond the last line.
std::string_view text_line(std::string_view text, size_t line);

// Byte offset in text of the start of a 0-based line (the text's size
// beyond the last line).
size_t line_start(std::string_view text, size_t line);

// The lines of a text, found in one pass: for the answers that read many
// lines of a document (text_line scans it from the top each time).
class line_index {
 public:
  explicit line_index(std::string_view text);
  std::string_view line(size_t n) const;  // as text_line(text, n)
  size_t count() const { return starts.size(); }

 private:
  std::string_view text;
  std::vector<size_t> starts;  // of each line
};

// Columns of the client from bytes of a line: the units of its first n bytes.
// A byte that is no part of valid UTF-8 counts as one unit, and so does each
// byte beyond the line's end (the line end that a syntax error points at).
size_t units_of(std::string_view line, size_t n, pos_encoding e);

// Bytes of a line from columns of the client: the offset of the first
// character that starts at or after the given units (at most the line's size).
size_t bytes_of(std::string_view line, size_t units, pos_encoding e);

// Byte offset in text of a client position (line, character).
size_t text_offset(std::string_view text, size_t line, size_t character, pos_encoding e);

#endif
