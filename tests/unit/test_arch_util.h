// Helpers of the architecture tests: reading templates, the tree and expected texts.
#ifndef TEST_ARCH_UTIL_H
#define TEST_ARCH_UTIL_H

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "asm_arch.h"

namespace arch_test {

inline std::string hex(unsigned long long v) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", v);
  return buf;
}

inline std::string upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

inline bool same_template(arg_type const& a, arg_type const& b) {
  return a.type == b.type && a.lo_idx == b.lo_idx && a.hi_idx == b.hi_idx && a.regtype == b.regtype &&
         a.lo_val == b.lo_val && a.hi_val == b.hi_val && a.shft_val == b.shft_val &&
         a.optarg_en == b.optarg_en && a.optarg_val == b.optarg_val && a.is_address == b.is_address;
}

inline bool same_templates(std::vector<arg_type> const& a, std::vector<arg_type> const& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!same_template(a[i], b[i])) return false;
  return true;
}

inline unsigned int width(arg_type const& a) {
  unsigned int w = 0;
  for (size_t k = 0; k < a.lo_idx.size(); ++k) w += a.hi_idx[k] - a.lo_idx[k] + 1;
  return w;
}

// The leaf the tree selects for a code word, or null.
inline disasm_tree_type const* leaf_of(arch_type const& a, unsigned int code) { return decode(a, code).leaf; }

struct walk_type {
  disasm_tree_type const* node;
  unsigned int path_code;  // selector values placed at their bits
};

inline std::vector<walk_type> all_nodes(arch_type const& a) {
  std::vector<walk_type> out, todo = {{a.disasm_tree, 0}};
  while (!todo.empty()) {
    walk_type w = todo.back();
    todo.pop_back();
    out.push_back(w);
    for (auto const& c : w.node->children)
      todo.push_back({c.second, w.path_code | (c.first << w.node->lo_idx)});
  }
  return out;
}

// Field values of one operand: lowest, a middle one, highest.
inline std::vector<unsigned int> samples(arch_type const& a, arg_type const& t) {
  if (t.type == ATO_REG) {
    std::vector<unsigned int> v;
    for (auto const& r : a.reg_map.at(t.regtype)) v.push_back(r.second);
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
  }
  unsigned long long step = 1ull << t.shft_val;
  unsigned int lo = (unsigned int)((t.lo_val + step - 1) >> t.shft_val);
  unsigned int hi = t.hi_val >> t.shft_val;
  return {lo, lo + (hi - lo) / 2, hi};
}

inline std::string operand_text(arch_type const& a, arg_type const& t, unsigned int field) {
  if (t.type == ATO_REG) return upper(a.rev_reg_map.at(t.regtype).at(field));
  return hex((unsigned long long)field << t.shft_val);
}

inline std::string expected_text(arch_type const& a, std::string const& mnemonic, std::vector<arg_type> const& tl,
                          std::vector<unsigned int> const& fields) {
  std::string s = upper(mnemonic) + " ";
  for (size_t i = 0; i < tl.size(); ++i) {
    if (i) s += ", ";
    s += operand_text(a, tl[i], fields[i]);
  }
  return s;
}

}  // namespace arch_test

#endif
