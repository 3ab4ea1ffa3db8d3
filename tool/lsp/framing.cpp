// Header blocks and bodies of the base protocol.
#include "framing.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

char const length_header[] = "content-length:";

// One line without its LF and CR; false at the end of input before any byte.
bool read_line(FILE* in, std::string& line) {
  line.clear();
  int c;
  while ((c = getc(in)) != EOF && c != '\n') line += (char)c;
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string lower(std::string s) {
  for (char& c : s) c = (char)std::tolower((unsigned char)c);
  return s;
}

// The value of a Content-Length header line; -1 when the line is none or
// its value is no plain decimal number.
long long content_length(std::string const& line) {
  if (lower(line.substr(0, sizeof length_header - 1)) != length_header) return -1;
  size_t i = sizeof length_header - 1;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == line.size()) return -1;
  long long n = 0;
  for (; i < line.size(); ++i) {
    if (line[i] == ' ' || line[i] == '\t') break;
    if (!std::isdigit((unsigned char)line[i]) || n > (1LL << 40)) return -1;
    n = n * 10 + (line[i] - '0');
  }
  return n;
}

// The body, a piece at a time: the header's length is only a claim, and
// memory for it is taken as the bytes arrive.
bool read_body(FILE* in, size_t length, std::string& body) {
  body.clear();
  char piece[65536];
  while (body.size() < length) {
    size_t got = fread(piece, 1, std::min(sizeof piece, length - body.size()), in);
    if (got == 0) return false;
    body.append(piece, got);
  }
  return true;
}

}  // namespace

frame_status read_frame(FILE* in, std::string& body) {
  std::string line;
  long long length = -1;
  bool in_block = false;  // a header line was seen
  while (read_line(in, line)) {
    if (line.empty()) {
      if (!in_block) continue;  // blank lines between messages
      if (length < 0) return frame_status::bad_header;
      return read_body(in, (size_t)length, body) ? frame_status::ok : frame_status::end;
    }
    size_t at = lower(line).find(length_header);
    if (at != std::string::npos && at > 0) {  // a new block after stray bytes
      line.erase(0, at);
      length = -1;
    }
    if (line.find(':') == std::string::npos) continue;  // not a header: skipped
    in_block = true;
    long long n = content_length(line);
    if (n >= 0 || at != std::string::npos) length = n;
  }
  return frame_status::end;
}

void write_frame(FILE* out, std::string const& body) {
  std::string head = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  fwrite(head.data(), 1, head.size(), out);
  fwrite(body.data(), 1, body.size(), out);
  fflush(out);
}
