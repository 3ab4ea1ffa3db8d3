// Back-end behaviour that a consistent run from the command line cannot reach.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "asm_passes.h"

namespace {

// A scratch directory that is the working directory while the test runs.
class scratch_dir {
 public:
  scratch_dir() {
    char tmpl[] = "/tmp/asm_zqs_be_XXXXXX";
    dir_ = mkdtemp(tmpl);
    char buf[4096];
    old_ = getcwd(buf, sizeof buf);
    EXPECT_EQ(chdir(dir_.c_str()), 0);
  }
  ~scratch_dir() {
    EXPECT_EQ(chdir(old_.c_str()), 0);
    std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }

 private:
  std::string dir_, old_;
};

void write_file(char const* name, std::string const& text) {
  FILE* f = fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

std::string read_file(char const* name) {
  std::string s;
  FILE* f = fopen(name, "rb");
  if (!f) return "<missing>";
  int c;
  while ((c = getc(f)) != EOF) s += (char)c;
  fclose(f);
  return s;
}

// A program of one file "m.zqs" holding one instruction on line 1.
void one_instruction(asm_passes& p) {
  p.reset_cmd_line_param();
  p.input_file_name = "m.zqs";
  p.log_file_name = "m.log";
  asm_file* f = new_file(p.ir.tree_memory(), "m.zqs", {});
  asm_stmt* s = new_stmt(p.ir.tree_memory(), "nop", nullptr);
  s->line = 1;
  f->stmts->push_back(s);
  p.ir.file_list->push_back(f);
  p.ir.file_map["m.zqs"] = f;
}

std::string thrown_by_log(asm_passes& p) {
  try {
    p.run_log_backend_pass();
  } catch (std::string const& e) {
    return e;
  }
  return "no throw";
}

TEST(LogBackend, WordOfAnotherLineIsAnInternalError) {
  scratch_dir d;
  asm_module::clear_msg_list();
  write_file("m.zqs", "nop\n");
  asm_passes p;
  one_instruction(p);
  p.ir.asm_list.emplace_back(0, 0, "m.zqs", 2);
  EXPECT_EQ(thrown_by_log(p), "(*ait).line == cur_line");
  EXPECT_FALSE(asm_module::has_messages());
}

TEST(LogBackend, WordOfAnotherFileOrNoWordIsAnInternalError) {
  scratch_dir d;
  asm_module::clear_msg_list();
  write_file("m.zqs", "nop\n");
  {
    asm_passes p;
    one_instruction(p);
    p.ir.asm_list.emplace_back(0, 0, "other.zqs", 1);
    EXPECT_EQ(thrown_by_log(p), "(*ait).file == file->name");
  }
  {
    asm_passes p;
    one_instruction(p);
    EXPECT_EQ(thrown_by_log(p), "(*ait).file == file->name");
  }
}

TEST(LogBackend, SourceThatVanishedIsFatal) {
  scratch_dir d;
  asm_module::clear_msg_list();
  asm_passes p;
  one_instruction(p);
  p.ir.asm_list.emplace_back(0, 0, "m.zqs", 1);
  EXPECT_EQ(thrown_by_log(p), MSG_FATAL_THROW);
  ASSERT_EQ(asm_module::msg_lst.size(), 1u);
  EXPECT_EQ(asm_module::msg_lst[0].text, "Unable to read file 'm.zqs'.");
  asm_module::clear_msg_list();
}

TEST(LogBackend, ListsTheFileWithItsWord) {
  scratch_dir d;
  asm_module::clear_msg_list();
  write_file("m.zqs", "nop");
  asm_passes p;
  one_instruction(p);
  p.ir.asm_list.emplace_back(0x10, 0xABCD, "m.zqs", 1);
  p.run_log_backend_pass();
  std::string log = read_file("m.log");
  EXPECT_NE(log.find(ASM_EOL " ------------------ BEGIN OF FILE: m.zqs " ASM_EOL ASM_EOL
                     " [0x00000010] = 0x0000ABCD |     1: nop" ASM_EOL ASM_EOL
                     " ------------------ END OF FILE: m.zqs " ASM_EOL ASM_EOL),
            std::string::npos)
      << log;
}

// Every byte of expression data: plain printable characters stay, the rest is \xNN.
TEST(XmlDump, ExpressionDataEscapesEveryByteButPlainText) {
  asm_passes p;
  asm_expr* e = new_expr(std::pmr::new_delete_resource(), "string", nullptr, nullptr);
  for (int c = 0; c < 256; ++c) e->data += (char)c;
  FILE* f = tmpfile();
  ASSERT_NE(f, nullptr);
  p.xml_dump_expr_walker(f, e, "  ");
  rewind(f);
  std::string out;
  int c;
  while ((c = getc(f)) != EOF) out += (char)c;
  fclose(f);
  delete_expr_tree(std::pmr::new_delete_resource(), e);

  std::string want = "  <expr opcode=\"string\" data=\"";
  char buf[8];
  for (int b = 0; b < 256; ++b) {
    bool plain = b >= 32 && b <= 126 && b != '"' && b != '&' && b != '\'' && b != '<' && b != '>';
    if (plain) want += (char)b;
    else snprintf(buf, sizeof buf, "\\x%02X", b), want += buf;
  }
  want += "\">" ASM_EOL "  </expr>" ASM_EOL;
  EXPECT_EQ(out, want);
}

}  // namespace
