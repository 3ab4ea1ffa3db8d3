// VS Code extension folder: manifest with the language client's entry and settings and the
// problem matcher, language configuration and the TextMate grammar (the same classes as the
// Vim syntax). The client itself, extension.js, and its package lock are written by hand.
#include "gen.h"

namespace zqs_gen {

namespace {

// Report lines with a source position: "ERROR prog.zqs:12> text", "WARNING ...",
// "FATAL ERROR ...". The position is the first ":LINE> " (a message may quote a file name).
char const* const report_regexp = R"(^(?:FATAL )?(ERROR|WARNING|INFO) (.+?):(\d+)> (.*)$)";

// Lines of --diagnostics gnu: "prog.zqs:12:5: error: text", "... fatal error: ...",
// "... warning: ...". The file is everything before the first ":LINE:COL: LEVEL: ", so
// a Windows path with its drive letter ("C:\src\prog.zqs") is whole.
char const* const gnu_regexp = R"(^(.+?):(\d+):(\d+): (?:fatal )?(error|warning): (.*)$)";

std::string const escape_re = R"(\\(?:[\\"'rnabft]|x[0-9A-Fa-f]{2}))";
std::string const ident_start = R"((?<![A-Za-z0-9_]))";

std::string rule(std::string const& key, std::string const& regexp, std::string const& scope) {
  return "    \"" + key + "\": {\n      \"match\": " + json_string(regexp) +
         (scope.empty() ? "" : ",\n      \"name\": " + json_string(scope)) + "\n    }";
}

std::string words_regexp(std::vector<std::string> const& words) {
  return "(?i)\\b(?:" + join(words, "|") + ")\\b";
}

// The client library of editors/vscode/extension.js, pinned (its lock is committed beside).
char const* const language_client_version = "9.0.1";

// The fields the problem matchers share, up to the value of their regexp.
std::string matcher_head(std::string const& name) {
  return "      \"name\": \"" + name +
         "\",\n"
         "      \"owner\": \"asm-zqs\",\n"
         "      \"source\": \"asm-zqs\",\n"
         "      \"severity\": \"error\",\n"
         "      \"fileLocation\": [\"autoDetect\", \"${workspaceFolder}\"],\n"
         "      \"pattern\": {\n"
         "        \"regexp\": ";
}

// The settings of the extension: where the server is, and the section asmZqs that
// extension.js hands to zqs-lsp (initializationOptions, workspace/didChangeConfiguration).
std::string configuration() {
  return "    \"configuration\": {\n"
         "      \"title\": \"ZQS assembler\",\n"
         "      \"properties\": {\n"
         "        \"asmZqs.serverPath\": {\n"
         "          \"type\": \"string\",\n"
         "          \"default\": \"zqs-lsp\",\n"
         "          \"description\": \"The language server: a program name looked up in PATH or a path. Takes effect when the window is reloaded.\"\n"
         "        },\n"
         "        \"asmZqs.arch\": {\n"
         "          \"type\": \"string\",\n"
         "          \"default\": \"\",\n"
         "          \"description\": \"The architecture, as asm-zqs -arch (empty: the default). A .cmdline directive in the main file takes precedence.\"\n"
         "        },\n"
         "        \"asmZqs.includeDirs\": {\n"
         "          \"type\": \"array\",\n"
         "          \"items\": { \"type\": \"string\" },\n"
         "          \"default\": [],\n"
         "          \"description\": \"Folders searched for included files, as asm-zqs -I; relative ones start at the workspace folder.\"\n"
         "        },\n"
         "        \"asmZqs.maxAddr\": {\n"
         "          \"type\": [\"string\", \"integer\", \"null\"],\n"
         "          \"default\": null,\n"
         "          \"description\": \"The highest word address, as asm-zqs -adrmax, such as \\\"0x17FC\\\" (null: the architecture's).\"\n"
         "        },\n"
         "        \"asmZqs.inlayHints\": {\n"
         "          \"type\": \"boolean\",\n"
         "          \"default\": false,\n"
         "          \"description\": \"Show the byte address and the code words at the end of each line that places words.\"\n"
         "        }\n"
         "      }\n"
         "    },\n";
}

}  // namespace

std::string vscode_package() {
  return std::string(
             "{\n"
             "  \"name\": \"asm-zqs\",\n"
             "  \"displayName\": \"ZQS assembler\",\n"
             "  \"description\": \"Colours ZQS assembler sources, runs the language server zqs-lsp on them and underlines the lines asm-zqs reports (written by zqs-gen: do not edit)\",\n"
             "  \"version\": \"0.9.5\",\n"
             "  \"publisher\": \"asm-zqs\",\n"
             "  \"engines\": { \"vscode\": \"^1.82.0\" },\n"
             "  \"categories\": [\"Programming Languages\"],\n"
             "  \"main\": \"./extension.js\",\n"
             "  \"activationEvents\": [\"onLanguage:zqs\"],\n"
             "  \"dependencies\": { \"vscode-languageclient\": \"") +
         language_client_version +
         "\" },\n"
         "  \"contributes\": {\n" +
         configuration() +
         "    \"languages\": [{\n"
         "      \"id\": \"zqs\",\n"
         "      \"aliases\": [\"ZQS assembler\", \"zqs\"],\n"
         "      \"extensions\": [\".zqs\"],\n"
         "      \"configuration\": \"./language-configuration.json\"\n"
         "    }],\n"
         "    \"grammars\": [{\n"
         "      \"language\": \"zqs\",\n"
         "      \"scopeName\": \"source.zqs\",\n"
         "      \"path\": \"./syntaxes/zqs.tmLanguage.json\"\n"
         "    }],\n"
         "    \"problemMatchers\": [{\n" +
         matcher_head("asm-zqs") +
         json_string(report_regexp) +
         ",\n"
         "        \"severity\": 1,\n"
         "        \"file\": 2,\n"
         "        \"line\": 3,\n"
         "        \"message\": 4\n"
         "      }\n"
         "    }, {\n" +
         matcher_head("asm-zqs-gnu") +
         json_string(gnu_regexp) +
         ",\n"
         "        \"file\": 1,\n"
         "        \"line\": 2,\n"
         "        \"column\": 3,\n"
         "        \"severity\": 4,\n"
         "        \"message\": 5\n"
         "      }\n"
         "    }]\n"
         "  }\n"
         "}\n";
}

std::string vscode_language_configuration() {
  return "{\n"
         "  \"comments\": { \"lineComment\": \";\" },\n"
         "  \"brackets\": [[\"(\", \")\"]],\n"
         "  \"autoClosingPairs\": [\n"
         "    { \"open\": \"(\", \"close\": \")\" },\n"
         "    { \"open\": \"\\\"\", \"close\": \"\\\"\", \"notIn\": [\"string\", \"comment\"] }\n"
         "  ],\n"
         "  \"surroundingPairs\": [[\"(\", \")\"], [\"\\\"\", \"\\\"\"], [\"'\", \"'\"]],\n"
         "  \"wordPattern\": \"[A-Za-z][A-Za-z0-9_]*|(?:0x|h#|d#|b#|\\\\$)[0-9A-Fa-f]+|[0-9][0-9A-Fa-f]*\"\n"
         "}\n";
}

std::string vscode_grammar(lexicon_type const& lex) {
  std::vector<std::string> dirs;
  for (std::string const& d : directives)
    if (d != ".cmdline") dirs.push_back(d.substr(1));
  std::vector<std::string> const order = {"label", "cmdline", "directive", "string", "character",
                                          "number", "comment", "mnemonic", "register", "identifier",
                                          "operator", "punctuation"};
  std::string includes;
  for (size_t i = 0; i < order.size(); ++i)
    includes += std::string(i ? ",\n" : "") + "    { \"include\": \"#" + order[i] + "\" }";
  return "{\n"
         "  \"name\": \"ZQS assembler\",\n"
         "  \"comment\": \"Written by zqs-gen from the instruction-set tables: do not edit.\",\n"
         "  \"scopeName\": \"source.zqs\",\n"
         "  \"fileTypes\": [\"zqs\"],\n"
         "  \"patterns\": [\n" +
         includes +
         "\n  ],\n"
         "  \"repository\": {\n"
         "    \"label\": {\n"
         "      \"match\": " + json_string(R"(^\s*([A-Za-z][A-Za-z0-9_]*)\s*(:))") + ",\n"
         "      \"captures\": {\n"
         "        \"1\": { \"name\": \"entity.name.label.zqs\" },\n"
         "        \"2\": { \"name\": \"punctuation.separator.label.zqs\" }\n"
         "      }\n"
         "    },\n"
         "    \"cmdline\": {\n"
         "      \"begin\": " + json_string(R"(\.cmdline)") + ",\n"
         "      \"beginCaptures\": { \"0\": { \"name\": \"keyword.control.directive.zqs\" } },\n"
         "      \"end\": " + json_string(R"((?=[;#])|$)") + ",\n"
         "      \"name\": \"meta.cmdline.zqs\",\n"
         "      \"contentName\": \"string.unquoted.cmdline.zqs\",\n"
         "      \"patterns\": [{\n"
         "        \"begin\": \"\\\"\",\n"
         "        \"end\": \"\\\"|$\",\n"
         "        \"name\": \"string.quoted.double.cmdline.zqs\"\n"
         "      }]\n"
         "    },\n" +
         rule("directive", "\\.(?:" + join(dirs, "|") + ")", "keyword.control.directive.zqs") + ",\n"
         "    \"string\": {\n"
         "      \"begin\": \"\\\"\",\n"
         "      \"end\": \"\\\"|$\",\n"
         "      \"name\": \"string.quoted.double.zqs\",\n"
         "      \"patterns\": [\n"
         "        { \"match\": " + json_string(escape_re) + ", \"name\": \"constant.character.escape.zqs\" },\n"
         "        { \"match\": " + json_string(R"(\\)") + ", \"name\": \"invalid.illegal.escape.zqs\" }\n"
         "      ]\n"
         "    },\n" +
         rule("character", "'(?:" + escape_re + R"(|[^\\])')", "constant.character.zqs") + ",\n"
         "    \"number\": {\n"
         "      \"patterns\": [\n"
         "        { \"match\": " + json_string(ident_start + R"((?:0x|h#)[0-9A-Fa-f]+|\$[0-9A-Fa-f]+)") +
         ", \"name\": \"constant.numeric.hex.zqs\" },\n"
         "        { \"match\": " + json_string(ident_start + "b#[0-9A-Fa-f]+") +
         ", \"name\": \"constant.numeric.binary.zqs\" },\n"
         "        { \"match\": " + json_string(ident_start + "(?:d#[0-9A-Fa-f]+|[0-9][0-9A-Fa-f]*)") +
         ", \"name\": \"constant.numeric.decimal.zqs\" }\n"
         "      ]\n"
         "    },\n" +
         rule("comment", "[;#].*$", "comment.line.zqs") + ",\n" +
         rule("mnemonic", words_regexp(lex.mnemonics), "keyword.other.mnemonic.zqs") + ",\n" +
         rule("register", words_regexp(lex.registers), "variable.language.register.zqs") + ",\n" +
         rule("identifier", "[A-Za-z][A-Za-z0-9_]*", "") + ",\n" +
         rule("operator", R"(\*\*|[-+*/%&|^~])", "keyword.operator.zqs") + ",\n" +
         rule("punctuation", "[,()]", "punctuation.separator.zqs") +
         "\n  }\n"
         "}\n";
}

}  // namespace zqs_gen
