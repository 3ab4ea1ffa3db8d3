// The architecture registry: registration, register symbols, field assembly, table faults.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "asm_arch.h"

namespace {

arch_type& arch(char const* name) {
  asm_arch a;
  return asm_arch::arch_map.at(name);
}

TEST(ArchRegistry, FiveArchitecturesWithWidthsAndVersions) {
  asm_arch a;
  std::vector<std::string> const names = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};
  EXPECT_EQ(asm_arch::ordered_names(), names);
  struct expect_type {
    unsigned int data_width, instr_width, version;
    size_t instrs, symbols;
    std::vector<std::string> regsets;
  };
  std::map<std::string, expect_type> const expect = {
      {"zqs24-1", {24, 32, 1, 46, 17, {"oreg", "areg"}}},
      {"zqs24-2", {24, 32, 2, 49, 16, {"oreg", "areg"}}},
      {"zqs24-3", {24, 32, 3, 73, 30, {"oreg", "areg", "greg", "xoreg", "wxreg", "bareg"}}},
      {"zqs24-4", {24, 32, 4, 71, 33, {"oreg", "areg", "greg", "xoreg", "wxreg", "bareg"}}},
      {"zqs16-1", {16, 25, 1, 51, 14, {"oreg"}}},
  };
  for (auto const& e : expect) {
    SCOPED_TRACE(e.first);
    arch_type const& r = asm_arch::arch_map.at(e.first);
    EXPECT_EQ(r.data_width, e.second.data_width);
    EXPECT_EQ(r.instr_width, e.second.instr_width);
    EXPECT_EQ(r.version, e.second.version);
    EXPECT_EQ(r.instr_map.size(), e.second.instrs);
    EXPECT_EQ(r.instr_order.size(), e.second.instrs);
    EXPECT_EQ(r.sym_map.size(), e.second.symbols);
    EXPECT_EQ(r.regset_order, e.second.regsets);
    EXPECT_EQ(r.reg_map.size(), e.second.regsets.size());
    EXPECT_NE(r.disasm_tree, nullptr);
  }
}

TEST(ArchRegistry, SecondConstructionChangesNothing) {
  asm_arch first;
  std::map<std::string, disasm_tree_type*> trees;
  std::map<std::string, std::vector<unsigned int>> codes;
  for (auto const& p : asm_arch::arch_map) {
    trees[p.first] = p.second.disasm_tree;
    for (std::string const& m : p.second.instr_order) codes[p.first].push_back(p.second.instr_map.at(m).code);
  }
  asm_arch second;
  ASSERT_EQ(asm_arch::arch_map.size(), 5u);
  for (auto const& p : asm_arch::arch_map) {
    SCOPED_TRACE(p.first);
    EXPECT_EQ(p.second.disasm_tree, trees[p.first]);
    std::vector<unsigned int> now;
    for (std::string const& m : p.second.instr_order) now.push_back(p.second.instr_map.at(m).code);
    EXPECT_EQ(now, codes[p.first]);
  }
}

TEST(ArchRegistry, TableOrderIsKept) {
  arch_type const& z1 = arch("zqs24-1");
  EXPECT_EQ(z1.instr_order.front(), "nop");
  EXPECT_EQ(z1.instr_order[17], "mwr24");
  EXPECT_EQ(z1.instr_order.back(), "lit32");
  arch_type const& z2 = arch("zqs24-2");
  EXPECT_EQ(z2.instr_order.front(), "movl");
  EXPECT_EQ(z2.instr_order[6], "push");
  EXPECT_EQ(z2.instr_order.back(), "nop");
  EXPECT_EQ(arch("zqs16-1").instr_order[6], "push");
}

TEST(ArchRegistry, SharedRegisterNamesBecomeOneSymbol) {
  for (char const* name : {"zqs24-1", "zqs24-3", "zqs24-4"}) {
    SCOPED_TRACE(name);
    arch_type const& a = arch(name);
    for (unsigned int i = 0; i < 8; ++i) {
      sym_type const& s = a.sym_map.at("r" + std::to_string(i));
      EXPECT_EQ(s.value, i);
      EXPECT_EQ(s.type, STO_REG);
      EXPECT_FALSE(s.assignable);
    }
    EXPECT_EQ(a.sym_map.at("zero").value, 12u);
    EXPECT_EQ(a.sym_map.at("mhb").value, 15u);
  }
  EXPECT_EQ(arch("zqs24-3").sym_map.at("aximi").value, 28u);
  EXPECT_EQ(arch("zqs24-4").sym_map.at("tiosl").value, 31u);
  EXPECT_EQ(arch("zqs24-2").sym_map.count("tbu_ts2"), 0u);
  EXPECT_EQ(arch("zqs16-1").sym_map.at("xctrl1").value, 11u);
}

