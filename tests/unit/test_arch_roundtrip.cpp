// Source text -> word -> text -> word for every instruction of every set, through the
// single-instruction interface, and the assembler-side edge cases of the instruction sets.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "asm_arch.h"
#include "asm_passes.h"
#include "asm_zqs.h"
#include "test_arch_util.h"

namespace {

using namespace arch_test;

std::string source(std::string const& mnemonic, arch_type const& a, std::vector<arg_type> const& tl,
                   std::vector<unsigned int> const& fields, size_t n) {
  std::string s = mnemonic;
  for (size_t i = 0; i < n; ++i) s += (i ? ", " : " ") + operand_text(a, tl[i], fields[i]);
  return s;
}

std::string assemble_error(char const* arch, char const* line) {
  try {
    assemble_single_instr(arch, line);
  } catch (std::string const& e) {
    return e;
  }
  return "accepted";
}

class ArchRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(ArchRoundTrip, EveryInstructionAtLowMiddleAndHighOperands) {
  asm_arch reg;
  std::string const name = GetParam();
  arch_type& a = asm_arch::arch_map.at(name);
  for (std::string const& m : a.instr_order) {
    instr_type const& ins = a.instr_map.at(m);
    std::vector<arg_type> const& tl = ins.arg_type_lst;
    bool const literal = m == "lit24" || m == "lit32";
    for (int k = 0; k < 3; ++k) {
      std::vector<unsigned int> f;
      for (arg_type const& t : tl) f.push_back(samples(a, t)[k]);
      std::string const text = source(m, a, tl, f, tl.size());
      SCOPED_TRACE(name + ": " + text);
      unsigned int const word = assemble_single_instr(name, text);
      EXPECT_EQ(word, ins.assemble(f));
      if (literal) continue;
      std::string const back = disassemble_single_instr(name, word);
      EXPECT_EQ(back, expected_text(a, leaf_of(a, word)->instr_name, tl, f));
      EXPECT_EQ(assemble_single_instr(name, back), word);
    }
    // Omitted optional operands take their defaults.
    size_t mandatory = 0;
    while (mandatory < tl.size() && !tl[mandatory].optarg_en) ++mandatory;
    if (mandatory < tl.size()) {
      std::vector<unsigned int> f;
      for (arg_type const& t : tl) f.push_back(t.optarg_en ? t.optarg_val >> t.shft_val : samples(a, t)[2]);
      std::string const text = source(m, a, tl, f, mandatory);
      SCOPED_TRACE(name + ": " + text);
      EXPECT_EQ(assemble_single_instr(name, text), ins.assemble(f));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllArchitectures, ArchRoundTrip,
                         ::testing::Values("zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"),
                         [](::testing::TestParamInfo<std::string> const& i) {
                           std::string n = i.param;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

// A whole program of more than 300 statements, in which every mnemonic and register name
// comes in three spellings, gives the words of the templates, statement by statement.
TEST_P(ArchRoundTrip, ProgramMixingEveryMnemonicAndSpelling) {
  asm_arch reg;
  std::string const name = GetParam();
  arch_type& a = asm_arch::arch_map.at(name);
  auto spell = [](std::string s, int how) {
    for (size_t i = 0; i < s.size(); ++i)
      if (how == 1 || (how == 2 && i % 2 == 0)) s[i] = (char)toupper((unsigned char)s[i]);
      else s[i] = (char)tolower((unsigned char)s[i]);
    return s;
  };
  std::string text;
  std::vector<unsigned int> expected;
  for (int round = 0; expected.size() <= 300; ++round) {
    for (std::string const& m : a.instr_order) {
      instr_type const& ins = a.instr_map.at(m);
      std::vector<unsigned int> f;
      std::string line = spell(m, round % 3);
      for (size_t i = 0; i < ins.arg_type_lst.size(); ++i) {
        arg_type const& t = ins.arg_type_lst[i];
        f.push_back(samples(a, t)[(round + i) % 3]);
        std::string const op = operand_text(a, t, f.back());
        line += (i ? ", " : " ") + (t.type == ATO_REG ? spell(op, (round + i + 1) % 3) : op);
      }
      text += line + "\n";
      expected.push_back(ins.assemble(f));
    }
  }
  std::string const path = (std::filesystem::temp_directory_path() / ("zqs_mix_" + name + ".zqs")).string();
  std::ofstream(path, std::ios::binary) << text;
  asm_module::clear_msg_list();
  asm_passes p;
  p.reset_cmd_line_param();
  char const* argv[] = {"asm-zqs", "-arch", name.c_str(), "-adrmax", "0xFFFFFC", path.c_str()};
  try {
    p.parse_cmd_line(6, argv, "", 0);
    p.run_frontend();
    p.run_assemble_pass1();
    p.run_assemble_pass2();
  } catch (std::string const& e) {
    ADD_FAILURE() << e << "\n" << asm_module::print_msg_list();
  }
  remove(path.c_str());
  ASSERT_EQ(p.ir.asm_list.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(p.ir.asm_list[i].code, expected[i]) << "line " << p.ir.asm_list[i].line;
}

// The bounds of the one "fits in W bits" rule, for instruction operands and for .var: the
// most negative value of W bits passes, one less does not.
TEST(ArchSets, NegativeOperandBounds) {
  EXPECT_EQ(assemble_single_instr("zqs24-1", "movl r0, -0x800000"), 0x10800000u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "movl r0, -1"), 0x10FFFFFFu);
  EXPECT_NE(assemble_error("zqs24-1", "movl r0, -0x800001")
                .find("Expression value 0xFF7FFFFF of argument 2 cannot be represented with 24 bits."),
            std::string::npos);
  // 12 slice bits and 2 dropped: W = 14.
  EXPECT_EQ(assemble_single_instr("zqs24-1", "jmp -0x2000"), 0xE0002000u);
  EXPECT_NE(assemble_error("zqs24-1", "jmp -0x2004").find("cannot be represented with 14 bits."), std::string::npos);
  EXPECT_EQ(assemble_single_instr("zqs24-1", ".var -8, 4"), 0x8u);
  EXPECT_NE(assemble_error("zqs24-1", ".var -9, 4").find("cannot be represented with 4 bits."), std::string::npos);
  EXPECT_EQ(assemble_single_instr("zqs24-1", ".var -0x80000000, 32"), 0x80000000u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", ".var 0, 0"), 0u);
  EXPECT_NE(assemble_error("zqs24-1", ".var -1, 0").find("cannot be represented with 0 bits."), std::string::npos);
  EXPECT_EQ(assemble_single_instr("zqs16-1", ".var -0x1000000"), 0x1000000u);
  EXPECT_NE(assemble_error("zqs16-1", ".var -0x1000001").find("cannot be represented with 25 bits."), std::string::npos);
}

TEST(ArchSets, AssemblerEdgeCases) {
  EXPECT_EQ(assemble_single_instr("zqs24-1", "nop"), 0u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "mwr24 r1, 0x10"), assemble_single_instr("zqs24-1", "mwrl r1, 0x10"));
  EXPECT_EQ(assemble_single_instr("zqs24-1", "lit32 0xFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(assemble_single_instr("zqs24-2", "mrdi r0, r1"), 0xA0130000u);
  EXPECT_EQ(assemble_single_instr("zqs24-2", "mrdi r0, r1"), assemble_single_instr("zqs24-2", "mrdi r0, r1, 0"));
  EXPECT_EQ(assemble_single_instr("zqs24-3", "mov rs1, aximi"), 0xA1C05000u);
  EXPECT_EQ(assemble_single_instr("zqs24-3", "mulu r0, r1"), 0xC0180018u);
  EXPECT_EQ(assemble_single_instr("zqs24-3", "mwr24 r0, 0x4"), 0xA0070004u);  // obsolete: a warning only
  EXPECT_EQ(assemble_single_instr("zqs24-4", "jmp 0xFFFC"), 0xE000FFFCu);
  EXPECT_EQ(assemble_single_instr("zqs16-1", "push r3"), 0x01830C00u);
  for (char const* arch : {"zqs24-2", "zqs24-4", "zqs16-1"})
    EXPECT_NE(assemble_error(arch, "mwr24 r0, 0x4").find("is not available in selected architecture"),
              std::string::npos) << arch;
  EXPECT_NE(assemble_error("zqs24-3", "jmp 0xFFFC"), "accepted");
  EXPECT_NE(assemble_error("zqs24-4", "mrdi r0, sta"), "accepted");
  EXPECT_NE(assemble_error("zqs16-1", "ard r0, r1, 0"), "accepted");
}

}  // namespace
