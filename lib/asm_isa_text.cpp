// Descriptions of one instruction, read from its table and the disassembly tree.
#include "asm_isa_text.h"

#include <algorithm>
#include <vector>

#include "asm_utils.h"

namespace {

std::string hex(unsigned long long v) { return num2hexstr(v); }

std::string join(std::vector<std::string> const& v, std::string const& sep) {
  std::string r;
  for (size_t i = 0; i < v.size(); ++i) r += (i ? sep : "") + v[i];
  return r;
}

// Operand as the syntax line shows it: the register set or the value range.
std::string operand_text(arg_type const& a) {
  return a.type == ATO_REG ? a.regtype : hex(a.lo_val) + ".." + hex(a.hi_val);
}

std::string slice_text(unsigned int hi, unsigned int lo) {
  return hi == lo ? std::to_string(hi) : std::to_string(hi) + ":" + std::to_string(lo);
}

std::string centred(std::string const& text, size_t width) {
  size_t left = (width - text.size()) / 2;
  return std::string(left, ' ') + text + std::string(width - text.size() - left, ' ');
}

struct segment_type {
  unsigned int hi, lo;
  int operand;  // -1: fixed bits of the code
  size_t slice;
};

unsigned int mask_of(unsigned int hi, unsigned int lo) { return bit_mask(hi - lo + 1) << lo; }

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// How the disassembler reaches the code: the selector fields on the way and the leaf found.
struct decode_type {
  std::vector<unsigned int> cuts;  // bit positions where a selector field starts or ends (+1)
  std::string text;
};

decode_type how_decoded(arch_type const& arch, std::string const& mnemonic, instr_type const& ins) {
  decode_type d;
  std::vector<std::string> steps;
  unsigned int operands = 0, selectors = 0;
  for (arg_type const& a : ins.arg_type_lst)
    for (size_t j = 0; j < a.lo_idx.size(); ++j) operands |= mask_of(a.hi_idx[j], a.lo_idx[j]);
  decoded_type const r = decode(arch, ins.code);
  for (size_t k = 0; k < r.n_inner; ++k) {
    disasm_tree_type const* inner = r.inner[k];
    selectors |= mask_of(inner->hi_idx, inner->lo_idx);
    steps.push_back("bits " + slice_text(inner->hi_idx, inner->lo_idx) + " = " +
                    hex(bit_field(ins.code, inner->hi_idx, inner->lo_idx)));
    d.cuts.push_back(inner->hi_idx + 1);
    d.cuts.push_back(inner->lo_idx);
  }
  disasm_tree_type const* n = r.leaf;
  if (operands & selectors)
    d.text = "The disassembler does not decode it: its operand covers the selector bits " +
             join(steps, ", ") + ", so a word shows as the instruction its value selects.";
  else if (n && n->instr_name == mnemonic)
    d.text = "The disassembler selects it by " + join(steps, ", then ") + ".";
  else if (n)
    d.text = "The disassembler shows its code words as `" + toupper(n->instr_name) + "` (" + join(steps, ", ") + ").";
  else
    d.text = "The disassembler does not decode it.";
  return d;
}

}  // namespace

std::string instr_syntax(std::string const& mnemonic, instr_type const& ins) {
  std::string s = toupper(mnemonic), closing;
  for (size_t k = 0; k < ins.arg_type_lst.size(); ++k) {
    arg_type const& a = ins.arg_type_lst[k];
    std::string const sep = k ? ", " : " ";
    if (a.optarg_en) {
      s += "[" + sep + operand_text(a);
      closing += "]";
    } else {
      s += sep + operand_text(a);
    }
  }
  return s + closing;
}

std::string operand_name(size_t k) { return std::string(1, (char)('a' + k)); }

