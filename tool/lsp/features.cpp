// Hover, completion and document symbols: the instruction sets from the
// architecture registry (the tables the ISA reference is written from), the
// labels and variables from the symbol table of the last assembly.
#include "features.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <set>

#include "asm_arch.h"
#include "asm_passes.h"
#include "asm_isa_text.h"
#include "asm_sym.h"
#include "asm_utils.h"
#include "comments.h"
#include "inlay_hints.h"
#include "server.h"

using nlohmann::json;

namespace {

char const* const directives[] = {".define", ".set", ".register", ".org", ".include", ".var", ".str", ".cmdline"};

std::string upper(std::string s) {
  for (char& c : s) c = (char)std::toupper((unsigned char)c);
  return s;
}

std::string lower(std::string s) {
  for (char& c : s) c = (char)std::tolower((unsigned char)c);
  return s;
}

std::string hex(unsigned long long v) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", v);
  return buf;
}

std::string binary(unsigned int v) {
  std::string s;
  do s.insert(s.begin(), (char)('0' + (v & 1))); while (v >>= 1);
  return "b#" + s;
}

// "0x1F (31)": how hover and completion show a value.
std::string value_text(unsigned int v) { return hex(v) + " (" + std::to_string(v) + ")"; }

// An instruction as the ISA reference shows it: the operand syntax, the base
// code and obsolete mark, each operand's values and field bits, and the
// bit-field picture of its encoding.
std::string instruction_text(std::string const& m, instr_type const& ins, arch_type const& arch,
                             std::string const& arch_name) {
  std::string t = "`" + instr_syntax(m, ins) + "`\n\nbase code " + hex(ins.code) +
                  (ins.obsolete ? ", **obsolete**" : "") + " (" + arch_name + ")\n\n";
  for (size_t k = 0; k < ins.arg_type_lst.size(); ++k)
    t += "- `" + operand_name(k) + "` (bits " + operand_bits(ins.arg_type_lst[k]) +
         "): " + operand_accepts(ins.arg_type_lst[k], false) + "\n";
  return t + (ins.arg_type_lst.empty() ? "" : "\n") + "```text\n" + encoding_picture(arch, m, ins) + "```";
}

// The register sets that hold a name, with its address in each.
std::string register_text(arch_type const& arch, std::string const& name) {
  std::string s;
  for (std::string const& set : arch.regset_order) {
    auto const& regs = arch.reg_map.at(set);
    auto it = regs.find(name);
    if (it == regs.end()) continue;
    s += (s.empty() ? "" : ", ") + set + " " + value_text(it->second);
  }
  return s;
}

char const* kind_name(int type) {
  switch (type) {
    case STO_LABEL: return "label";
    case STO_VAR: return "variable";
    case STO_USER_REG: return "register name";
    default: return "register";
  }
}

bool word_char(char c) {
  return std::isalnum((unsigned char)c) || c == '_' || c == '#' || c == '$' || c == '.';
}

struct word_at {
  std::string text;
  size_t line, from, to;  // bytes of the line
};

// The word under a client position, empty when there is none.
word_at find_word(std::string const& text, json const& pos, pos_encoding e) {
  word_at w;
  w.line = pos.at("line").get<size_t>();
  std::string_view const line = text_line(text, w.line);
  size_t at = bytes_of(line, pos.at("character").get<size_t>(), e);
  w.from = w.to = at;
  while (w.from > 0 && word_char(line[w.from - 1])) --w.from;
  while (w.to < line.size() && word_char(line[w.to])) ++w.to;
  if (w.from >= comment_start(line)) w.to = w.from;  // nothing to tell in a comment
  w.text = std::string(line.substr(w.from, w.to - w.from));
  return w;
}

// Whether the position is in the words of a .cmdline directive: after its
// keyword (the scanner takes the words from there), before a comment.
bool in_cmdline(document const& doc, json const& pos, pos_encoding e) {
  std::string_view const line = text_line(doc.text, pos.at("line").get<size_t>());
  size_t const at = bytes_of(line, pos.at("character").get<size_t>(), e);
  size_t const k = line.find_first_not_of(" \t");
  if (k == std::string_view::npos || line.compare(k, 8, ".cmdline") != 0) return false;
  return at > k + 8 && at <= comment_start(line);
}

