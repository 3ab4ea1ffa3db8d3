// isa_pictures DOCS_ISA_DIR: reads the bit-field pictures of the instruction-set reference
// back, column by column, and checks them against the registry: every instruction of every
// architecture has a picture whose fixed bits are its base code and whose lettered fields
// cover exactly the bits of its operands.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "asm_arch.h"

namespace {

int faults = 0;

void fault(std::string const& arch, std::string const& m, std::string const& what) {
  printf("FAIL %s %s: %s\n", arch.c_str(), m.c_str(), what.c_str());
  ++faults;
}

unsigned int mask_of(unsigned int hi, unsigned int lo) {
  unsigned int w = hi - lo + 1;
  return w >= 32 ? 0xFFFFFFFFu : ((1u << w) - 1) << lo;
}

// The picture lines of the section "### MNEMONIC", or none.
std::vector<std::string> picture(std::vector<std::string> const& doc, std::string const& heading) {
  std::vector<std::string> pic;
  size_t i = 0;
  while (i < doc.size() && doc[i] != heading) ++i;
  while (i < doc.size() && doc[i] != "```text") ++i;
  for (++i; i < doc.size() && doc[i] != "```"; ++i) pic.push_back(doc[i]);
  return pic;
}

void check(std::string const& name, arch_type const& arch, std::string const& m, std::vector<std::string> const& pic) {
  instr_type const& ins = arch.instr_map.at(m);
  unsigned int const iw = arch.instr_width;
  if (pic.size() != 5 || pic[3].size() != 2 * iw + 1) return fault(name, m, "no picture of the instruction width");
  std::string const& units = pic[1];
  std::string const& body = pic[3];
  auto col = [&](unsigned int b) { return 2 * (iw - 1 - b) + 1; };
  for (unsigned int b = 0; b < iw; ++b)
    if (units[col(b)] != (char)('0' + b % 10)) return fault(name, m, "bit numbers out of place");
  unsigned int fixed = 0, fixed_val = 0;
  std::vector<unsigned int> fields(ins.arg_type_lst.size(), 0);
  size_t start = 0;
  while (start + 1 < body.size()) {
    size_t end = body.find('|', start + 1);
    if (body[start] != '|' || end == std::string::npos) return fault(name, m, "fields not enclosed in |");
    // The bits under this segment: the columns between its borders.
    unsigned int seg = 0;
    for (unsigned int b = 0; b < iw; ++b)
      if (col(b) > start && col(b) < end) seg |= 1u << b;
    std::string text = body.substr(start + 1, end - start - 1);
    size_t first = text.find_first_not_of(' ');
    if (first != std::string::npos && (text[first] == '0' || text[first] == '1')) {
      fixed |= seg;
      for (unsigned int b = 0; b < iw; ++b)
        if ((seg >> b & 1) && body[col(b)] == '1') fixed_val |= 1u << b;
    } else if (first != std::string::npos && text[first] >= 'a' && (size_t)(text[first] - 'a') < fields.size()) {
      fields[text[first] - 'a'] |= seg;
    } else {
      return fault(name, m, "segment \"" + text + "\" is neither fixed bits nor an operand");
    }
    start = end;
  }
  unsigned int all = fixed;
  for (size_t k = 0; k < fields.size(); ++k) {
    arg_type const& a = ins.arg_type_lst[k];
    unsigned int want = 0;
    for (size_t j = 0; j < a.lo_idx.size(); ++j) want |= mask_of(a.hi_idx[j], a.lo_idx[j]);
    if (fields[k] != want) fault(name, m, "operand " + std::string(1, (char)('a' + k)) + " drawn over other bits");
    all |= fields[k];
  }
  if (all != mask_of(iw - 1, 0)) fault(name, m, "not every bit drawn");
  if ((ins.code & fixed) != fixed_val) fault(name, m, "fixed bits differ from the base code");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  asm_arch registry;
  (void)registry;
  size_t checked = 0;
  for (auto const& p : asm_arch::arch_map) {
    std::ifstream in(std::string(argv[1]) + "/" + p.first + ".md");
    std::vector<std::string> doc;
    for (std::string line; std::getline(in, line);) doc.push_back(line);
    if (doc.empty()) fault(p.first, "", "no reference page");
    for (auto const& i : p.second.instr_map) {
      std::string heading = "### " + i.first;
      for (char& c : heading) c = (char)toupper((unsigned char)c);
      check(p.first, p.second, i.first, picture(doc, heading));
      ++checked;
    }
  }
  printf("isa pictures: %zu instructions checked, %d faults\n", checked, faults);
  return faults ? 1 : 0;
}
