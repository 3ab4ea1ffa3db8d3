// The Verilog memory file that $readmemh loads, and its definitions as a
// SystemVerilog package.
#include "asm_passes.h"

// "@" and the word index where the words start and after every gap, then one
// word a line: as many hexadecimal digits as the instruction width needs.
void asm_passes::run_vmem_backend_pass() {
  int const digits = (int)((sel_arch().instr_width + 3) / 4);
  FILE* f = create_output(output_file_name, "output");
  write_comment_head(f, "// ", "");
  unsigned long long next = 1ull << 32;  // no word yet: the first one is addressed
  for (asm_record const& r : ir.asm_list) {
    if (r.address != next) fprintf(f, "@%08X" ASM_EOL, r.address / 4);
    fprintf(f, "%0*X" ASM_EOL, digits, r.code);
    next = r.address + 4ull;
  }
  close_output(f, output_file_name, "output");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}

// package <label>_pkg; with 32-bit localparams OFFSET, SIZE and LABEL_<NAME>
// (byte addresses). bit [31:0] rather than int unsigned: Icarus Verilog 11
// rejects the latter there.
void asm_passes::run_svh_def_backend_pass() {
  FILE* f = create_output(def_file_name, "definition");
  unsigned int first;
  unsigned long long size;
  code_span(ir.asm_list, first, size);
  char const* const label = output_label.c_str();
  write_comment_head(f, "// ", "");
  fprintf(f, "package %s_pkg;" ASM_EOL, label);
  fprintf(f, "  localparam bit [31:0] OFFSET = 32'h%08X;  // byte address offset for assembled code in memory '%s'" ASM_EOL,
          first, label);
  fprintf(f, "  localparam bit [31:0] SIZE   = 32'h%08llX;  // code size in bytes of assembled code in memory '%s'" ASM_EOL,
          size, label);
  for (sym_entry const* s : sorted_symbols(true)) {
    std::string const sym = case_sens_sym ? label_name(s->first) : toupper(s->first);
    std::string const pad(s->first.size() < 20 ? 20 - s->first.size() : 1, ' ');
    fprintf(f, "  localparam bit [31:0] LABEL_%s%s = 32'h%08X;  // byte address of assembler label '%s'" ASM_EOL,
            sym.c_str(), pad.c_str(), s->second.value, sym.c_str());
  }
  fputs("endpackage" ASM_EOL, f);
  close_output(f, def_file_name, "definition");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}
