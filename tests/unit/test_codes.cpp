// The message codes: the table's form, the matcher on awkward texts, and every
// message of the golden cases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "asm_codes.h"

namespace {

// A value for the placeholder: a number for the numeric ones, and for names and
// files what a user's source can hold: quotes, braces, the words of other templates.
std::string awkward(std::string const& placeholder) {
  static std::set<std::string> const numbers = {"n", "min", "max", "width", "value", "low", "high", "align"};
  if (numbers.count(placeholder)) return "0xFFFFFFFF";
  if (placeholder == "char") return "'";
  if (placeholder == "radix") return "hexadecimal";
  return "it's '{" + placeholder + "}' already defined.' in argument 1: Unable to read file 'x' to 2.";
}

std::string sample(std::string const& templ) {
  std::string text;
  size_t t = 0;
  for (size_t open; (open = templ.find('{', t)) != std::string::npos; t = templ.find('}', open) + 1)
    text += templ.substr(t, open - t) + awkward(templ.substr(open + 1, templ.find('}', open) - open - 1));
  text += templ.substr(t);
  return text;
}

// The text of a report line "LEVEL[ FILE:LINE]> TEXT"; false for other lines.
// The file may hold "> " itself: the text follows the level or ":digits> ".
bool report_text(std::string const& line, std::string& text) {
  size_t level = 0;
  for (std::string l : {"FATAL ERROR", "ERROR", "WARNING"})
    if (line.compare(0, l.size(), l) == 0 && !level) level = l.size();
  for (size_t p = level ? line.find("> ", level) : std::string::npos; p != std::string::npos; p = line.find("> ", p + 1)) {
    size_t d = line.find_last_not_of("0123456789", p - 1);
    if (p == level || (line[level] == ' ' && d < p - 1 && line[d] == ':')) {
      text = line.substr(p + 2);
      return true;
    }
  }
  return false;
}

TEST(MessageCodes, TableAndMatcher) {
  std::vector<msg_code_type> const& rows = message_codes();
  std::set<std::string> templates;
  std::string previous;
  for (msg_code_type const& r : rows) {
    SCOPED_TRACE(r.code);
    EXPECT_TRUE(std::regex_match(r.code, std::regex("ZQS[1-5][0-9]{3}")));
    EXPECT_LT(previous, r.code);
    previous = r.code;
    EXPECT_TRUE(templates.insert(r.templ).second) << "template twice: " << r.templ;
    EXPECT_TRUE(std::regex_match(r.templ, std::regex("([^{}]|\\{[a-z]+\\})+")));
    EXPECT_TRUE(std::regex_match(r.help, std::regex("[A-Z].*\\.")));
    // Its own sample text, and the text with nothing in the placeholders.
    std::string const text = sample(r.templ);
    EXPECT_EQ(message_code(text), &r) << text;
    EXPECT_NE(message_code("x" + text), &r);  // the whole text, not a part of it
    EXPECT_NE(message_code(text + "x"), &r);
    EXPECT_EQ(message_code(std::regex_replace(r.templ, std::regex("\\{[a-z]+\\}"), "")), &r);
  }
  // The more specific of two matching templates wins, whichever comes first.
  EXPECT_STREQ(message_code("Instruction 'LD' expects 1 to 2 argument(s).")->code, "ZQS5003");
  EXPECT_STREQ(message_code("Instruction 'LD' expects 2 argument(s).")->code, "ZQS5002");
  EXPECT_EQ(message_code(""), nullptr);
  EXPECT_EQ(message_code("syntax error."), nullptr);
  EXPECT_EQ(message_code("Unable to read file 'x'"), nullptr);
  EXPECT_EQ(message_code("Symbol 'A'"), nullptr);
}

// Every message that a golden case prints has a code.
TEST(MessageCodes, GoldenMessagesClassify) {
#ifdef _WIN32
  // Under Wine the Linux path of the sources is on the current drive, if any.
  if (!std::filesystem::is_directory(ASM_ZQS_GOLDEN_CASES)) GTEST_SKIP() << "no " << ASM_ZQS_GOLDEN_CASES;
#endif
  size_t n = 0;
  for (auto const& e : std::filesystem::recursive_directory_iterator(ASM_ZQS_GOLDEN_CASES)) {
    if (e.path().filename() != "stdout") continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string s; std::getline(in, s);) lines.push_back(s);
    std::string text, more;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!report_text(lines[i], text)) continue;
      // A name with a line break continues the text up to the next message or
      // the empty line before the summary.
      while (i + 1 < lines.size() && !lines[i + 1].empty() && !report_text(lines[i + 1], more))
        text += "\n" + lines[++i];
      ++n;
      EXPECT_NE(message_code(text), nullptr) << e.path() << ": " << text;
    }
  }
  EXPECT_GT(n, 100u);
}

}  // namespace