std::string operand_accepts(arg_type const& a, bool link_set) {
  if (a.type == ATO_REG)
    return link_set ? "a register of [`" + a.regtype + "`](#" + a.regtype + ")" : "a register of `" + a.regtype + "`";
  std::string s = hex(a.lo_val) + ".." + hex(a.hi_val);
  if (a.shft_val) s += ", a multiple of " + std::to_string(1u << a.shft_val) + ", stored shifted right by " +
                       std::to_string(a.shft_val);
  if (a.optarg_en) s += "; optional, default " + hex(a.optarg_val);
  return s;
}

std::string operand_bits(arg_type const& a) {
  if (a.lo_idx.size() == 1) return slice_text(a.hi_idx[0], a.lo_idx[0]);
  std::vector<std::string> parts;
  unsigned int p = a.shft_val;
  for (size_t j = 0; j < a.lo_idx.size(); ++j) {
    unsigned int w = a.hi_idx[j] - a.lo_idx[j] + 1;
    parts.push_back(slice_text(a.hi_idx[j], a.lo_idx[j]) + " (value bit" + (w > 1 ? "s " : " ") +
                    slice_text(p + w - 1, p) + ")");
    p += w;
  }
  return join(parts, ", ");
}

std::string encoding_picture(arch_type const& arch, std::string const& mnemonic, instr_type const& ins) {
  std::vector<unsigned int> const cuts = how_decoded(arch, mnemonic, ins).cuts;
  unsigned int const iw = arch.instr_width;
  std::vector<int> owner(iw, -1), slice(iw, 0);
  for (size_t k = 0; k < ins.arg_type_lst.size(); ++k) {
    arg_type const& a = ins.arg_type_lst[k];
    for (size_t j = 0; j < a.lo_idx.size(); ++j)
      for (unsigned int b = a.lo_idx[j]; b <= a.hi_idx[j] && b < iw; ++b) {
        owner[b] = (int)k;
        slice[b] = (int)j;
      }
  }
  std::vector<segment_type> segs;
  for (int b = (int)iw - 1; b >= 0; --b) {
    bool cut = std::find(cuts.begin(), cuts.end(), (unsigned int)b + 1) != cuts.end();
    if (segs.empty() || owner[b] != segs.back().operand || (size_t)slice[b] != segs.back().slice ||
        (owner[b] < 0 && cut))
      segs.push_back({(unsigned int)b, (unsigned int)b, owner[b], (size_t)slice[b]});
    segs.back().lo = (unsigned int)b;
  }
  std::string tens, units, border = "+", body = "|";
  for (int b = (int)iw - 1; b >= 0; --b) {
    tens += std::string(" ") + (b >= 10 ? (char)('0' + b / 10) : ' ');
    units += std::string(" ") + (char)('0' + b % 10);
  }
  for (segment_type const& s : segs) {
    size_t const w = 2 * (s.hi - s.lo + 1) - 1;
    std::string text;
    if (s.operand < 0) {
      for (unsigned int b = s.hi + 1; b-- > s.lo;) text += std::string(b == s.hi ? "" : " ") + (char)('0' + ((ins.code >> b) & 1));
    } else {
      // A field of several slices shows which value bits each slice holds, where room.
      arg_type const& a = ins.arg_type_lst[s.operand];
      text = operand_name(s.operand);
      if (a.lo_idx.size() > 1) {
        unsigned int p = 0;
        for (size_t j = 0; j < s.slice; ++j) p += a.hi_idx[j] - a.lo_idx[j] + 1;
        std::string full = text + "[" + slice_text(p + a.hi_idx[s.slice] - a.lo_idx[s.slice], p) + "]";
        if (full.size() <= w) text = full;
      }
    }
    body += centred(text, w) + "|";
    border += std::string(w, '-') + "+";
  }
  return rtrim(tens) + "\n" + units + "\n" + border + "\n" + body + "\n" + border + "\n";
}

std::string decoding_note(arch_type const& arch, std::string const& mnemonic, instr_type const& ins) {
  return how_decoded(arch, mnemonic, ins).text;
}
