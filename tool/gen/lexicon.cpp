// The word lists of the editor support, read from the registry, and small text helpers.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "gen.h"

namespace zqs_gen {

std::vector<std::string> const directives = {".define", ".set", ".register", ".org",
                                              ".include", ".var", ".str", ".cmdline"};

lexicon_type read_lexicon() {
  std::set<std::string> mn, regs;
  for (auto const& a : asm_arch::arch_map) {
    for (auto const& i : a.second.instr_map) mn.insert(i.first);
    for (auto const& set : a.second.reg_map)
      for (auto const& r : set.second) regs.insert(r.first);
  }
  return {std::vector<std::string>(mn.begin(), mn.end()),
          std::vector<std::string>(regs.begin(), regs.end())};
}

std::string hex(unsigned long long v) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", v);
  return buf;
}

std::string upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

std::string json_string(std::string const& s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') r += '\\';
    r += c;
  }
  return r + "\"";
}

std::string join(std::vector<std::string> const& v, std::string const& sep) {
  std::string r;
  for (size_t i = 0; i < v.size(); ++i) r += (i ? sep : "") + v[i];
  return r;
}

}  // namespace zqs_gen