TEST(ArchRegistry, RegisterSetsAndTheirReverse) {
  asm_arch a;
  for (auto const& p : asm_arch::arch_map) {
    for (auto const& set : p.second.reg_map) {
      SCOPED_TRACE(p.first + " " + set.first);
      auto const& rev = p.second.rev_reg_map.at(set.first);
      ASSERT_EQ(rev.size(), set.second.size());
      for (auto const& reg : set.second) EXPECT_EQ(rev.at(reg.second), reg.first);
    }
  }
  auto values = [](char const* name, char const* set) {
    std::set<unsigned int> v;
    for (auto const& r : arch(name).reg_map.at(set)) v.insert(r.second);
    return v;
  };
  std::set<unsigned int> const low = {0, 1, 2, 3, 4, 5, 6, 7};
  std::set<unsigned int> areg = low;
  areg.insert(12);
  EXPECT_EQ(values("zqs24-1", "areg"), areg);
  EXPECT_EQ(values("zqs24-1", "oreg").size(), 16u);
  EXPECT_EQ(values("zqs24-2", "oreg").count(14), 0u);
  EXPECT_EQ(values("zqs24-2", "oreg").size(), 15u);
  EXPECT_EQ(values("zqs24-3", "greg"), low);
  EXPECT_EQ(values("zqs24-3", "xoreg").size(), 29u);
  EXPECT_EQ(values("zqs24-3", "wxreg").count(16), 0u);
  EXPECT_EQ(values("zqs24-3", "bareg").size(), 24u);
  EXPECT_EQ(values("zqs24-4", "xoreg").size(), 32u);
  EXPECT_EQ(values("zqs24-4", "wxreg").count(31), 1u);
  EXPECT_EQ(values("zqs24-4", "bareg").size(), 16u);
  EXPECT_EQ(values("zqs24-4", "bareg").count(8), 0u);
  EXPECT_EQ(values("zqs16-1", "oreg").count(13), 0u);
  EXPECT_EQ(values("zqs16-1", "oreg").count(14), 0u);
}

TEST(ArchRegistry, InstallSymMapRejectsConflictingValues) {
  arch_type t;
  t.data_width = 24;
  t.instr_width = 32;
  t.reg_map["a"] = {{"x", 1}, {"y", 2}};
  t.reg_map["b"] = {{"x", 1}};
  t.install_sym_map();
  EXPECT_EQ(t.sym_map.size(), 2u);
  t.reg_map["c"] = {{"y", 3}};
  try {
    t.install_sym_map();
    FAIL() << "no throw";
  } catch (std::string const& e) {
    EXPECT_EQ(e, "Equal register symbol names of different regsets must have same values");
  }
  // A name already taken by another kind of symbol conflicts too.
  arch_type u;
  u.reg_map["a"] = {{"x", 1}};
  u.sym_map["x"].type = STO_LABEL;
  u.sym_map["x"].value = 1;
  EXPECT_THROW(u.install_sym_map(), std::string);
}

TEST(ArchRegistryDeathTest, InstallSymMapChecksWidths) {
  arch_type t;
  t.instr_width = 33;
  EXPECT_DEATH(t.install_sym_map(), "instr_width <= 32");
  t.instr_width = 25;
  t.data_width = 40;
  EXPECT_DEATH(t.install_sym_map(), "data_width <= 32");
}

TEST(ArchRegistry, AssembleSpreadsValuesOverSlices) {
  instr_type ins;
  ins.code = 0xA0000000;
  arg_type split;
  split.regtype = "xoreg";
  split.hi_idx = {27, 14};
  split.lo_idx = {24, 14};
  ins.arg_type_lst = {split};
  EXPECT_EQ(ins.assemble({0x13}), 0xA3004000u);
  EXPECT_EQ(ins.assemble({0x0F}), 0xAF000000u);
  EXPECT_EQ(ins.assemble({0x33}), 0xA3004000u);  // bits beyond the slices are dropped

  arg_type whole;
  whole.type = ATO_RANGE;
  whole.hi_idx = {31};
  whole.lo_idx = {0};
  instr_type lit;
  lit.arg_type_lst = {whole};
  EXPECT_EQ(lit.assemble({0xFFFFFFFF}), 0xFFFFFFFFu);

  instr_type const& jbsi = arch("zqs24-3").instr_map.at("jbsi");
  EXPECT_EQ(jbsi.assemble({0x11, 0x17}), 0xE1765000u);
}

