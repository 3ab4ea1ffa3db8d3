// Listings and re-assemblable source of memory images.
#include "asm_dis.h"

#include <unordered_map>
#include <unordered_set>

#include "asm_arch.h"
#include "asm_zqs.h"
#include "asm_utils.h"

using std::string;
using std::vector;

namespace {

// Labels usable in operands: the first name of each address.
dis_names_type label_names(image_type const& img) {
  dis_names_type names;
  for (image_label_type const& l : img.labels) names.emplace(l.address, &l.name);
  return names;
}

// The instruction text of a valid record, address operands named by `names`,
// without the blank that ends a text without operands.
void append_instr(string& out, decoded_type const& d, dis_names_type const& names) {
  print_decoded(out, d, names.empty() ? nullptr : &names);
  if (out.back() == ' ') out.pop_back();
}

// A .cmdline word: quoted if it holds blanks or comment characters.
string cmdline_word(string const& w) {
  if (w.find_first_of(" ;#") == string::npos) return w;
  return "\"" + w + "\"";
}

}  // namespace

string dis_listing_text(arch_type& arch, unsigned int code, dis_names_type const& names) {
  string out;
  decoded_type const d = decode(arch, code);
  if (d.valid) {
    append_instr(out, d, names);
    if (!reencodes(d, code)) out += "  ; the text assembles to another word";
  } else {
    out += ".var ";
    append_hex8(out, code);
    out += "  ; " + d.reason;
  }
  return out;
}

string dis_filter_text(arch_type& arch, string const& line, dis_names_type const& names) {
  size_t i = line.find_first_not_of(" \t"), end = line.find_last_not_of(" \t") + 1;
  if (i == string::npos) return line;
  if (end - i > 2 && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X')) i += 2;
  unsigned long long v = 0;
  for (; i < end; ++i) {
    char const c = line[i];
    int const d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return line;  // x, z or other text
    v = v * 16 + (unsigned int)d;
    if (v > 0xFFFFFFFFull) return line;
  }
  return dis_listing_text(arch, (unsigned int)v, names);
}

string dis_listing(image_type const& img) {
  arch_type& arch = asm_arch::arch_map.at(img.arch_name);
  auto names = label_names(img);
  string out;
  out.reserve(img.words.size() * 40 + 64);
  size_t li = 0;
  auto labels_to = [&](unsigned long long limit, bool at_word) {
    for (; li < img.labels.size() && img.labels[li].address <= limit; ++li) {
      out += img.labels[li].name + ":";
      if (!at_word || img.labels[li].address != limit) out += "  ; " + hex8(img.labels[li].address) + ", no word there";
      out += "\n";
    }
  };
  for (size_t i = 0; i < img.words.size(); ++i) {
    image_word_type const& w = img.words[i];
    if (i && w.address > img.words[i - 1].address + 4) {
      unsigned int from = img.words[i - 1].address + 4;
      out += "; gap: " + num2str((w.address - from) / 4) + " words, " + hex8(from) + " to " + hex8(w.address - 4) + "\n";
    }
    labels_to(w.address, true);
    append_hex8(out, w.address);
    out += "  ";
    append_hex8(out, w.code);
    out += "  ";
    out += dis_listing_text(arch, w.code, names);
    out += "\n";
  }
  labels_to(0xFFFFFFFFull, false);
  return out;
}

string dis_source(image_type const& img) {
  arch_type& arch = asm_arch::arch_map.at(img.arch_name);
  // Every label becomes a symbol of the source: it must be one.
  std::unordered_set<string> seen;
  for (image_label_type const& l : img.labels) {
    string low = tolower(l.name);
    auto fail = [&](string const& why) { throw image_error(img.def_name, l.line, "label '" + message_quote(l.name) + "' " + why); };
    if (!is_identifier(l.name)) fail("is no symbol name.");
    if (arch.sym_map.count(low)) fail("is a register of " + img.arch_name + ".");
    if (!seen.insert(low).second) fail("is defined twice.");
  }
  unsigned int top = img.words.empty() ? 0 : img.words.back().address;
  for (image_label_type const& l : img.labels) top = l.address > top ? l.address : top;

  string out = ".cmdline -arch " + img.arch_name + " -ofmt " + img.format + " -adrmax " + hex8(top);
  if (!img.output_label.empty()) out += " -olbl " + img.output_label;
  if (img.format == "c") {
    if (img.output_type.empty() || img.output_type.find_first_of("\"\r\n") != string::npos)
      throw image_error("", 0, "the array type '" + message_quote(img.output_type) + "' cannot be given in a .cmdline directive.");
    out += " -otyp " + cmdline_word(img.output_type);
  }
  out += "\n";
  out.reserve(out.size() + img.words.size() * 28);

  auto names = label_names(img);
  unsigned long long ctr = 0;  // the assembler's address counter
  auto move_to = [&](unsigned int a) {
    if (a == ctr) return;
    out += "        .org ";
    append_hex8(out, a);
    out += "\n";
    ctr = a;
  };
  size_t li = 0;
  auto labels_to = [&](unsigned long long limit) {
    for (; li < img.labels.size() && img.labels[li].address <= limit; ++li) {
      move_to(img.labels[li].address);
      out += img.labels[li].name + ":\n";
    }
  };
  for (image_word_type const& w : img.words) {
    labels_to(w.address);
    move_to(w.address);
    decoded_type const d = decode(arch, w.code);
    out += "        ";
    if (d.valid && reencodes(d, w.code)) {
      append_instr(out, d, names);
    } else {
      out += ".var ";
      append_hex8(out, w.code);
    }
    out += "\n";
    ctr += 4;
  }
  labels_to(0xFFFFFFFFull);
  return out;
}

string dis_words(string const& arch_name, vector<unsigned int> const& words) {
  arch_type& arch = find_arch(arch_name);
  dis_names_type const no_names;
  string out;
  for (size_t i = 0; i < words.size(); ++i) {
    unsigned int code = words[i];
    append_hex8(out, (unsigned int)(i * 4));
    out += "  ";
    append_hex8(out, code);
    out += "  ";
    out += dis_listing_text(arch, code, no_names);
    out += "\n";
  }
  return out;
}
