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

// The leaf of the tree that the word selects, or null.
disasm_tree_type* leaf_of(disasm_tree_type* node, unsigned int code) {
  while (node && !node->children.empty()) {
    unsigned int w = node->hi_idx - node->lo_idx + 1;
    unsigned int s = (unsigned int)((code >> node->lo_idx) & (w >= 32 ? 0xFFFFFFFFull : (1ull << w) - 1));
    auto it = node->children.find(s);
    node = it == node->children.end() ? nullptr : it->second;
  }
  return node;
}

// The value of a numeric operand as the assembler's encoder checks it; false
// where it would post an error.
bool encode_number(arg_type const& a, string const& text, unsigned int& slot) {
  unsigned int v;
  try {
    v = parse_number(text);
  } catch (string const&) {
    return false;
  }
  unsigned int width = a.shft_val;
  for (size_t k = 0; k < a.lo_idx.size(); ++k) width += a.hi_idx[k] - a.lo_idx[k] + 1;
  unsigned int m = v;
  if (width < 32) {
    long long sv = (int)v;
    if (sv >= 0 ? sv > (1ll << width) - 1 : sv < -(1ll << (width - 1))) return false;
    m = v & (unsigned int)((1ull << width) - 1);
  }
  if (m < a.lo_val || m > a.hi_val) return false;
  if (a.shft_val && (m & ((1u << a.shft_val) - 1))) return false;
  slot = m >> a.shft_val;
  return true;
}

// Labels usable in operands: the first name of each address.
dis_names_type label_names(image_type const& img) {
  dis_names_type names;
  for (image_label_type const& l : img.labels) names.emplace(l.address, &l.name);
  return names;
}

// The instruction text with an address operand equal to a label's address
// replaced by the label's name.
void append_instr(string& out, dis_word_type const& d, dis_names_type const& names) {
  if (names.empty()) {
    out += d.text;
    return;
  }
  out += d.mnemonic;
  for (size_t i = 0; i < d.operands.size(); ++i) {
    out += i ? ", " : " ";
    if (d.address_operand[i]) {
      auto it = names.find(parse_number(d.operands[i]));
      if (it != names.end()) {
        out += *it->second;
        continue;
      }
    }
    out += d.operands[i];
  }
}

// A .cmdline word: quoted if it holds blanks or comment characters.
string cmdline_word(string const& w) {
  if (w.find_first_of(" ;#") == string::npos) return w;
  return "\"" + w + "\"";
}

}  // namespace

bool dis_encodes_to(arch_type& arch, string const& mnemonic, vector<string> const& operands,
                    unsigned int code) {
  auto in = arch.instr_map.find(tolower(mnemonic));
  if (in == arch.instr_map.end()) return false;
  vector<arg_type> const& args = in->second.arg_type_lst;
  if (operands.size() != args.size()) return false;
  vector<unsigned int> slots(args.size(), 0);
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i].type == ATO_REG) {
      // A register name: a symbol of the architecture that its set holds.
      string name = tolower(operands[i]);
      auto set = arch.reg_map.find(args[i].regtype);
      auto sym = arch.sym_map.find(name);
      if (set == arch.reg_map.end() || sym == arch.sym_map.end() || sym->second.type != STO_REG ||
          !set->second.count(name))
        return false;
      slots[i] = sym->second.value;
    } else if (!encode_number(args[i], operands[i], slots[i])) {
      return false;
    }
  }
  return in->second.assemble(slots) == code;
}

dis_word_type dis_decode(arch_type& arch, unsigned int code) {
  dis_word_type d;
  disasm_tree_type* leaf = leaf_of(arch.disasm_tree, code);
  try {
    d.text = arch.disasm_tree_walker(leaf ? leaf : arch.disasm_tree, code);
  } catch (string const& reason) {
    d.text = reason;
    return d;
  }
  d.valid = true;
  while (!d.text.empty() && d.text.back() == ' ') d.text.pop_back();
  size_t p = d.text.find(' ');
  d.mnemonic = d.text.substr(0, p);
  while (p != string::npos) {
    size_t e = d.text.find(", ", p + 1);
    d.operands.push_back(d.text.substr(p + 1, e == string::npos ? string::npos : e - p - 1));
    p = e == string::npos ? e : e + 1;
  }
  for (arg_type const& a : leaf->arg_type_lst) d.address_operand.push_back(a.is_address);
  d.reencodes = d.operands.size() == leaf->arg_type_lst.size() && dis_encodes_to(arch, d.mnemonic, d.operands, code);
  return d;
}

// dis_decode, with the reason of the single-word disassembler for a word
// wider than the architecture's instructions.
static dis_word_type decode_checked(arch_type& arch, unsigned int code) {
  if (arch.instr_width > 31 || (code >> arch.instr_width) == 0) return dis_decode(arch, code);
  dis_word_type d;
  try {
    d.text = disassemble_word(arch, code);
  } catch (string const& reason) {
    d.text = reason;
  }
  return d;
}

string dis_listing_text(arch_type& arch, unsigned int code, dis_names_type const& names) {
  string out;
  dis_word_type d = decode_checked(arch, code);
  if (d.valid) {
    append_instr(out, d, names);
    if (!d.reencodes) out += "  ; the text assembles to another word";
  } else {
    out += ".var ";
    append_hex8(out, code);
    out += "  ; " + d.text;
  }
  return out;
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
    auto fail = [&](string const& why) { throw image_error(img.def_name, l.line, "label '" + clip(l.name) + "' " + why); };
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
      throw image_error("", 0, "the array type '" + clip(img.output_type) + "' cannot be given in a .cmdline directive.");
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
    dis_word_type d = dis_decode(arch, w.code);
    out += "        ";
    if (d.reencodes) {
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
