// Source positions of messages: every message with a place in a source names
// the columns of what it is about, its include chain and the file as opened.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "asm_passes.h"
#include "asm_run.h"

namespace {

struct want {
  std::string file;  // the path as opened
  unsigned int line, col, end_col;
  std::string text;
  bool extra;  // after the file's first syntax error
};

// Runs the tool in a private folder holding the files, with the main file a.zqs.
struct Positions : ::testing::Test {
  std::string dir, old_dir;
  void SetUp() override {
    char buf[4096];
    ASSERT_TRUE(getcwd(buf, sizeof buf));
    old_dir = buf;
    char const* tmp = getenv("TMPDIR");
    std::string t = std::string(tmp && *tmp ? tmp : "/tmp") + "/positions.XXXXXX";
    std::vector<char> name(t.begin(), t.end());
    name.push_back('\0');
    ASSERT_TRUE(mkdtemp(name.data()));
    dir = name.data();
    ASSERT_EQ(chdir(dir.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_dir.c_str()), 0);
    std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  void put(std::string const& name, std::string const& text) {
    if (name.find('/') != std::string::npos) {
      std::string cmd = "mkdir -p '" + name.substr(0, name.rfind('/')) + "'";
      ASSERT_EQ(system(cmd.c_str()), 0);
    }
    std::ofstream(name, std::ios::binary) << text;
  }
  void expect(std::vector<char const*> args, std::vector<want> const& wanted) {
    asm_passes p;
    std::string out;
    args.insert(args.begin(), "asm-zqs");
    asm_zqs_run(p, (int)args.size(), args.data(), out);
    auto const& got = asm_module::msg_lst;
    ASSERT_EQ(got.size(), wanted.size()) << out;
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(got[i].text);
      EXPECT_EQ(got[i].text, wanted[i].text);
      EXPECT_EQ(got[i].path, wanted[i].file);
      EXPECT_EQ(got[i].where.line, wanted[i].line);
      EXPECT_EQ(got[i].where.end_line, wanted[i].line);
      EXPECT_EQ(got[i].where.col, wanted[i].col);
      EXPECT_EQ(got[i].where.end_col, wanted[i].end_col);
      EXPECT_EQ(got[i].after_syntax_error, wanted[i].extra);
    }
  }
};

TEST_F(Positions, EachKindOfMessageNamesWhatItIsAbout) {
  // Faults of pass 1 (a tab is one column).
  put("a.zqs",
      ".define r2 3\n"
      ".org 2\n"
      "  nop 5\n"
      "\tfoo 1\n"
      "lbl: nop\n"
      "lbl: nop\n"
      ".var 1, 40\r\n"
      "movl r1, (1/0) + 2\n"
      "movl r2, r3 + 1\n"
      "mov 5, r1\n"
      ".define x (0xFFFFFFFF + 1)\n"
      ".register sp r3\n");
  expect({"a.zqs"}, {
      {"a.zqs", 1, 9, 10, "Symbol 'R2' already defined as register, label, or user defined register.", false},
      {"a.zqs", 2, 6, 6, "Address counter relocation is only supported for integer multiples of 4.", false},
      {"a.zqs", 3, 3, 5, "Instruction 'NOP' expects 0 argument(s).", false},
      {"a.zqs", 4, 2, 4, "Instruction 'FOO' is not available in selected architecture.", false},
      {"a.zqs", 6, 1, 3, "Symbol 'LBL' already defined.", false},
      {"a.zqs", 7, 9, 10, "Expression value 40 of argument 2 must be less than or equal to the instruction width, which is 32.", false},
      {"a.zqs", 8, 10, 14, "Division by zero in argument 2.", false},
      {"a.zqs", 9, 10, 11, "Register symbol 'R3' cannot be used as variable expressions in argument 2.", false},
      {"a.zqs", 10, 5, 5, "Expecting a register symbol of type 'OREG' or a user defined register symbol as argument 1 but found an expression.", false},
      {"a.zqs", 11, 11, 26, "Addition operator causes unsigned 32-bit overflow.", false},
      {"a.zqs", 12, 14, 15, "Expression for register 'SP' cannot be evaluated during first assembling pass.", false},
  });
}

TEST_F(Positions, PassTwoFaultsAndIncludesTwoDeep) {
  put("a.zqs", "jmp nowhere\n.include \"inc/b.inc\"\n  movl r1, -0x1000001\n");
  put("inc/b.inc", "\n.include \"c.inc\"\n");
  put("inc/c.inc", "jmp 0x102\n.define a 1 - 2\n");
  expect({"a.zqs"}, {
      {"a.zqs", 1, 5, 11, "Found undefined symbol 'NOWHERE' in argument 1.", false},
      {"inc/c.inc", 1, 5, 9, "Expression value 0x102 of argument 1 must be an inter multiple of 4.", false},
      {"inc/c.inc", 2, 11, 15, "Subtratcion operator causes unsigned 32-bit underflow.", false},
      {"a.zqs", 3, 12, 21, "Expression value 0xFEFFFFFF of argument 2 cannot be represented with 24 bits.", false},
  });
  std::vector<include_site> const& chain = asm_module::msg_lst[1].included_from;
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[0].file, "a.zqs");
  EXPECT_EQ(chain[0].line, 2u);
  EXPECT_EQ(chain[1].file, "inc/b.inc");
  EXPECT_EQ(chain[1].line, 2u);
  EXPECT_TRUE(asm_module::msg_lst[3].included_from.empty());
}

TEST_F(Positions, EverySyntaxErrorOfAFileAfterTheFirstIsListedButNotCounted) {
  put("a.zqs", ".org\nx ? y\n  .str \"a\\q\"\n");
  expect({"a.zqs"}, {
      // at the line end: the fixed report names the next line, the range its own
      {"a.zqs", 1, 5, 5, "syntax error", false},
      {"a.zqs", 2, 3, 3, "syntax error", true},
      {"a.zqs", 3, 10, 11, "Invalid escape sequence in string.", true},
  });
  EXPECT_EQ(asm_module::msg_lst[0].line, 2u);
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_ERROR), 1u);
  EXPECT_EQ(asm_module::print_msg_list(), "ERROR a.zqs:2> syntax error\n");

  put("c.zqs", "nop\n.include \"b.inc\"\n");
  put("b.inc", "nop\n\t.var 1,,\n.str \"open\n");
  expect({"c.zqs"}, {
      {"b.inc", 2, 9, 9, "syntax error", false},
      {"b.inc", 3, 5, 5, "syntax error", true},
  });
  ASSERT_EQ(asm_module::msg_lst[1].included_from.size(), 1u);
  EXPECT_EQ(asm_module::msg_lst[1].included_from[0].file, "c.zqs");
  EXPECT_EQ(asm_module::msg_lst[1].included_from[0].line, 2u);
}

TEST_F(Positions, FileAndDirectiveMessages) {
  put("a.zqs", ".cmdline -arch nothing\n");
  put("b.zqs", "nop\n  .include \"missing.inc\"\n");
  expect({"a.zqs"}, {{"a.zqs", 1, 1, 22, "Bad argument of command line option '-arch'.", false}});
  expect({"b.zqs"}, {{"b.zqs", 2, 12, 24, "Unable to read file 'missing.inc'.", false}});
  expect({"missing.zqs"}, {{"", 0, 0, 0, "Unable to read file 'missing.zqs'.", false}});
}

}  // namespace
