// The diagnostics formats on hand-made message lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <nlohmann/json.hpp>

#include "asm_codes.h"
#include "asm_diag.h"

namespace {

typedef asm_module::msg_element msg;
namespace fs = std::filesystem;

msg make(std::string text, asm_module::MSG_LEVEL level, std::string path = "", unsigned int line = 0,
         src_range where = {}) {
  return msg{std::move(text), level, path, line, where, path, {}, false};
}

// A source file in a folder of its own, removed with the test.
struct source_file {
  fs::path dir = fs::temp_directory_path() / ("asm_zqs_diag_" + std::to_string(std::random_device()()) +
                                              std::to_string(std::random_device()()));
  std::string path = (dir / "a.zqs").string();
  explicit source_file(std::string const& text) {
    fs::create_directories(dir);
    std::ofstream(path, std::ios::binary) << text;
  }
  ~source_file() { fs::remove_all(dir); }
};

TEST(Diagnostics, GnuSourceAndCaret) {
  // Line 2 ends in CR LF, line 3 in a lone CR; tabs stay before the caret.
  source_file src("one\n\tld\tr1, FOO\r\nx  y\rlast");
  msg inc = make("Undefined.", asm_module::MLV_ERROR, src.path, 2, {2, 9, 2, 11});
  inc.included_from = {{"main.zqs", 3}, {"inc/b.inc", 7}};
  std::vector<msg> msgs = {
      inc,
      make("Range over lines.", asm_module::MLV_WARNING, src.path, 3, {3, 4, 4, 2}),
      make("At the line end.", asm_module::MLV_ERROR, src.path, 4, {4, 5, 4, 5}),
      make("No such line.", asm_module::MLV_ERROR, src.path, 9, {9, 1, 9, 1}),
      make("No column.", asm_module::MLV_WARNING, src.path, 5),
      make("Gone.", asm_module::MLV_FATAL, "missing.zqs", 1, {1, 1, 1, 1}),
      make("Missing source file name.", asm_module::MLV_FATAL),
  };
  std::string const p = src.path;
  EXPECT_EQ(format_diagnostics(msgs, diag_format::gnu),
            "In file included from main.zqs:3:\nIn file included from inc/b.inc:7:\n" +
                p + ":2:9: error: Undefined.\n\tld\tr1, FOO\n\t  \t    ^~~\n" +
                p + ":3:4: warning: Range over lines.\nx  y\n   ^\n" +
                p + ":4:5: error: At the line end.\nlast\n    ^\n" +
                p + ":9:1: error: No such line.\n" +
                p + ":5: warning: No column.\n"
                "missing.zqs:1:1: fatal error: Gone.\n"
                "asm-zqs: fatal error: Missing source file name.\n");
}

TEST(Diagnostics, JsonFieldsAndCounts) {
  msg extra = make("Syntax error.", asm_module::MLV_ERROR, "a.zqs", 4, {5, 2, 5, 3});
  extra.after_syntax_error = true;
  extra.included_from = {{"main.zqs", 1}};
  std::vector<msg> msgs = {make("Missing source file name.", asm_module::MLV_FATAL),
                           make("bad \xff byte", asm_module::MLV_WARNING, "a.zqs", 2), extra};
  nlohmann::json j = nlohmann::json::parse(format_diagnostics(msgs, diag_format::json));
  EXPECT_EQ(j["errors"], 2);
  EXPECT_EQ(j["warnings"], 1);
  nlohmann::json const& d = j["diagnostics"];
  ASSERT_EQ(d.size(), 3u);
  msg_code_type const* row = message_code("Missing source file name.");
  EXPECT_EQ(d[0]["code"], row ? row->code : "ZQS0000");
  EXPECT_FALSE(d[0].contains("line"));
  EXPECT_EQ(d[1]["message"], "bad \xef\xbf\xbd byte");
  EXPECT_EQ(d[1]["line"], 2);
  EXPECT_FALSE(d[1].contains("column"));
  EXPECT_EQ(d[2]["line"], 5);  // the range's line
  EXPECT_EQ(d[2]["end_column"], 3);
  EXPECT_EQ(d[2]["included_from"], nlohmann::json::parse(R"([{"file": "main.zqs", "line": 1}])"));
}

TEST(Diagnostics, SarifResults) {
  source_file src("x\xc3\xa4y = 1\n");  // a two-byte character before the range
  std::vector<msg> msgs = {make("Missing source file name.", asm_module::MLV_FATAL),
                           make("Range.", asm_module::MLV_WARNING, src.path, 1, {1, 4, 1, 5}),
                           make("Odd name.", asm_module::MLV_ERROR, "dir a/x#:1.zqs", 2, {2, 3, 2, 3})};
  msgs[2].included_from = {{"m.zqs", 8}};
  nlohmann::json j = nlohmann::json::parse(format_diagnostics(msgs, diag_format::sarif));
  nlohmann::json const& run = j["runs"][0];
  nlohmann::json const& rules = run["tool"]["driver"]["rules"];
  EXPECT_GE(rules.size(), message_codes().size());
  nlohmann::json const& r = run["results"];
  for (nlohmann::json const& res : r) EXPECT_EQ(rules[res["ruleIndex"].get<size_t>()]["id"], res["ruleId"]);
  EXPECT_EQ(r[0]["level"], "error");
  EXPECT_EQ(r[0]["properties"]["fatal"], true);
  EXPECT_FALSE(r[0].contains("locations"));
  nlohmann::json const& loc = r[1]["locations"][0]["physicalLocation"];
  EXPECT_EQ(loc["artifactLocation"]["uri"].get<std::string>().substr(0, 8), "file:///");
  EXPECT_EQ(loc["region"], nlohmann::json::parse(
                               R"({"startLine": 1, "startColumn": 3, "endLine": 1, "endColumn": 5})"));
  nlohmann::json const& odd = r[2]["locations"][0]["physicalLocation"];
  EXPECT_EQ(odd["artifactLocation"]["uri"], "dir%20a/x%23%3A1.zqs");
  EXPECT_EQ(odd["artifactLocation"]["uriBaseId"], "SRCROOT");
  EXPECT_EQ(odd["region"]["endColumn"], 4);  // exclusive
  EXPECT_EQ(r[2]["relatedLocations"][0]["physicalLocation"]["region"]["startLine"], 8);
}

}  // namespace