TEST(ArchRegistry, TemplatesReadFromTheNotation) {
  arch_type const& z3 = arch("zqs24-3");
  arg_type const& a = z3.instr_map.at("mulu").arg_type_lst[2];
  EXPECT_EQ(a.type, ATO_RANGE);
  EXPECT_EQ(a.lo_val, 1u);
  EXPECT_EQ(a.hi_val, 0x18u);
  EXPECT_TRUE(a.optarg_en);
  EXPECT_EQ(a.optarg_val, 0x18u);
  EXPECT_TRUE(a.regtype.empty());
  arg_type const& m = z3.instr_map.at("mrdio").arg_type_lst[1];
  EXPECT_EQ(m.type, ATO_REG);
  EXPECT_EQ(m.regtype, "bareg");
  EXPECT_EQ(m.hi_idx, (std::vector<unsigned int>{23, 12}));
  EXPECT_EQ(m.lo_idx, (std::vector<unsigned int>{20, 12}));
  arg_type const& j = arch("zqs24-1").instr_map.at("jmp").arg_type_lst[0];
  EXPECT_EQ(j.shft_val, 2u);
  EXPECT_EQ(j.hi_val, 0x3FFFu);
  EXPECT_FALSE(j.optarg_en);
  EXPECT_TRUE(j.is_address);
  EXPECT_FALSE(arch("zqs24-2").instr_map.at("mrdi").arg_type_lst[2].is_address);  // an offset
  EXPECT_TRUE(z3.instr_map.at("mwr24").obsolete);
  EXPECT_TRUE(z3.instr_map.at("mwri24").obsolete);
  EXPECT_FALSE(z3.instr_map.at("mwrl").obsolete);
  EXPECT_FALSE(arch("zqs24-1").instr_map.at("mwr24").obsolete);
  EXPECT_EQ(arch("zqs24-1").instr_map.at("lit32").arg_type_lst[0].hi_val, 0xFFFFFFFFu);
  EXPECT_EQ(arch("zqs24-2").instr_map.at("mrdi").arg_type_lst[2].optarg_val, 0u);
}

// A broken table stops start-up with a text that names the row.
arch_head_type const bad_head = {"bad-arch", 1, 24, 32, 31, 28, 19, 16};
arch_regset_row const bad_regs[] = {{"oreg", "r0=0 r1=1"}};

void register_one(char const* args, unsigned int code, arch_tree_row const& leaf) {
  arch_instr_row const instrs[] = {{"op", code, args, false}};
  arch_tree_row const tree[] = {leaf};
  asm_arch::register_arch(bad_head, bad_regs, instrs, tree);
}

TEST(ArchRegistryDeathTest, MalformedRowsAbort) {
  arch_tree_row const leaf = {1, -1, "op"};
  EXPECT_DEATH(register_one("qreg[27:24]", 0x10000000, leaf), "row \"op\": unknown register set 'qreg'");
  EXPECT_DEATH(register_one("oreg[24:27]", 0x10000000, leaf), "row \"op\": bad bit slice");
  EXPECT_DEATH(register_one("oreg[27:24] 0x0..0xF [3:0]", 0x10000000, leaf), "expected \"; \"");
  EXPECT_DEATH(register_one("oreg[27:24]; 0x0..0x3F [25:20]", 0x10000000, leaf), "overlaps an earlier operand");
  EXPECT_DEATH(register_one("0x0..0x3FFF >>2 [10:2]", 0x10000000, leaf), "range does not fit");
  EXPECT_DEATH(register_one("0x0..0xF [3:0]", 0x10000001, leaf), "base code has bits set inside");
  EXPECT_DEATH(register_one("0x0..0xF [3:0] opt=0x10", 0x10000000, leaf), "default outside the range");
  EXPECT_DEATH(register_one("0x0..0xF [3:0] opt=0x1; 0x0..0xF [7:4]", 0x10000000, leaf),
               "mandatory operand follows an optional one");
  EXPECT_DEATH(register_one("", 0x10000000, {1, -1, "po"}), "no such instruction");
  EXPECT_DEATH(register_one("", 0x10000000, {2, -1, "op"}), "code does not match the root selector");
  EXPECT_DEATH(register_one("0x0..0xF [31:28]", 0x00000000, {0, -1, "op"}), "operand covers selector bits");
  EXPECT_DEATH(register_one("", 0x10000000, {16, -1, "op"}), "selector value does not fit");
  EXPECT_DEATH(register_one("oreg[27:24,25]", 0x10000000, leaf), "bit slices overlap");
  EXPECT_DEATH(register_one("addr oreg[27:24]", 0x10000000, leaf), "an address operand must be numeric");
  arch_head_type const narrow = {"bad-narrow", 1, 16, 25, 24, 20, 11, 10};
  arch_instr_row const high_code[] = {{"op", 0x02100000, "", false}};
  arch_instr_row const high_field[] = {{"op", 0x00100000, "0x0..0xF [25:22]", false}};
  arch_tree_row const leaf1[] = {{1, -1, "op"}};
  EXPECT_DEATH(asm_arch::register_arch(narrow, bad_regs, high_code, leaf1), "code above the instruction width");
  EXPECT_DEATH(asm_arch::register_arch(narrow, bad_regs, high_field, leaf1), "operand field above the instruction width");
  arch_regset_row const dup[] = {{"oreg", "r0=0 r1=0"}};
  arch_instr_row const none[] = {{"nop", 0, "", false}};
  arch_tree_row const nop_leaf[] = {{0, -1, "nop"}};
  EXPECT_DEATH(asm_arch::register_arch(bad_head, dup, none, nop_leaf), "register value listed twice");
}

}  // namespace