// The part of the word before a client position, in lower case; an option's
// word takes its dashes too.
std::string typed_before(std::string const& text, json const& pos, pos_encoding e, bool option = false) {
  std::string_view const line = text_line(text, pos.at("line").get<size_t>());
  size_t const at = bytes_of(line, pos.at("character").get<size_t>(), e);
  size_t from = at;
  while (from > 0 && (word_char(line[from - 1]) || (option && line[from - 1] == '-'))) --from;
  return lower(std::string(line.substr(from, at - from)));
}

class features {
 public:
  features(lsp_server& s, lsp_settings const& settings) : server(s), settings(settings) {}

  json hover(json const& params) {
    std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
    document const* doc = server.documents().find(uri);
    if (!doc) return nullptr;
    pos_encoding const e = server.position_encoding();
    word_at const w = find_word(doc->text, params.at("position"), e);
    analysis_result const* r = server.result_for(uri);
    std::string const text = on_mnemonic(*doc, w, r) ? mnemonic_text(*doc, w, r) : describe(w.text, r);
    if (text.empty()) return nullptr;
    std::string_view const line = text_line(doc->text, w.line);
    json range = {{"start", {{"line", w.line}, {"character", units_of(line, w.from, e)}}},
                  {"end", {{"line", w.line}, {"character", units_of(line, w.to, e)}}}};
    return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", range}};
  }

  json completion(json const& params) {
    std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
    analysis_result const* r = server.result_for(uri);
    arch_type const* arch = arch_of(r);
    document const* doc = server.documents().find(uri);
    bool const options = doc && in_cmdline(*doc, params.at("position"), server.position_encoding());
    std::string const typed = doc ? typed_before(doc->text, params.at("position"), server.position_encoding(), options) : "";
    json items = json::array();
    auto add = [&](std::string const& label, int kind, std::string detail) {
      if (label.size() < typed.size() || lower(label.substr(0, typed.size())) != typed) return;
      json& item = items.emplace_back(json::object());  // member by member: cheaper than a braced list
      item["label"] = label;
      item["kind"] = kind;
      item["detail"] = std::move(detail);
    };
    if (options) {
      // Kind 10 property: the options of the tool, with their usage text.
      for (cmd_option_type const& o : cmd_options()) {
        std::string const d = cmd_option_description(o);
        for (char const* name : o.names) add(name, 10, d.empty() ? "option of asm-zqs" : d);
      }
      return {{"isIncomplete", !typed.empty()}, {"items", items}};
    }
    // Kinds: 3 function (mnemonic), 6 variable (register), 14 keyword
    // (directive), 21 constant (label, variable, register name).
    for (std::string const& m : arch->instr_order) {
      instr_type const& ins = arch->instr_map.at(m);
      add(m, 3, instr_syntax(m, ins) + (ins.obsolete ? " (obsolete)" : ""));
    }
    std::set<std::string> regs;
    for (std::string const& set : arch->regset_order)
      for (auto const& reg : arch->reg_map.at(set)) regs.insert(reg.first);
    for (std::string const& reg : regs) add(reg, 6, "register: " + register_text(*arch, reg));
    for (char const* d : directives) add(d, 14, "directive");
    if (r)
      for (auto const& s : r->symbols)
        if (s.second.type != STO_REG)
          add(s.second.name, 21, std::string(kind_name(s.second.type)) + " " + value_text(s.second.value));
    // Only what begins with the word typed so far: the client asks again as it changes.
    json list = {{"isIncomplete", !typed.empty()}};
    list["items"] = std::move(items);  // moved: a braced list would copy it
    return list;
  }

