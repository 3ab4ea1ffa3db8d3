// Source text -> word -> text -> word for every instruction of every set, through the
// single-instruction interface, and the assembler-side edge cases of the instruction sets.
#include <gtest/gtest.h>

#include "asm_arch.h"
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

TEST(ArchSets, DisassemblerChecksTheInstructionWidth) {
  try {
    disassemble_single_instr("zqs16-1", 0x02000000);
    FAIL() << "no throw";
  } catch (std::string const& e) {
    EXPECT_EQ(e, "Invalid instruction code 0x2000000. Bits 25 to 31 must be zero for this architecture.");
  }
  EXPECT_EQ(disassemble_single_instr("zqs16-1", 0x01FFFFFF), "WURM MHB, MHB, 0x3FF");
  EXPECT_EQ(disassemble_single_instr("zqs24-1", 0xF0000000), "WURM R0, R0, 0x0");
}

}  // namespace
