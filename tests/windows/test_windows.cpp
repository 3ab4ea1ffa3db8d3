// Windows build only: the single-instruction interface with its temporary file in
// the user's temporary directory, and source protection where files have no inodes.
#include <gtest/gtest.h>

#include <direct.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "asm_objects.h"
#include "asm_zqs.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

std::string temp_dir() {
  char dir[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof dir, dir);
  return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string();
}

// Files of the interface's name pattern in the temporary directory.
std::set<std::string> temp_files() {
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((temp_dir() + "asm_zqs_*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.insert(fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

std::string assemble_error(std::string const& arch, std::string const& line) {
  try {
    assemble_single_instr(arch, line);
  } catch (std::string const& e) {
    return e;
  }
  return "";
}

// The position prefix of a message about the temporary source, line 1.
std::string at_line1(std::string const& level) {
  std::string dir = std::regex_replace(temp_dir(), std::regex(R"([\\^$.|?*+()\[\]{}])"), "\\$&");
  return "^" + level + " " + dir + "asm_zqs_[A-Za-z0-9]{6}:1> ";
}

class WindowsSingle : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_dir().empty());
    before_ = temp_files();
  }
  void TearDown() override { EXPECT_EQ(temp_files(), before_) << "a temporary file was left"; }

 private:
  std::set<std::string> before_;
};

TEST_F(WindowsSingle, AssemblesFromTheTemporaryDirectory) {
  EXPECT_EQ(assemble_single_instr("zqs24-1", "nop"), 0u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "movl r0, 5"), 0x10000005u);
  EXPECT_EQ(assemble_single_instr("zqs24-1", "jbs r3, 7, 0x40"), 0xE3710040u);
  // Many calls in a row: the name is free again after each one.
  for (int i = 0; i < 40; ++i) EXPECT_EQ(assemble_single_instr("zqs24-1", "nop"), 0u);
}

// Every way out of an assembly removes the file: results of no or several
// words, pass errors, syntax errors, fatal messages, unknown architectures.
TEST_F(WindowsSingle, EveryOutcomeRemovesTheFile) {
  EXPECT_EQ(assemble_error("zqs24-1", ""),
            "ERROR> Assembly result must evaluate to a single 32-bit data word.");
  EXPECT_EQ(assemble_error("zqs24-1", "nop\nnop"),
            "ERROR> Assembly result must evaluate to a single 32-bit data word.");
  std::string e = assemble_error("zqs24-1", "add r0");
  EXPECT_TRUE(std::regex_search(e, std::regex(at_line1("ERROR") + "Instruction 'ADD' expects 2 argument")))
      << e;
  e = assemble_error("zqs24-1", "movl r0,, (");
  EXPECT_TRUE(std::regex_search(e, std::regex(at_line1("ERROR") + "syntax error\n$"))) << e;
  e = assemble_error("zqs24-1", ".include \"no_such_file.zqs\"");
  EXPECT_TRUE(std::regex_search(e, std::regex(at_line1("FATAL ERROR") + "Unable to read file"))) << e;
  EXPECT_EQ(assemble_error("zqs99", "nop"), "FATAL ERROR> Bad argument of command line option '-arch'.\n");
}

TEST_F(WindowsSingle, LineEndsInTheLineAreLineEnds) {
  // CR LF and a lone CR end a line as LF does: two statements, two words.
  EXPECT_EQ(assemble_error("zqs24-1", "nop\r\nnop"),
            "ERROR> Assembly result must evaluate to a single 32-bit data word.");
  EXPECT_EQ(assemble_single_instr("zqs24-1", "movl r1, 1\r"), 0x11000001u);
}

TEST(WindowsLibrary, DisassemblyAndRegisters) {
  EXPECT_EQ(disassemble_single_instr("zqs24-1", 0x10000005), "MOVL R0, 0x5");
  EXPECT_EQ(disassemble_single_instr("zqs24-1", 0xE3710040), "JBS R3, 0x7, 0x40");
  EXPECT_EQ(get_reg_map_symbol("zqs24-1", 12), "tbu_ts0");
  try {
    disassemble_single_instr("zqs16-1", 0x02000000);
    FAIL() << "no throw";
  } catch (std::string const& e) {
    EXPECT_EQ(e, "Invalid instruction code 0x2000000. Bits 25 to 31 must be zero for this architecture.");
  }
}

// A scratch directory as the current directory for whole runs of the tool.
class WindowsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[MAX_PATH + 1];
    ASSERT_TRUE(_getcwd(cwd, sizeof cwd));
    old_ = cwd;
    dir_ = temp_dir() + "asm_zqs_win_test_" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(_mkdir(dir_.c_str()), 0);
    ASSERT_EQ(_chdir(dir_.c_str()), 0);
    ASSERT_EQ(_mkdir("sub"), 0);
  }
  void TearDown() override {
    ASSERT_EQ(_chdir(old_.c_str()), 0);
    for (char const* f : {"p.zqs", "p.c", "p.log", "sub\\b.inc"}) remove((dir_ + "\\" + f).c_str());
    _rmdir((dir_ + "\\sub").c_str());
    EXPECT_EQ(_rmdir(dir_.c_str()), 0);
  }

  static void write(char const* name, std::string const& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string read(char const* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // One run of the tool, as the only one of the process.
  static int run(std::initializer_list<char const*> args) {
    asm_module::clear_msg_list();
    std::vector<char const*> argv{"asm-zqs"};
    argv.insert(argv.end(), args);
    return asm_zqs_main((int)argv.size(), argv.data());
  }

 private:
  std::string old_, dir_;
};

// Names are not identities here: another spelling, case or separator still
// names the same source, which no output may replace.
TEST_F(WindowsRun, SourcesAreProtectedUnderEverySpelling) {
  std::string const main_src = ".include \"sub/b.inc\"\nnop\n";
  std::string const inc_src = "nop\n";
  write("p.zqs", main_src);
  write("sub\\b.inc", inc_src);
  for (char const* out : {".\\P.ZQS", "p.ZQS", "./p.zqs"}) {
    run({"-o", out, "p.zqs"});
    EXPECT_EQ(read("p.zqs"), main_src) << out;
  }
  for (char const* log : {"SUB\\B.INC", "sub\\.\\b.inc", "Sub/b.Inc"}) {
    run({"-log", log, "p.zqs"});
    EXPECT_EQ(read("sub\\b.inc"), inc_src) << log;
    EXPECT_EQ(read("p.c"), "") << "failed run leaves no output: " << log;
  }
}

TEST_F(WindowsRun, GeneratedFilesEndLinesWithCrLf) {
  write("p.zqs", "; test\nstart: nop\n");
  EXPECT_EQ(run({"-log", "p.log", "p.zqs"}), 0);
  for (char const* name : {"p.c", "p.log"}) {
    std::string text = read(name);
    ASSERT_FALSE(text.empty()) << name;
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') {
        ++lf;
        if (i > 0 && text[i - 1] == '\r') ++crlf;
      }
    EXPECT_GT(lf, 3u) << name;
    EXPECT_EQ(crlf, lf) << name;
  }
  std::string const head = "/* generated by ZQS-Assembler tool ASM-ZQS version 0.9.5 */\r\n";
  EXPECT_EQ(read("p.c").substr(0, head.size()), head);
}

}  // namespace
