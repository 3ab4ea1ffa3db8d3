// The message list and the number and text utilities.
#include <gtest/gtest.h>

#include "asm_objects.h"
#include "asm_utils.h"

namespace {

std::string parse_error(std::string const& text) {
  try {
    parse_number(text);
  } catch (std::string const& e) {
    return e;
  }
  return "accepted";
}

TEST(MessageList, FatalIsRecordedThenThrown) {
  asm_module::clear_msg_list();
  asm_module::post_msg("w", asm_module::MLV_WARNING, "a.zqs", 0);
  EXPECT_FALSE(asm_module::has_errors());
  EXPECT_TRUE(asm_module::has_messages());
  try {
    asm_module::post_msg("f", asm_module::MLV_FATAL, "", 0);
    FAIL() << "no throw";
  } catch (std::string const& e) {
    EXPECT_EQ(e, "asm_module::post_msg::MLV_FATAL");
  }
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_WARNING), 1u);
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_FATAL), 1u);
  EXPECT_TRUE(asm_module::has_errors());
  EXPECT_EQ(asm_module::print_msg_list(), "WARNING a.zqs:0> w\nFATAL ERROR> f\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(asm_module::print_msg_list(), "");
  EXPECT_FALSE(asm_module::has_messages());
}

TEST(MessageList, InfoIsListedNotAnError) {
  asm_module::clear_msg_list();
  asm_module::post_msg("i", asm_module::MLV_INFO, "t.zqs", 12);
  asm_module::post_msg("e", asm_module::MLV_ERROR, "t.zqs", 12);
  EXPECT_EQ(asm_module::print_msg_list(), "INFO t.zqs:12> i\nERROR t.zqs:12> e\n");
  EXPECT_TRUE(asm_module::has_errors());
  asm_module::clear_msg_list();
}

TEST(ParseNumber, Notations) {
  EXPECT_EQ(parse_number("0x1F"), 31u);
  EXPECT_EQ(parse_number("h#1F"), 31u);
  EXPECT_EQ(parse_number("$1f"), 31u);
  EXPECT_EQ(parse_number("31"), 31u);
  EXPECT_EQ(parse_number("d#31"), 31u);
  EXPECT_EQ(parse_number("b#11111"), 31u);
  EXPECT_EQ(parse_number("0xFFFFFFFF"), 4294967295u);
  EXPECT_EQ(parse_number("0x00000000000000000001"), 1u);
  EXPECT_EQ(parse_number("017"), 17u);
}

TEST(ParseNumber, Rejections) {
  for (char const* t : {"", "0x", "$", "b#", "h#", "d#"})
    EXPECT_EQ(parse_error(t), "Constant must contain at least one digit.") << t;
  for (char const* t : {"4294967296", "0x100000000", "18446744073709551616",
                        "99999999999999999999999999999"})
    EXPECT_EQ(parse_error(t), "Constant cannot be represented by 32 bits.") << t;
  EXPECT_EQ(parse_error("b#102"), "Found bad character '2' in binary constant.");
  EXPECT_EQ(parse_error("h#1g"), "Found bad character 'g' in hexadecimal constant.");
  EXPECT_EQ(parse_error("0X1F"), "Found bad character 'X' in decimal constant.");
  EXPECT_EQ(parse_error("-1"), "Found bad character '-' in decimal constant.");
  // A bad character wins over the size.
  EXPECT_EQ(parse_error("99999999999999999999x"), "Found bad character 'x' in decimal constant.");
}

TEST(TextUtils, Identifiers) {
  EXPECT_TRUE(is_identifier("A_9"));
  for (char const* t : {"_x", "9a", "", "a-b"}) EXPECT_FALSE(is_identifier(t)) << t;
  EXPECT_EQ(string2ident(""), "");
  EXPECT_EQ(string2ident("_a"), "_a");
  EXPECT_EQ(string2ident("loop.start"), "loop_start");
  EXPECT_EQ(string2ident("1st"), "_st");
  EXPECT_EQ(string2ident("a\xE9\x80z"), "a__z");
}

TEST(TextUtils, PathsAndNumbers) {
  EXPECT_EQ(stripfilename("dir/sub\\file.h"), "file.h");
  EXPECT_EQ(stripfilename("file"), "file");
  EXPECT_EQ(stripfilename("a/"), "");
  EXPECT_EQ(num2hexstr(0), "0x0");
  EXPECT_EQ(num2hexstr(255), "0xFF");
  EXPECT_EQ(num2str(4294967295u), "4294967295");
  EXPECT_EQ(char2numstr('\xFF'), "255");
  EXPECT_EQ(char2numstr('A'), "65");
  EXPECT_EQ(hex2int('f', 'F'), '\xFF');
  EXPECT_EQ(tolower("AbC"), "abc");
  EXPECT_EQ(toupper("AbC"), "ABC");
  char line[] = "ab\r\r\ncd\r";
  format_eol(line, sizeof line - 1);
  EXPECT_STREQ(line, "ab  \ncd\r");
}

TEST(SyntaxTree, NodesAndTexts) {
  asm_stmt s(".label", nullptr, nullptr);
  EXPECT_TRUE(s.args && s.args->empty());
  EXPECT_TRUE(s.cmdline_args && s.cmdline_args->empty());
  EXPECT_EQ(s.to_string(), "statement .label");
  delete s.args;  // the statement does not own its vector
  asm_expr n("num", nullptr, nullptr);
  n.data = "h#10";
  EXPECT_EQ(n.to_string(), "num=16");
  n.data = "0xFFFFFFFF";
  EXPECT_EQ(n.to_string(), "num=-1");
  asm_expr add("add", nullptr, nullptr);
  EXPECT_EQ(add.to_string(), "");
  asm_file f("main.zqs", nullptr);
  EXPECT_EQ(f.to_string(), "file main.zqs");
  delete f.stmts;  // nor the file its list
}

// A chain of a million nodes is released without deep recursion.
TEST(SyntaxTree, DeepTreeDeletes) {
  std::pmr::memory_resource* heap = std::pmr::new_delete_resource();
  asm_expr* root = new_expr(heap, "num", nullptr, nullptr);
  for (int i = 0; i < 1000000; ++i) root = new_expr(heap, "neg", root, nullptr);
  delete_expr_tree(heap, root);
}

}  // namespace
