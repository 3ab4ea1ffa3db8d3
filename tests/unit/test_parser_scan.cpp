// The scanner on its own: token kinds, token values, line counting, modes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "asm_passes.h"
#include "grammar.tab.h"
#include "parser_iface.h"

namespace {

std::string token_name(int t) {
  switch (t) {
    case TK_IDENT: return "IDENT";
    case TK_NUM: return "NUM";
    case TK_STRING: return "STRING";
    case TK_EOL: return "EOL";
    case TK_DEFINE: return "DEFINE";
    case TK_SET: return "SET";
    case TK_REGISTER: return "REGISTER";
    case TK_ORG: return "ORG";
    case TK_INCLUDE: return "INCLUDE";
    case TK_VARIABLE: return "VAR";
    case TK_STR_VAR: return "STR";
    case TK_EOF: return "EOF";
    case TK_ERROR: return "ERROR";
    case TK_POW: return "POW";
    case TK_CMDLINE: return "CMDLINE";
    default: return std::string(1, (char)t);
  }
}

// Scans src to the end and lists the tokens: "IDENT(a) NUM(5) EOL ...".
// With lines set, each token is followed by "@" and the line count after it.
std::string scan(std::string const& src, bool lines = false) {
  FILE* f = tmpfile();
  fwrite(src.data(), 1, src.size(), f);
  rewind(f);
  asm_passes::lny_var.line = 0;
  asm_passes::lny_var.file = "t.zqs";
  scanner_begin(f);
  std::string out;
  for (int n = 0; n < 1000; ++n) {
    int t = yylex();
    if (!out.empty()) out += " ";
    out += token_name(t);
    if (t == TK_IDENT) {
      out += "(" + *yylval.text + ")";
      delete yylval.text;
    } else if (t == TK_NUM || t == TK_STRING) {
      out += "(" + yylval.expr->data + ")";
      delete_expr_tree(parse_position.memory, yylval.expr);
    } else if (t == TK_CMDLINE) {
      out += "[";
      for (size_t i = 0; i < yylval.words->size(); ++i)
        out += (i ? "|" : "") + (*yylval.words)[i];
      out += "]";
      delete yylval.words;
    }
    if (lines) out += "@" + std::to_string(asm_passes::lny_var.line);
    if (t == TK_EOF) break;
  }
  scanner_end();
  fclose(f);
  return out;
}

class Scanner : public ::testing::Test {
 protected:
  void SetUp() override { asm_module::clear_msg_list(); }
  void TearDown() override { asm_module::clear_msg_list(); }
};

TEST_F(Scanner, TokenNumbers) {
  EXPECT_EQ(TK_IDENT, 258);
  EXPECT_EQ(TK_EOL, 261);
  EXPECT_EQ(TK_EOF, 269);
  EXPECT_EQ(TK_ERROR, 270);
  EXPECT_EQ(TK_POW, 271);
  EXPECT_EQ(TK_CMDLINE, 272);
  EXPECT_EQ(UPLUS, 273);
  EXPECT_EQ(UMINUS, 274);
}

TEST_F(Scanner, LineEnds) {
  EXPECT_EQ(scan("a\r\nb\n\rc\rd", true),
            "IDENT(a)@0 EOL@1 IDENT(b)@1 EOL@2 EOL@3 IDENT(c)@3 EOL@4 IDENT(d)@4 EOF@5");
  EXPECT_EQ(scan("", true), "EOF@1");
  EXPECT_EQ(scan("x ; comment\r\n; c2\r", true), "IDENT(x)@0 EOL@1 EOL@2 EOF@3");
  // A line end between apostrophes is a character literal, not counted.
  EXPECT_EQ(scan("'\n' '\r'", true), "NUM(10)@0 NUM(13)@0 EOF@1");
}

TEST_F(Scanner, Keywords) {
  EXPECT_EQ(scan(".define .set .register .org .include .var .str"),
            "DEFINE SET REGISTER ORG INCLUDE VAR STR EOF");
  EXPECT_EQ(scan(".defineX 5"), "DEFINE IDENT(X) NUM(5) EOF");
  EXPECT_EQ(scan(".define1"), "DEFINE NUM(1) EOF");
  EXPECT_EQ(scan(".DEFINE .label"), "ERROR IDENT(DEFINE) ERROR IDENT(label) EOF");
}

TEST_F(Scanner, IdentifiersAndNumbers) {
  EXPECT_EQ(scan("_x a_b A1_"), "ERROR IDENT(x) IDENT(a_b) IDENT(A1_) EOF");
  EXPECT_EQ(scan("0x1F 0xfF h#ab d#12 b#101 $ff 017 1F 1e5 0b101 d#1A"),
            "NUM(0x1F) NUM(0xfF) NUM(h#ab) NUM(d#12) NUM(b#101) NUM($ff) NUM(017) NUM(1F) "
            "NUM(1e5) NUM(0b101) NUM(d#1A) EOF");
  EXPECT_EQ(scan("0X1F"), "NUM(0) IDENT(X1F) EOF");
  EXPECT_EQ(scan("0xg"), "NUM(0) IDENT(xg) EOF");
  EXPECT_EQ(scan("H#1 x"), "IDENT(H) EOF");
  EXPECT_EQ(scan("h#\nb"), "IDENT(h) EOL IDENT(b) EOF");
  EXPECT_EQ(scan("$ $g"), "ERROR ERROR IDENT(g) EOF");
}

TEST_F(Scanner, CharacterLiterals) {
  EXPECT_EQ(scan("'A' '\\xFF' '\xE9' ''' '\\'' '\\\\' '\\\"' '\\t' '\\x0a'"),
            "NUM(65) NUM(255) NUM(233) NUM(39) NUM(39) NUM(92) NUM(34) NUM(9) NUM(10) EOF");
  EXPECT_EQ(scan("'\\v'"), "ERROR ERROR IDENT(v) ERROR EOF");
  EXPECT_EQ(scan(std::string("'\0'", 3)), "NUM(0) EOF");
  EXPECT_EQ(scan("'ab'"), "ERROR IDENT(ab) ERROR EOF");
}

TEST_F(Scanner, Strings) {
  EXPECT_EQ(scan("\"a\\x41\\n\""), "STRING(aA\n) EOF");
  EXPECT_EQ(scan("\"a;b#c 'd'\""), "STRING(a;b#c 'd') EOF");
  EXPECT_EQ(asm_module::print_msg_list(), "");
  EXPECT_EQ(scan("\n\"\\q\\x4\""), "EOL STRING(qx4) EOF");
  EXPECT_EQ(asm_module::print_msg_list(),
            "ERROR t.zqs:2> Invalid escape sequence in string.\n"
            "ERROR t.zqs:2> Invalid escape sequence in string.\n");
  // Escapes are case-sensitive; \v and \0 are none.
  asm_module::clear_msg_list();
  EXPECT_EQ(scan("\"\\X\\v\\0\""), "STRING(Xv0) EOF");
  EXPECT_EQ(asm_module::get_msg_count(asm_module::MLV_ERROR), 3u);
  // Left open: no string token, no message of its own.
  asm_module::clear_msg_list();
  EXPECT_EQ(scan("\"abc\nx", true), "EOL@1 IDENT(x)@1 EOF@2");
  EXPECT_EQ(scan("\"abc", true), "EOF@1");
  EXPECT_EQ(asm_module::print_msg_list(), "");
  EXPECT_EQ(scan(std::string("\"a\0b\xff\"", 6)), std::string("STRING(a\0b\xff) EOF", 16));
}

TEST_F(Scanner, Operators) {
  EXPECT_EQ(scan("**"), "POW EOF");
  EXPECT_EQ(scan("* *"), "* * EOF");
  EXPECT_EQ(scan("***"), "POW * EOF");
  EXPECT_EQ(scan(":,+-*/%&|^~()"), ": , + - * / % & | ^ ~ ( ) EOF");
  EXPECT_EQ(scan("? \x80 \t@"), "ERROR ERROR ERROR EOF");
  EXPECT_EQ(scan(std::string("a\0b", 3)), "IDENT(a) ERROR IDENT(b) EOF");
}

TEST_F(Scanner, CmdlineWords) {
  EXPECT_EQ(scan(".cmdline -o out.c   -W ; comment\nx", true),
            "CMDLINE[-o|out.c|-W]@0 EOL@1 IDENT(x)@1 EOF@2");
  EXPECT_EQ(scan(".cmdline\n", true), "CMDLINE[]@0 EOL@1 EOF@2");
  EXPECT_EQ(scan(".cmdline -o\"my file.c\""), "CMDLINE[-omy file.c] EOF");
  EXPECT_EQ(scan(".cmdline -o\"a b\"c"), "CMDLINE[-oa bc] EOF");
  EXPECT_EQ(scan(".cmdline a\tb  \"\" c#x"), "CMDLINE[a\tb|c] EOF");
  EXPECT_EQ(scan(".cmdline \"a;b#c\" d"), "CMDLINE[a;b#c|d] EOF");
  // The line end is handed back to normal mode and counted there.
  EXPECT_EQ(scan(".cmdline a\r\nb", true), "CMDLINE[a]@0 EOL@1 IDENT(b)@1 EOF@2");
  EXPECT_EQ(scan(".cmdline a", true), "CMDLINE[a]@0 EOF@1");
  EXPECT_EQ(scan(".cmdlinex y"), "CMDLINE[x|y] EOF");
  EXPECT_EQ(asm_module::print_msg_list(), "");
}

// Every byte value inside a .cmdline word and inside a quoted word: only the
// blank, the comment starts, the quote and the line ends have a meaning there;
// every other byte (NUL, tab, 0x80-0xFF ...) is part of the word.
TEST_F(Scanner, CmdlineEveryByte) {
  for (int b = 0; b < 256; ++b) {
    std::string const c(1, (char)b);
    std::string plain = "CMDLINE[x" + c + "y] EOF";
    if (b == ' ') plain = "CMDLINE[x|y] EOF";
    if (b == ';' || b == '#') plain = "CMDLINE[x] EOF";
    if (b == '\n' || b == '\r') plain = "CMDLINE[x] EOL IDENT(y) EOF";
    if (b == '"') plain = "ERROR EOF";  // x"y opens a quote that never closes
    EXPECT_EQ(scan(".cmdline x" + c + "y"), plain) << "byte " << b << " in a word";

    std::string quoted = "CMDLINE[x" + c + "y] EOF";
    if (b == '"') quoted = "ERROR EOF";  // "x"y" leaves the last quote open
    if (b == '\n' || b == '\r') quoted = "ERROR EOL IDENT(y) EOF";  // the y" after it: an open string
    EXPECT_EQ(scan(".cmdline \"x" + c + "y\""), quoted) << "byte " << b << " in a quoted word";
  }
  asm_module::clear_msg_list();
}

TEST_F(Scanner, CmdlineOpenQuote) {
  EXPECT_EQ(scan("\n.cmdline -o \"a b\nx", true), "EOL@1 ERROR@1 EOL@2 IDENT(x)@2 EOF@3");
  EXPECT_EQ(scan(".cmdline \"a", true), "ERROR@0 EOF@1");
  EXPECT_EQ(asm_module::print_msg_list(),
            "ERROR t.zqs:2> Detected line break within string of .cmdline directive.\n"
            "ERROR t.zqs:1> Detected end of file within string of .cmdline directive.\n");
}

TEST_F(Scanner, LongTokens) {
  // One token far longer than the input buffer.
  std::string id(1 << 20, 'a');
  std::string s = "\"" + std::string(10 << 20, 'x') + "\"";
  FILE* f = tmpfile();
  fputs(id.c_str(), f);
  fputs(" ", f);
  fputs(s.c_str(), f);
  rewind(f);
  asm_passes::lny_var.line = 0;
  scanner_begin(f);
  ASSERT_EQ(yylex(), TK_IDENT);
  EXPECT_EQ(yylval.text->size(), id.size());
  delete yylval.text;
  ASSERT_EQ(yylex(), TK_STRING);
  EXPECT_EQ(yylval.expr->data.size(), s.size() - 2);
  delete_expr_tree(parse_position.memory, yylval.expr);
  EXPECT_EQ(yylex(), TK_EOF);
  scanner_end();
  fclose(f);
}

TEST_F(Scanner, RestartsCleanAfterAbandonedScan) {
  // Stop after the first token, in comment mode, with input left in the
  // buffer; the next scan starts afresh in normal mode on the new file.
  for (char const* src : {".cmdline a ; c\nx", ".cmdline \"a\nb", "q r s", "; c\nx"}) {
    FILE* f = tmpfile();
    fputs(src, f);
    rewind(f);
    scanner_begin(f);
    int t = yylex();
    if (t == TK_CMDLINE) delete yylval.words;
    if (t == TK_IDENT) delete yylval.text;
    fclose(f);  // abandoned without scanner_end
    EXPECT_EQ(scan("a \"s\""), "IDENT(a) STRING(s) EOF") << src;
  }
}

}  // namespace
