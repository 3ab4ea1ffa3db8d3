// Reading the memory images and definitions files that the back-ends write.
// Images can be big (a million words), so lines are cut and parsed by hand.
#include "asm_image.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "asm_arch.h"
#include "asm_utils.h"

using std::string;
using sv = std::string_view;

namespace {

// "FILE:LINE: text", "FILE: text" or "text".
string located(string const& f, unsigned int l, string const& t) {
  return f.empty() ? t : message_quote(f) + (l ? ":" + std::to_string(l) : string()) + ": " + t;
}

bool starts(sv s, sv p) { return s.substr(0, p.size()) == p; }

// Lines of a text, either line end the back-ends write (LF, CR LF); the last
// line may lack one. Whatever the format, a byte-order mark or a carriage
// return without line feed is an error of its own: read on, it would only
// show as a confusing fault further down (or as an empty image).
struct line_reader {
  string const& name;
  sv text;
  size_t pos = 0;
  unsigned int line = 0;

  bool next(sv& out) {
    if (pos >= text.size()) return false;
    if (pos == 0 && starts(text, "\xEF\xBB\xBF"))
      throw image_error(name, 1, "the file starts with a UTF-8 byte-order mark, which asm-zqs never writes.");
    size_t end = text.find('\n', pos);
    if (end == sv::npos) end = text.size();
    out = text.substr(pos, end - pos);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    pos = end + 1;
    ++line;
    if (out.find('\r') != sv::npos)
      throw image_error(name, line, "carriage return without line feed (line ends must be LF or CR LF).");
    return true;
  }
};

sv trim(sv s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Skips the literal p at the front of s; false if s does not start with it.
bool eat(sv& s, sv p) {
  if (!starts(s, p)) return false;
  s.remove_prefix(p.size());
  return true;
}

bool eat_blanks(sv& s) {
  size_t n = 0;
  while (n < s.size() && s[n] == ' ') ++n;
  s.remove_prefix(n);
  return n > 0;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A run of 1 to 8 hexadecimal digits at the front of s.
bool eat_hex(sv& s, unsigned int& v) {
  size_t n = 0;
  unsigned long long x = 0;
  while (n < s.size() && hex_digit(s[n]) >= 0) x = x * 16 + hex_digit(s[n++]);
  if (n == 0 || n > 8) return false;
  v = (unsigned int)x;
  s.remove_prefix(n);
  return true;
}

// A decimal number, maybe negative (the headers print unsigned values with %d),
// taken modulo 2^32.
bool eat_dec(sv& s, unsigned int& v) {
  bool neg = eat(s, "-");
  size_t n = 0;
  unsigned long long x = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9' && n < 11) x = x * 10 + (s[n++] - '0');
  if (n == 0 || n > 10 || x > (neg ? 0x80000000ull : 0xFFFFFFFFull)) return false;
  v = neg ? (unsigned int)(0 - x) : (unsigned int)x;
  s.remove_prefix(n);
  return true;
}

// The text before a "//" comment.
sv before_comment(sv s) { return s.substr(0, s.find("//")); }

bool ident_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

sv eat_ident(sv& s) {
  size_t n = 0;
  while (n < s.size() && ident_char(s[n])) ++n;
  sv id = s.substr(0, n);
  s.remove_prefix(n);
  return id;
}

// The architecture named by a head line "target architecture : NAME" (in the
// comment syntax of the format); empty if the line is no such line.
string head_arch(sv line) {
  size_t p = line.find("target architecture : ");
  if (p == sv::npos) return "";
  sv rest = line.substr(p + 22);
  size_t e = 0;
  while (e < rest.size() && rest[e] != ' ' && rest[e] != '\t') ++e;
  return string(rest.substr(0, e));
}

// Reading one image: the words as they come, checked for ascending addresses.
struct image_parser {
  string const& name;
  image_type& img;

  [[noreturn]] void fail(unsigned int line, string const& text) const {
    throw image_error(name, line, text);
  }
  [[noreturn]] void malformed(unsigned int line) const { fail(line, "malformed line."); }

  void add(unsigned int line, unsigned long long address, unsigned int code) {
    if (address > 0xFFFFFFFCull) fail(line, "address beyond 0xFFFFFFFC.");
    if (address % 4) fail(line, "address " + hex8((unsigned int)address) + " is not a multiple of 4.");
    if (!img.words.empty() && address <= img.words.back().address)
      fail(line, "address " + hex8((unsigned int)address) + " does not ascend (the word before is at " +
                     hex8(img.words.back().address) + ").");
    img.words.push_back({(unsigned int)address, code, line});
  }

  void note_arch(sv line, unsigned int n) {
    if (!img.image_arch.empty()) return;
    img.image_arch = head_arch(line);
    if (!img.image_arch.empty()) img.image_arch_line = n;
  }

  // A C array; the entries are placed from base.
  void c_array(sv text, unsigned int base) {
    line_reader r{name, text};
    sv l;
    enum { HEAD, ENTRIES, TAIL } state = HEAD;
    unsigned int declared = 0, count = 0, last_line = 0;
    bool comma = true;
    unsigned long long address = base;
    while (r.next(l)) {
      sv t = trim(l);
      if (state != ENTRIES && (t.empty() || (starts(t, "/*") && t.size() >= 4 && t.substr(t.size() - 2) == "*/"))) {
        if (state == HEAD) note_arch(t, r.line);
        continue;
      }
      if (state == HEAD) {
        if (starts(t, "#include ")) continue;
        declaration(l, r.line, declared);
        state = ENTRIES;
      } else if (state == ENTRIES) {
        if (t == "};") {
          if (count != declared)
            fail(r.line, "the array holds " + std::to_string(count) + " words but is declared with " +
                             std::to_string(declared) + ".");
          state = TAIL;
          continue;
        }
        unsigned int v;
        if (!comma || !eat(t, "0x") || !eat_hex(t, v)) malformed(comma ? r.line : last_line);
        comma = eat(t, ",");
        if (!t.empty()) malformed(r.line);
        add(r.line, address, v);
        address += 4;
        ++count;
        last_line = r.line;
      } else {
        malformed(r.line);
      }
    }
    if (state == HEAD) fail(r.line + (r.line == 0), "no array declaration in the C array file.");
    if (state == ENTRIES) fail(r.line + 1, "the array is not closed by \"};\".");
  }

  // "TYPE LABEL[N] = { "; TYPE may hold blanks, and may even be empty.
  void declaration(sv l, unsigned int n, unsigned int& declared) {
    size_t br = l.rfind('[');
    if (br == sv::npos) malformed(n);
    size_t b = br;
    while (b > 0 && ident_char(l[b - 1])) --b;
    string label(l.substr(b, br - b));
    if (b == 0 || l[b - 1] != ' ' || !is_identifier(label)) malformed(n);
    sv rest = l.substr(br + 1);
    if (!eat_dec(rest, declared) || !eat(rest, "] = {") || !trim(rest).empty()) malformed(n);
    img.output_type = string(l.substr(0, b - 1));
    img.output_label = label;
  }

  // AEI WRITE $(#LABEL+h#AAAAAAAA)      h#DDDDDDDD
  void ifs(sv text) {
    line_reader r{name, text};
    sv l;
    while (r.next(l)) {
      sv t = trim(l);
      if (t.empty() || starts(t, "--")) {
        note_arch(t, r.line);
        continue;
      }
      unsigned int a, v;
      if (!eat(t, "AEI WRITE $(#")) malformed(r.line);
      sv label = eat_ident(t);
      if (!is_identifier(string(label)) || !eat(t, "+h#") || !eat_hex(t, a) || !eat(t, ")") ||
          !eat_blanks(t) || !eat(t, "h#") || !eat_hex(t, v) || !t.empty())
        malformed(r.line);
      if (img.output_label.empty()) img.output_label = string(label);
      else if (label != img.output_label)
        fail(r.line, "memory label '" + message_quote(label) + "' differs from '" +
                         message_quote(img.output_label) + "' of the lines before.");
      add(r.line, a, v);
    }
  }

  // WIDTH, DEPTH, radixes, CONTENT BEGIN, "  IIII : DDDDDDDD;" lines, END;
  void mif(sv text) {
    line_reader r{name, text};
    sv l;
    enum { HEAD, CONTENT, TAIL } state = HEAD;
    bool width_seen = false;
    while (r.next(l)) {
      sv t = trim(l);
      if (t.empty() || (state != CONTENT && starts(t, "--"))) {
        if (state == HEAD) note_arch(t, r.line);
        continue;
      }
      if (state == HEAD) {
        unsigned int v;
        if (eat(t, "WIDTH = ")) {
          if (!eat_dec(t, v) || t != ";") malformed(r.line);
          mif_width = v;
          mif_width_line = r.line;
          width_seen = true;
        } else if (eat(t, "DEPTH = ")) {
          if (!eat_dec(t, v) || t != ";") malformed(r.line);
        } else if (t == "BEGIN") {
          if (!width_seen) fail(r.line, "the MIF file gives no WIDTH.");
          state = CONTENT;
        } else if (starts(t, "ADDRESS_RADIX = ") || starts(t, "DATA_RADIX = ")) {
          size_t eq = t.find(" = ");
          sv radix = t.substr(eq + 3);
          if (!radix.empty() && radix.back() == ';') radix.remove_suffix(1);
          else malformed(r.line);
          if (radix != "HEX")
            fail(r.line, string(t.substr(0, eq)) + " '" + message_quote(radix) +
                             "' is not supported (asm-zqs writes HEX).");
        } else if (t != "CONTENT") {
          malformed(r.line);
        }
      } else if (state == CONTENT) {
        if (t == "END;") {
          state = TAIL;
          continue;
        }
        unsigned int i, v;
        if (!eat_hex(t, i) || !eat(t, " : ") || !eat_hex(t, v) || t != ";") malformed(r.line);
        add(r.line, (unsigned long long)i * 4, v);
      } else {
        malformed(r.line);
      }
    }
    if (state == HEAD) fail(r.line + (r.line == 0), "no CONTENT BEGIN in the MIF file.");
    if (state == CONTENT) fail(r.line + 1, "the MIF file ends without \"END;\".");
  }
  unsigned int mif_width = 0, mif_width_line = 0;

  // A Verilog memory file as $readmemh reads it: hexadecimal words separated
  // by blanks, "@INDEX" setting the word index of the next one, "//" comments.
  void vmem(sv text) {
    line_reader r{name, text};
    sv l;
    unsigned long long address = 0;
    while (r.next(l)) {
      sv t = before_comment(l);
      if (t.size() < l.size() && trim(t).empty()) note_arch(trim(l), r.line);
      for (t = trim(t); !t.empty(); t = trim(t)) {
        bool at = eat(t, "@");
        unsigned int v;
        if (!eat_hex(t, v) || (!t.empty() && t[0] != ' ' && t[0] != '\t')) malformed(r.line);
        if (at) {
          address = (unsigned long long)v * 4;
        } else {
          add(r.line, address, v);
          address += 4;
        }
      }
    }
  }
};

// The format by the first line that is neither blank nor a comment; a text of
// "--" comments only is an IFS command file without words, unless the comments
// are a MIF head (which names the assembled size): a MIF file cut off there.
// "//" comments only: a Verilog memory file without words.
string recognise(string const& name, sv text) {
  line_reader r{name, text};
  sv l;
  bool dashes = false, mif_head = false, slashes = false;
  while (r.next(l)) {
    sv t = trim(l);
    if (t.empty()) continue;
    if (starts(t, "//")) {
      slashes = true;
      continue;
    }
    if (starts(t, "--")) {
      dashes = true;
      mif_head = mif_head || starts(t, "-- assembled size : ");
      continue;
    }
    if (starts(t, "/*")) continue;
    if (starts(t, "AEI WRITE")) return "ifs";
    if (starts(t, "WIDTH") || starts(t, "DEPTH")) return "mif";
    if (starts(t, "#include") || (t.find('[') != sv::npos && t.find("= {") != sv::npos)) return "c";
    unsigned int v;
    if (starts(t, "@") || (eat_hex(t, v) && (t.empty() || t[0] == ' ' || t[0] == '\t' || starts(t, "//"))))
      return "vmem";
    throw image_error(name, r.line,
                      "unknown image format (neither a C array, an IFS command file, a MIF file nor a Verilog memory file).");
  }
  if (dashes) return mif_head ? "mif" : "ifs";
  if (slashes) return "vmem";
  throw image_error(name, r.line ? r.line : 1, "unknown image format (no words, no declaration).");
}

// "(" blanks number ")", the value column of the C header.
bool eat_paren_dec(sv& s, unsigned int& v) {
  if (!eat(s, "(")) return false;
  eat_blanks(s);
  return eat_dec(s, v) && eat(s, ")");
}

// The OFFSET line: the first word's byte address, which labels count from.
void set_offset(string const& name, unsigned int line, string label, unsigned int v, image_defs_type& d) {
  if (v % 4) throw image_error(name, line, "offset " + hex8(v) + " is not a multiple of 4.");
  d.output_label = std::move(label);
  d.has_offset = true;
  d.offset = v;
  d.offset_line = line;
}

// #define OFFSET_L (n) ..., #define LABEL_L_NAME (i) ...; the other lines of the
// header (guard, SIZE, extern, comments) pass.
void c_defs(string const& name, sv text, image_defs_type& d) {
  line_reader r{name, text};
  sv l;
  while (r.next(l)) {
    sv t = trim(l);
    if (!eat(t, "#define ")) continue;
    sv macro = eat_ident(t);
    if (!eat_blanks(t) || t.empty()) continue;  // the include guard
    unsigned int v;
    if (eat(macro, "OFFSET_")) {
      if (macro.empty() || !eat_paren_dec(t, v)) throw image_error(name, r.line, "malformed line.");
      set_offset(name, r.line, string(macro), v, d);
    } else if (eat(macro, "LABEL_")) {
      string prefix = d.output_label + "_";
      if (!d.has_offset || !starts(macro, prefix) || macro.size() == prefix.size() || !eat_paren_dec(t, v))
        throw image_error(name, r.line, "malformed line.");
      d.labels.push_back({string(macro.substr(prefix.size())), d.offset + v * 4, r.line});
    }
  }
}

// package L_pkg; localparam bit [31:0] OFFSET = 32'hAAAAAAAA; ..., LABEL_NAME
// = 32'hAAAAAAAA; (byte addresses), SIZE, endpackage; "//" comments.
void svh_defs(string const& name, sv text, image_defs_type& d) {
  line_reader r{name, text};
  sv l;
  string label;  // the package name without its "_pkg"
  while (r.next(l)) {
    sv t = trim(before_comment(l));
    if (t.empty() || t == "endpackage") continue;
    auto malformed = [&]() { throw image_error(name, r.line, "malformed line."); };
    if (eat(t, "package ")) {
      sv p = eat_ident(t);
      if (p.empty() || t != ";") malformed();
      if (p.size() > 4 && p.substr(p.size() - 4) == "_pkg") p.remove_suffix(4);
      label = string(p);
      continue;
    }
    if (!eat(t, "localparam bit [31:0] ")) malformed();
    sv param = eat_ident(t);
    if (param == "SIZE") continue;
    unsigned int v;
    eat_blanks(t);
    if (!eat(t, "= 32'h") || !eat_hex(t, v) || t != ";") malformed();
    if (param == "OFFSET") {
      set_offset(name, r.line, label, v, d);
    } else if (eat(param, "LABEL_") && !param.empty()) {
      if (v % 4) throw image_error(name, r.line, "label address " + hex8(v) + " is not a multiple of 4.");
      d.labels.push_back({string(param), v, r.line});
    } else {
      malformed();
    }
  }
}

// AEI ASSIGN OFFSET_L = n ..., AEI ASSIGN LABEL_L_NAME = $(#l+h#AAAAAAAA) ...
void ifs_defs(string const& name, sv text, image_defs_type& d) {
  line_reader r{name, text};
  sv l;
  while (r.next(l)) {
    sv t = trim(l);
    if (t.empty() || starts(t, "--")) continue;
    unsigned int v;
    if (!eat(t, "AEI ASSIGN ")) throw image_error(name, r.line, "malformed line.");
    if (eat(t, "OFFSET_")) {
      sv label = eat_ident(t);
      eat_blanks(t);
      if (label.empty() || !eat(t, "=") || !eat_blanks(t) || !eat_dec(t, v))
        throw image_error(name, r.line, "malformed line.");
      set_offset(name, r.line, string(label), v, d);
    } else if (eat(t, "LABEL_")) {
      sv macro = eat_ident(t);
      string prefix = d.output_label + "_";
      eat_blanks(t);
      if (!d.has_offset || !starts(macro, prefix) || macro.size() == prefix.size() || !eat(t, "= $(#") ||
          eat_ident(t).empty() || !eat(t, "+h#") || !eat_hex(t, v) || !eat(t, ")"))
        throw image_error(name, r.line, "malformed line.");
      if (v % 4) throw image_error(name, r.line, "label address " + hex8(v) + " is not a multiple of 4.");
      d.labels.push_back({string(macro.substr(prefix.size())), v, r.line});
    } else if (!eat(t, "SIZE_")) {
      throw image_error(name, r.line, "malformed line.");
    }
  }
}

}  // namespace

image_error::image_error(string f, unsigned int l, string t)
    : std::runtime_error(located(f, l, t)), file(std::move(f)), line(l), text(std::move(t)) {}

string read_image_file_text(string const& file) {
  FILE* f = fopen(file.c_str(), "rb");
  if (!f) throw image_error(file, 0, "file cannot be read.");
  string text;
  bool bad = !read_stream(f, text);
  fclose(f);
  if (bad) throw image_error(file, 0, "file cannot be read.");
  return text;
}

image_defs_type parse_image_defs(string const& name, string const& text) {
  image_defs_type d;
  d.name = name;
  line_reader r{name, text};
  sv l;
  while (r.next(l) && d.format.empty()) {
    sv t = trim(l);
    if (t.empty() || starts(t, "--") || starts(t, "/*") || starts(t, "//")) continue;
    if (starts(t, "#ifndef") || starts(t, "#define")) d.format = "c";
    else if (starts(t, "AEI ASSIGN")) d.format = "ifs";
    else if (starts(t, "package ")) d.format = "svh";
    else
      throw image_error(name, r.line,
                        "unknown definitions format (neither a C header, IFS definitions nor a SystemVerilog package).");
  }
  if (d.format.empty())
    throw image_error(name, r.line ? r.line : 1, "unknown definitions format (no definitions).");
  if (d.format == "c") c_defs(name, text, d);
  else if (d.format == "ifs") ifs_defs(name, text, d);
  else svh_defs(name, text, d);
  return d;
}

image_type parse_image(string const& name, string const& text, image_read_options const& opt,
                       image_defs_type const* defs) {
  asm_arch registry;  // fills the registry on first use
  (void)registry;
  image_type img;
  img.format = opt.format.empty() ? recognise(name, text) : opt.format;
  if (img.format != "c" && img.format != "ifs" && img.format != "mif" && img.format != "vmem")
    throw image_error("", 0, "unknown image format '" + message_quote(img.format) + "'.");

  unsigned int base = opt.base_set ? opt.base : 0;
  if (defs && defs->has_offset) base = defs->offset;
  if (img.format == "c" && base % 4) throw image_error("", 0, "base address " + hex8(base) + " is not a multiple of 4.");

  image_parser p{name, img};
  if (img.format == "c") p.c_array(text, base);
  else if (img.format == "ifs") p.ifs(text);
  else if (img.format == "mif") p.mif(text);
  else p.vmem(text);

  img.arch_name = opt.arch.empty() ? img.image_arch : opt.arch;
  if (img.arch_name.empty()) img.arch_name = "zqs24-1";
  auto a = asm_arch::arch_map.find(img.arch_name);
  if (a == asm_arch::arch_map.end()) {
    string text = "unknown architecture '" + message_quote(img.arch_name) + "'.";
    if (opt.arch.empty()) throw image_error(name, img.image_arch_line, text);
    throw image_error("", 0, text);
  }
  unsigned int width = a->second.instr_width;
  if (img.format == "mif" && p.mif_width != width)
    throw image_error(name, p.mif_width_line, "WIDTH " + std::to_string(p.mif_width) + " does not fit the " +
                                                  std::to_string(width) + "-bit instructions of " +
                                                  img.arch_name + ".");
  if (width < 32)
    for (image_word_type const& w : img.words)
      if (w.code >> width)
        throw image_error(name, w.line, "word " + hex8(w.code) + " is wider than the " + std::to_string(width) +
                                            "-bit instructions of " + img.arch_name + ".");

  if (defs) {
    img.def_format = defs->format;
    img.def_name = defs->name;
    img.labels = defs->labels;
    // Labels of another memory may still be meant (a renamed copy): say so, go on.
    if (defs->has_offset && !img.output_label.empty() && toupper(defs->output_label) != toupper(img.output_label))
      img.warnings.push_back(located(defs->name, defs->offset_line,
                                     "the definitions are for '" + message_quote(defs->output_label) +
                                         "', not for the image's '" + message_quote(img.output_label) + "'."));
    std::stable_sort(img.labels.begin(), img.labels.end(),
                     [](image_label_type const& x, image_label_type const& y) { return x.address < y.address; });
  }
  return img;
}

image_type read_image_text(string const& name, string const& text, image_read_options const& opt) {
  if (opt.def_file.empty()) return parse_image(name, text, opt);
  image_defs_type defs = parse_image_defs(opt.def_file, read_image_file_text(opt.def_file));
  return parse_image(name, text, opt, &defs);
}

image_type read_image(string const& file, image_read_options const& opt) {
  return read_image_text(file, read_image_file_text(file), opt);
}