  json document_symbols(json const& params) {
    std::string const& uri = params.at("textDocument").at("uri").get_ref<std::string const&>();
    document const* doc = server.documents().find(uri);
    analysis_result const* r = server.result_for(uri);
    json symbols = json::array();
    if (!doc || !r) return symbols;
    pos_encoding const e = server.position_encoding();
    line_index const lines(doc->text);
    for (lsp_definition const& d : r->definitions) {
      if (d.path != doc->path) continue;
      std::string_view const line = lines.line(d.line - 1);
      json range = {{"start", {{"line", d.line - 1}, {"character", units_of(line, d.col - 1, e)}}},
                    {"end", {{"line", d.line - 1}, {"character", units_of(line, d.end_col, e)}}}};
      // Symbol kinds: 12 function (label), 13 variable (.define), 14 constant (.register).
      int const kind = d.opcode == ".label" ? 12 : d.opcode == ".define" ? 13 : 14;
      json s = {{"name", d.name}, {"kind", kind}, {"range", range}, {"selectionRange", range}};
      auto v = r->symbols.find(lower(d.name));
      if (v != r->symbols.end()) s["detail"] = value_text(v->second.value);
      symbols.push_back(s);
    }
    return symbols;
  }

 private:
  lsp_server& server;
  lsp_settings const& settings;
  asm_arch registry;  // fills the registry if it is still empty

  // The architecture of the document's last assembly, else of the settings,
  // else the default one.
  std::string arch_label(analysis_result const* r) {
    std::string name = r && !r->arch.empty() ? r->arch : settings.arch;
    return asm_arch::arch_map.count(name) ? name : "zqs24-1";
  }
  arch_type const* arch_of(analysis_result const* r) { return &asm_arch::arch_map.at(arch_label(r)); }

  // Whether the word is the mnemonic of its line's instruction.
  static bool on_mnemonic(document const& doc, word_at const& w, analysis_result const* r) {
    if (!r || !r->tokens.count(doc.path)) return false;
    for (lsp_token const& t : r->tokens.at(doc.path))
      if (t.kind == token_kind::mnemonic && t.line == w.line + 1 && t.col == w.from + 1) return true;
    return false;
  }

  // The instruction, and the address and word its line assembled to.
  std::string mnemonic_text(document const& doc, word_at const& w, analysis_result const* r) {
    arch_type const* arch = arch_of(r);
    auto ins = arch->instr_map.find(lower(w.text));
    if (ins == arch->instr_map.end()) return "";
    std::string t = instruction_text(ins->first, ins->second, *arch, arch_label(r));
    auto file = r->words.find(doc.path);
    if (file == r->words.end()) return t;
    auto line = file->second.find((unsigned int)w.line + 1);
    return line == file->second.end() ? t : t + "\n\n`" + placed_words_text(line->second) + "`";
  }

  std::string describe(std::string const& word, analysis_result const* r) {
    if (word.empty()) return "";
    std::string const key = lower(word);
    arch_type const* arch = arch_of(r);
    std::string const arch_name = arch_label(r);
    if (r) {
      auto s = r->symbols.find(key);
      if (s != r->symbols.end() && s->second.type != STO_REG) {
        std::string t = "**" + upper(word) + "**: " + kind_name(s->second.type) + ", value " +
                        value_text(s->second.value);
        for (lsp_definition const& d : r->definitions)
          if (lower(d.name) == key)
            t += "\n\ndefined in " + d.path + ", line " + std::to_string(d.line);
        return t;
      }
    }
    auto ins = arch->instr_map.find(key);
    if (ins != arch->instr_map.end()) return instruction_text(key, ins->second, *arch, arch_name);
    std::string const regs = register_text(*arch, key);
    if (!regs.empty()) return "**" + upper(key) + "**: register, " + regs + " (" + arch_name + ")";
    if (std::isdigit((unsigned char)word[0]) || word[0] == '$' || word.find('#') != std::string::npos) {
      try {
        unsigned int v = parse_number(word);
        return "`" + word + "` = " + hex(v) + " = " + std::to_string(v) + " = " + binary(v);
      } catch (std::string const&) {
      }
    }
    return "";
  }
};

}  // namespace

void add_features(lsp_server& server, lsp_settings const& settings) {
  auto f = std::make_shared<features>(server, settings);
  server.add_request("textDocument/hover", [f](json const& p) { return f->hover(p); });
  server.add_request("textDocument/completion", [f](json const& p) { return f->completion(p); });
  server.add_request("textDocument/documentSymbol", [f](json const& p) { return f->document_symbols(p); });
}
