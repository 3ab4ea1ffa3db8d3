// The section DIAGNOSTIC CODES of asm-zqs(1): every message code with its text
// and help, from the one table of the library (lib/asm_codes.cpp).
#include "asm_codes.h"
#include "gen.h"

namespace zqs_gen {

char const* const man_codes_begin = ".\\\" zqs-gen: begin of the diagnostic codes";
char const* const man_codes_end = ".\\\" zqs-gen: end of the diagnostic codes";

namespace {

// Text for inside a roff text line: escapes for the characters roff reads.
std::string roff(std::string const& s) {
  std::string r = "\\&";  // a leading dot or apostrophe stays text
  for (char c : s) {
    if (c == '\\') r += "\\e";
    else if (c == '-') r += "\\-";
    else if (c == '\'') r += "\\(aq";
    else if (c == '"') r += "\\(dq";
    else r += c;
  }
  return r;
}

// A template in bold, its placeholders in italic; no word is hyphenated, so that
// the text reads as the tool prints it.
std::string template_line(std::string const& templ) {
  std::string r;
  size_t t = 0;
  for (size_t open; (open = templ.find('{', t)) != std::string::npos; t = templ.find('}', open) + 1)
    r += roff(templ.substr(t, open - t)) + "\\fI" + templ.substr(open, templ.find('}', open) - open + 1) + "\\fB";
  r += roff(templ.substr(t));
  for (size_t p = 0; (p = r.find(' ', p)) != std::string::npos; p += 3) r.replace(p, 1, " \\%");
  return "\\fB\\%" + r + "\\fR\n";
}

}  // namespace

std::string man_codes() {
  std::string t = std::string(man_codes_begin) + ": do not edit, ninja update-generated rewrites it.\n" +
                  ".SH \"DIAGNOSTIC CODES\"\n"
                  "Every message text has a code that keeps its meaning in later versions.\n"
                  "Each entry gives the code, the text with its variable parts as\n"
                  ".I \\%{placeholders}\n"
                  "(a name, a file, a number from the run), and the usual cause and fix.\n"
                  "Codes ZQS1xxx are about the command line and the files the run writes,\n"
                  "ZQS2xxx the source files, their syntax and the .cmdline directive,\n"
                  "ZQS3xxx expressions and symbols, ZQS4xxx directives, and ZQS5xxx instructions.\n";
  for (msg_code_type const& c : message_codes())
    t += ".TP\n.B " + std::string(c.code) + "\n" + template_line(c.templ) + ".br\n" + roff(c.help) + "\n";
  return t + man_codes_end + "\n";
}

}  // namespace zqs_gen
