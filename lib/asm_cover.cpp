// Program coverage as an lcov tracefile and a summary (asm_cover.h).
#include "asm_cover.h"

#include <algorithm>
#include <cstdio>

#include "asm_utils.h"

namespace {

// Executions per source line of one file; a line's words add up.
using line_hits = std::map<unsigned int, uint64_t>;

// Per file (keyed by key(word)), the hits of every line that places a word.
template <typename Key>
std::map<std::string, line_hits> by_file(std::vector<cover_word> const& words, Key key) {
  std::map<std::string, line_hits> files;
  for (cover_word const& w : words)
    if (!w.file.empty()) files[key(w)][w.line] += w.hits;
  return files;
}

size_t lines_hit(line_hits const& lines) {
  size_t n = 0;
  for (auto const& l : lines) n += l.second > 0;
  return n;
}

std::string lines_executed(std::string const& name, size_t hit, size_t all) {
  char pct[32];
  snprintf(pct, sizeof pct, "%.1f", all ? 100.0 * (double)hit / (double)all : 0.0);
  return name + ": " + std::to_string(hit) + " of " + std::to_string(all) +
         " lines executed (" + pct + "%)\n";
}

// "N things", "1 thing".
std::string count_of(uint64_t n, char const* one, char const* more) {
  return std::to_string(n) + " " + (n == 1 ? one : more);
}

std::string outside_line(cover_outside const& o) {
  std::string s = "outside the program: " + count_of(o.executions, "execution", "executions");
  if (o.executions == 0) return s + "\n";
  size_t shown = 0;
  s += " at " + std::string(o.unkept_executions ? "more than " : "") +
       count_of(o.addresses.size(), "address", "addresses") + ":";
  for (auto const& a : o.addresses) {
    if (shown++ == 8) {
      s += ", ...";
      break;
    }
    s += (shown == 1 ? " " : ", ") + hex8(a.first) + " (" + std::to_string(a.second) + ")";
  }
  return s + "\n";
}

}  // namespace

void cover_outside::count(uint32_t address) {
  ++executions;
  auto it = addresses.find(address);
  if (it != addresses.end()) ++it->second;
  else if (addresses.size() < kept) addresses.emplace(address, 1);
  else ++unkept_executions;
}

std::string cover_tracefile(std::vector<cover_word> const& words) {
  std::string out = "TN:\n";
  for (auto const& f : by_file(words, [](cover_word const& w) { return w.path; })) {
    out += "SF:" + f.first + "\n";
    for (auto const& l : f.second)
      out += "DA:" + std::to_string(l.first) + "," + std::to_string(l.second) + "\n";
    out += "LF:" + std::to_string(f.second.size()) + "\nLH:" +
           std::to_string(lines_hit(f.second)) + "\nend_of_record\n";
  }
  return out;
}

std::string cover_summary(std::vector<cover_word> const& words,
                          std::vector<cover_label> const& labels, cover_outside const& outside) {
  std::string out;
  size_t hit = 0, all = 0;
  for (auto const& f : by_file(words, [](cover_word const& w) { return w.file; })) {
    size_t h = lines_hit(f.second);
    out += lines_executed(f.first, h, f.second.size());
    hit += h;
    all += f.second.size();
  }
  out += lines_executed("total", hit, all);
  // A label is reached when the word at its address ran.
  std::map<uint32_t, uint64_t> at;
  for (cover_word const& w : words) at[w.address] = w.hits;
  std::string never;
  for (cover_label const& l : labels) {
    auto it = at.find(l.address);
    if (it != at.end() && it->second == 0) never += (never.empty() ? " " : ", ") + l.name;
  }
  out += "labels never reached:" + (never.empty() ? std::string(" none") : never) + "\n";
  return out + outside_line(outside);
}

std::vector<uint32_t> cover_read_trace(std::string const& name, std::string const& text) {
  std::vector<uint32_t> out;
  size_t pos = 0;
  for (unsigned int line = 1; pos < text.size(); ++line) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string s = text.substr(pos, end - pos);
    pos = end + 1;
    s.erase(std::min(s.find('#'), s.size()));
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    if (a == std::string::npos) continue;
    s = s.substr(a, b - a + 1);
    bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    std::string digits = hex ? s.substr(2) : s;
    if (digits.size() == 8 && !hex) hex = true;  // as %h writes a 32-bit value
    char const* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    bool ok = !digits.empty() && digits.size() <= 10 &&
              digits.find_first_not_of(allowed) == std::string::npos;
    unsigned long long v = ok ? std::stoull(digits, nullptr, hex ? 16 : 10) : 0;
    ok = ok && v <= 0xFFFFFFFFull;
    if (!ok) throw name + ":" + std::to_string(line) + ": not an address: '" + message_quote(s) + "'.";
    out.push_back((uint32_t)v);
  }
  return out;
}
