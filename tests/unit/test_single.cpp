// The single-instruction interface as a host sees it: architecture look-up and
// width check of the disassembler, register names, assembly of one line.
#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "asm_arch.h"
#include "asm_objects.h"
#include "asm_utils.h"
#include "test_single_support.h"

using single_test::assemble_error;
using single_test::disassemble_error;

namespace {

// Every test checks that it leaves none of its temporary files behind.
class Single : public ::testing::Test {
 protected:
  void TearDown() override {
    std::vector<std::string> left = temp_watch::left();
    EXPECT_TRUE(left.empty()) << "left in /tmp: " << left.front();
  }
};

// True when text is the one message LEVEL + " /tmp/asm_zqs_XXXXXX:1> " + message,
// that is a message about line 1 of a temporary source file.
bool at_line1(std::string const& text, std::string const& level, std::string const& message) {
  std::string const dir = "/tmp/asm_zqs_";
  size_t name_end = level.size() + 1 + dir.size() + 6;
  if (text.size() < name_end || text.compare(0, level.size() + 1, level + " ") != 0 ||
      text.compare(level.size() + 1, dir.size(), dir) != 0)
    return false;
  for (size_t i = name_end - 6; i < name_end; ++i)
    if (!isalnum((unsigned char)text[i])) return false;
  return text.substr(name_end) == ":1> " + message + "\n";
}

TEST_F(Single, DisassemblerRejections) {
  EXPECT_EQ(disassemble_error("zqs16-1", 0x02000000),
            "Invalid instruction code 0x2000000. Bits 25 to 31 must be zero for this architecture.");
  EXPECT_EQ(disassemble_error("zqs16-1", 0xFFFFFFFF),
            "Invalid instruction code 0xFFFFFFFF. Bits 25 to 31 must be zero for this architecture.");
  // The texts of the walk itself: test_arch_disasm.cpp.
  EXPECT_EQ(disassemble_single_instr("zqs24-1", 0xE3710040), "JBS R3, 0x7, 0x40");
  EXPECT_EQ(disassemble_single_instr("zqs16-1", 0x01FFFFFF), "WURM MHB, MHB, 0x3FF");
  EXPECT_EQ(disassemble_error("zqs99", 0), "ASM-ZQS architecture \"zqs99\" is not available.");
  EXPECT_EQ(disassemble_error("", 0), "ASM-ZQS architecture \"\" is not available.");
}

TEST_F(Single, RegisterNames) {
  EXPECT_EQ(get_reg_map_symbol("zqs24-1", 12), "tbu_ts0");
  EXPECT_EQ(get_reg_map_symbol("zqs24-1", 0), "r0");
  EXPECT_EQ(get_reg_map_symbol("zqs24-1", 15), "mhb");
  for (unsigned int a : {16u, 0xFFFFFFFFu}) {
    try {
      get_reg_map_symbol("zqs24-1", a);
      ADD_FAILURE() << a;
    } catch (std::string const& e) {
      EXPECT_EQ(e, "Register address " + num2hexstr(a) +
                       " is unused in target architecture \"zqs24-1\".");
    }
  }
  try {
    get_reg_map_symbol("ZQS24-1", 0);
    ADD_FAILURE();
  } catch (std::string const& e) {
    EXPECT_EQ(e, "ASM-ZQS architecture \"ZQS24-1\" is not available.");
  }
}

TEST_F(Single, LookupsLeaveTheRegistryIntact) {
  disassemble_error("nope", 0);
  get_reg_map_symbol("zqs24-1", 12);
  try {
    get_reg_map_symbol("nope", 12);
  } catch (std::string const&) {
  }
  EXPECT_EQ(asm_arch::arch_map.size(), 5u);
  EXPECT_FALSE(asm_arch::arch_map.count("nope"));
  EXPECT_FALSE(asm_arch::arch_map.at("zqs24-1").rev_reg_map.at("oreg").count(16));
}

TEST_F(Single, AssemblesOneWord) {
  long const files = temp_watch::created();
  EXPECT_EQ(assemble_single_instr("zqs24-1", "nop"), 0u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "movl r0, 5"), 0x10000005u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "JBS R3, 7, 0x40"), 0xE3710040u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "jmp 0x3ffc"), 0xE0003FFCu);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "lit32 0xffffffff"), 0xFFFFFFFFu);
  EXPECT_EQ(assemble_single_instr("zqs24-1", ".var 0x12345678"), 0x12345678u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", ".var 1, 2"), 1u);
  // A label in front of the instruction places no word of its own.
  EXPECT_EQ(assemble_single_instr("zqs24-1", "here: jmp here"), 0xE0000000u);
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_WARNING), 0u);
  EXPECT_EQ(temp_watch::created(), files + 8) << "one temporary file per call, each seen";
}

