// Consistency of every instruction set, generated from the registered tables: the tree
// against the instruction map, and assemble -> disassemble for every reachable instruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "asm_arch.h"
#include "test_arch_util.h"

namespace {

using namespace arch_test;

// Instructions without a leaf of their own: aliases sharing another row's code, and literals.
std::map<std::string, std::set<std::string>> const documented_unreached = {
    {"zqs24-1", {"mwr24", "mwri24", "lit24", "lit32"}},
    {"zqs24-2", {}},
    {"zqs24-3", {"mwr24", "mwri24"}},
    {"zqs24-4", {}},
    {"zqs16-1", {}},
};
std::set<std::string> const literals = {"lit24", "lit32"};

std::string walk(arch_type& a, unsigned int code) {
  try {
    return a.disasm_tree_walker(a.disasm_tree, code);
  } catch (std::string const& e) {
    return "! " + e;
  }
}

class ArchTables : public ::testing::TestWithParam<std::string> {
 protected:
  arch_type& arch() {
    asm_arch reg;
    return asm_arch::arch_map.at(GetParam());
  }
};

TEST_P(ArchTables, LeavesNameInstructionsWithTheirTemplatesAndCodes) {
  arch_type& a = arch();
  std::set<std::string> seen;
  for (walk_type const& w : all_nodes(a)) {
    if (!w.node->children.empty()) continue;
    SCOPED_TRACE(w.node->instr_name);
    auto it = a.instr_map.find(w.node->instr_name);
    ASSERT_NE(it, a.instr_map.end());
    EXPECT_TRUE(same_templates(w.node->arg_type_lst, it->second.arg_type_lst));
    EXPECT_TRUE(seen.insert(w.node->instr_name).second) << "two leaves";
    EXPECT_EQ(leaf_of(a, it->second.code), w.node);
    EXPECT_EQ(leaf_of(a, w.path_code), w.node);
  }
}

TEST_P(ArchTables, UnreachedInstructionsAreTheDocumentedOnes) {
  arch_type& a = arch();
  std::set<std::string> unreached;
  for (auto const& p : a.instr_map) {
    disasm_tree_type const* leaf = leaf_of(a, p.second.code);
    if (leaf && leaf->instr_name == p.first) continue;
    unreached.insert(p.first);
    if (literals.count(p.first)) continue;
    // An alias decodes as its twin: same code, same templates.
    ASSERT_NE(leaf, nullptr) << p.first;
    instr_type const& twin = a.instr_map.at(leaf->instr_name);
    EXPECT_EQ(twin.code, p.second.code) << p.first;
    EXPECT_TRUE(same_templates(twin.arg_type_lst, p.second.arg_type_lst)) << p.first;
  }
  EXPECT_EQ(unreached, documented_unreached.at(GetParam()));
}

TEST_P(ArchTables, EncodedOperandsDisassembleToTheirText) {
  arch_type& a = arch();
  size_t words = 0;
  for (std::string const& m : a.instr_order) {
    if (literals.count(m)) continue;
    instr_type const& ins = a.instr_map.at(m);
    std::string const shown = leaf_of(a, ins.code)->instr_name;  // the twin for an alias
    std::vector<arg_type> const& tl = ins.arg_type_lst;
    std::vector<std::vector<unsigned int>> s;
    for (arg_type const& t : tl) s.push_back(samples(a, t));
    // Every operand at its low, middle and high value; then each one high alone.
    std::vector<std::vector<unsigned int>> sets;
    for (int k = 0; k < 3; ++k) {
      std::vector<unsigned int> f;
      for (auto const& v : s) f.push_back(v[k]);
      sets.push_back(f);
    }
    for (size_t i = 0; i < tl.size(); ++i) {
      std::vector<unsigned int> f;
      for (size_t j = 0; j < tl.size(); ++j) f.push_back(s[j][j == i ? 2 : 0]);
      sets.push_back(f);
    }
    for (auto const& f : sets) {
      unsigned int code = ins.assemble(f);
      SCOPED_TRACE(m + " " + hex(code));
      EXPECT_EQ(walk(a, code), expected_text(a, shown, tl, f));
      disasm_tree_type const* leaf = leaf_of(a, code);
      ASSERT_NE(leaf, nullptr);
      EXPECT_EQ(leaf->instr_name, shown);
      ++words;
    }
  }
  EXPECT_GT(words, a.instr_map.size() * 3);
}

// Field contents outside a template's values are rejected with the operand's number.
TEST_P(ArchTables, FieldValuesOutsideTheTemplateAreRejected) {
  arch_type& a = arch();
  for (walk_type const& w : all_nodes(a)) {
    if (!w.node->children.empty()) continue;
    std::string const& m = w.node->instr_name;
    instr_type const& ins = a.instr_map.at(m);
    std::vector<arg_type> const& tl = ins.arg_type_lst;
    std::vector<unsigned int> low;
    for (arg_type const& t : tl) low.push_back(samples(a, t)[0]);
    for (size_t i = 0; i < tl.size(); ++i) {
      arg_type const& t = tl[i];
      unsigned long long capacity = 1ull << width(t);
      std::vector<unsigned int> bad;
      std::string why;
      if (t.type == ATO_REG) {
        auto const& rev = a.rev_reg_map.at(t.regtype);
        for (unsigned int v = 0; v < capacity; ++v)
          if (!rev.count(v)) bad.push_back(v);
        why = " is not of type " + upper(t.regtype);
      } else {
        std::vector<unsigned int> s = samples(a, t);
        if (s[0] > 0) bad.push_back(s[0] - 1);
        if (s[2] + 1ull < capacity) bad.push_back(s[2] + 1);
        why = " is out of valid range " + hex(t.lo_val) + " to " + hex(t.hi_val) + ".";
      }
      for (unsigned int v : bad) {
        std::vector<unsigned int> f = low;
        f[i] = v;
        unsigned int code = ins.assemble(f);
        EXPECT_EQ(walk(a, code), "! Invalid instruction code " + hex(code) + ". Argument " +
                                     std::to_string(i + 1) + " of instruction " + upper(m) + why);
      }
    }
  }
}

// Every selector value without a child is an invalid code naming the node's bits.
TEST_P(ArchTables, UnlistedSelectorValuesAreRejected) {
  arch_type& a = arch();
  for (walk_type const& w : all_nodes(a)) {
    disasm_tree_type const* n = w.node;
    if (n->children.empty()) continue;
    for (unsigned int v = 0; v < (1u << (n->hi_idx - n->lo_idx + 1)); ++v) {
      if (n->children.count(v)) continue;
      unsigned int code = w.path_code | (v << n->lo_idx);
      EXPECT_EQ(walk(a, code), "! Invalid instruction code " + hex(code) + ". Bad bit slice " +
                                   std::to_string(n->lo_idx) + " to " + std::to_string(n->hi_idx) + ".");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllArchitectures, ArchTables,
                         ::testing::Values("zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"),
                         [](::testing::TestParamInfo<std::string> const& i) {
                           std::string n = i.param;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

}  // namespace
