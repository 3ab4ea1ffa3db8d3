// docs/isa/<arch>.md: register sets with addresses, and per instruction its operands,
// the obsolete mark, a bit-field picture of its encoding and how the disassembler finds it.
#include <algorithm>
#include <sstream>

#include "asm_isa_text.h"
#include "asm_utils.h"
#include "gen.h"

namespace zqs_gen {

std::string isa_reference(std::string const& name, arch_type const& arch) {
  std::ostringstream o;
  o << "# Instruction set " << name << "\n\n"
    << "Written by zqs-gen from the instruction-set tables of the assembler: do not edit.\n\n"
    << "Version " << arch.version << ", " << arch.data_width << "-bit data, " << arch.instr_width
    << "-bit instructions";
  if (arch.instr_width < 32) o << " (bits " << arch.instr_width - 1 << "..0 of the 32-bit code word, the bits above are 0)";
  o << ", " << arch.instr_map.size() << " instructions. Selected with `-arch " << name
    << "`. Mnemonics and register names may be written in any case.\n\n"
    << "A numeric operand is checked against its range after it has been cut to the width of its field "
       "(so a negative value that fits the field in two's complement counts as its unsigned pattern); "
       "an address operand stored shifted right by 2 must be a multiple of 4. A register operand takes a "
       "register name of its set, or a symbol defined with `.register` whose value is an address of that set.\n\n"
    << "## Register sets\n";
  for (std::string const& set : arch.regset_order) {
    std::vector<std::pair<unsigned int, std::string>> regs;
    for (auto const& r : arch.reg_map.at(set)) regs.push_back({r.second, r.first});
    std::sort(regs.begin(), regs.end());
    o << "\n### " << set << "\n\n| Register | Address |\n|---|---|\n";
    for (auto const& r : regs) o << "| `" << upper(r.second) << "` | " << r.first << " (" << hex(r.first) << ") |\n";
  }
  o << "\n## Instructions\n\n| Instruction | Base code | Obsolete |\n|---|---|---|\n";
  for (std::string const& m : arch.instr_order) {
    instr_type const& ins = arch.instr_map.at(m);
    o << "| [`" << instr_syntax(m, ins) << "`](#" << m << ") | " << hex8(ins.code) << " | "
      << (ins.obsolete ? "obsolete" : "") << " |\n";
  }
  for (std::string const& m : arch.instr_order) {
    instr_type const& ins = arch.instr_map.at(m);
    o << "\n### " << upper(m) << "\n\n`" << instr_syntax(m, ins) << "`, base code " << hex8(ins.code) << ".";
    if (ins.obsolete)
      o << " **Obsolete**: still assembled, with the warning \"Assembling obsolete instruction '" << upper(m) << "'.\"";
    o << "\n\n";
    if (!ins.arg_type_lst.empty()) {
      o << "| Operand | Accepts | Field bits |\n|---|---|---|\n";
      for (size_t k = 0; k < ins.arg_type_lst.size(); ++k) {
        arg_type const& a = ins.arg_type_lst[k];
        o << "| " << operand_name(k) << " | " << operand_accepts(a, true) << " | " << operand_bits(a) << " |\n";
      }
      o << "\n";
    }
    o << "```text\n" << encoding_picture(arch, m, ins) << "```\n\n" << decoding_note(arch, m, ins) << "\n";
  }
  return o.str();
}

}  // namespace zqs_gen