TEST_F(Single, NoWordOrSeveralWordsAreRejected) {
  std::string const single = "ERROR> Assembly result must evaluate to a single 32-bit data word.";
  for (char const* line : {"", "   ", "loop:", ".define x 5", ".str \"ab\"", "nop\nnop", ".org 0"})
    EXPECT_EQ(assemble_error("zqs24-1", line), single) << line;
}

TEST_F(Single, ErrorsBecomeTheMessageList) {
  std::string e = assemble_error("zqs24-1", "foo");
  EXPECT_TRUE(at_line1(e, "ERROR", "Instruction 'FOO' is not available in selected architecture."))
      << e;
  // The list keeps the messages of the last assembly.
  EXPECT_EQ(asm_module::print_msg_list(), e);

  e = assemble_error("zqs24-1", "add r0");
  EXPECT_TRUE(at_line1(e, "ERROR", "Instruction 'ADD' expects 2 argument(s).")) << e;

  e = assemble_error("zqs24-1", "movl r0,,");
  EXPECT_TRUE(at_line1(e, "ERROR", "syntax error")) << e;

  e = assemble_error("zqs24-1", ".include \"no_such_file.zqs\"");
  EXPECT_TRUE(at_line1(e, "FATAL ERROR", "Unable to read file 'no_such_file.zqs'.")) << e;

  // The architecture goes through the option parser.
  EXPECT_EQ(assemble_error("zqs99", "nop"), "FATAL ERROR> Bad argument of command line option '-arch'.\n");
  EXPECT_EQ(assemble_error("", "nop"), "FATAL ERROR> Bad argument of command line option '-arch'.\n");
}

TEST_F(Single, WholeLineReachesTheScanner) {
  // Bytes after an embedded NUL are not silently dropped.
  std::string e = assemble_error("zqs24-1", std::string("nop\0movl r0, 1", 15));
  EXPECT_TRUE(at_line1(e, "ERROR", "syntax error")) << e;
}

TEST_F(Single, MessagesDoNotLeakIntoTheNextCall) {
  std::string first = assemble_error("zqs24-1", "foo");
  ASSERT_FALSE(first.empty());
  std::string second = assemble_error("zqs24-1", "bar");
  EXPECT_TRUE(at_line1(second, "ERROR", "Instruction 'BAR' is not available in selected architecture."))
      << second;
  EXPECT_EQ(assemble_single_instr("zqs24-1", "ret"), 0xE0040000u);
  EXPECT_EQ(asm_module::print_msg_list(), "");
  EXPECT_FALSE(asm_module::has_messages());
  // A fresh temporary file for every call.
  EXPECT_NE(first.substr(0, 26), second.substr(0, 26));
}

TEST_F(Single, WarningsDoNotStopTheAssembly) {
  EXPECT_EQ(assemble_single_instr("zqs24-3", "mwr24 r1, 0x10"), 0xA1070010u);
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_WARNING), 1u);
  EXPECT_TRUE(at_line1(asm_module::print_msg_list(), "WARNING",
                       "Assembling obsolete instruction 'MWR24'."))
      << asm_module::print_msg_list();
}

TEST_F(Single, CmdlineDirectiveWritesNothing) {
  // Options of a .cmdline line are applied, but no back-end runs.
  EXPECT_EQ(assemble_error("zqs24-1", ".cmdline -W -log single_test.log -o single_test.c"),
            "ERROR> Assembly result must evaluate to a single 32-bit data word.");
  EXPECT_NE(access("single_test.log", F_OK), 0);
  EXPECT_NE(access("single_test.c", F_OK), 0);
}

}  // namespace
