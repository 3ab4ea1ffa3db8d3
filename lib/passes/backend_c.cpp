// The C array file and the C definition header.
#include <cstring>

#include "asm_passes.h"

namespace {

// The array's lines "    0x%08X," formatted by hand into a large buffer: a
// million-word image would otherwise cost a million formatted writes.
class word_lines {
 public:
  explicit word_lines(FILE* f) : f_(f) {}
  ~word_lines() { flush(); }
  void word(unsigned int code, bool comma) {
    if (n_ + MAX_LINE_LEN > sizeof buf_) flush();
    static char const hex[] = "0123456789ABCDEF";
    char* p = buf_ + n_;
    std::memcpy(p, "    0x", 6);
    for (int k = 0; k < 8; ++k) p[6 + k] = hex[(code >> (28 - 4 * k)) & 0xF];
    p += 14;
    if (comma) *p++ = ',';
    std::memcpy(p, ASM_EOL, sizeof ASM_EOL - 1);
    n_ = (size_t)(p - buf_) + sizeof ASM_EOL - 1;
  }
  void flush() {
    if (n_) fwrite(buf_, 1, n_, f_);
    n_ = 0;
  }

 private:
  static size_t const MAX_LINE_LEN = 32;
  FILE* f_;
  size_t n_ = 0;
  char buf_[1 << 16];
};

}  // namespace

void asm_passes::run_c_backend_pass() {
  FILE* f = create_output(output_file_name, "output");
  std::vector<asm_record> const& list = ir.asm_list;
  unsigned int first;
  unsigned long long size;
  code_span(list, first, size);
  write_comment_head(f, "/* ", " */");
  if (c_header_inc && !def_file_name.empty())
    fprintf(f, "#include \"%s\"" ASM_EOL ASM_EOL, def_file_name.c_str());
  fprintf(f, "%s %s[%llu] = { " ASM_EOL, c_output_type.c_str(), output_label.c_str(), size / 4);
  word_lines out(f);
  for (size_t i = 0; i < list.size(); ++i) {
    if (i + 1 == list.size()) {
      out.word(list[i].code, false);
      break;
    }
    out.word(list[i].code, true);
    for (unsigned long long a = list[i].address + 4ull; a < list[i + 1].address; a += 4)
      out.word(0, true);
  }
  out.flush();
  fputs("};" ASM_EOL, f);
  close_output(f, output_file_name, "output");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}

void asm_passes::run_c_def_backend_pass() {
  FILE* f = create_output(def_file_name, "definition");
  unsigned int first;
  unsigned long long size;
  code_span(ir.asm_list, first, size);
  auto name_case = [&](std::string const& s) { return case_sens_sym ? s : toupper(s); };
  std::string const guard = name_case(string2ident(stripfilename(def_file_name)));
  std::string const lbl = name_case(output_label);
  char const* const label = output_label.c_str();
  write_comment_head(f, "/* ", " */");
  fprintf(f, "#ifndef %s_" ASM_EOL, guard.c_str());
  fprintf(f, "#define %s_" ASM_EOL ASM_EOL, guard.c_str());
  if (c_extern_stmt)
    fprintf(f, "extern %s %s[%llu];" ASM_EOL ASM_EOL, c_output_type.c_str(), label, size / 4);
  fprintf(f, "#define OFFSET_%s     (%4u) /* byte address offset for assembled code in array C-array '%s' */" ASM_EOL,
          lbl.c_str(), first, label);
  fprintf(f, "#define SIZE_%s       (%4llu) /* code size in bytes of assembled code in C-array '%s' */" ASM_EOL ASM_EOL,
          lbl.c_str(), size, label);
  for (sym_entry const* s : sorted_symbols(true)) {
    std::string const sym = case_sens_sym ? label_name(s->first) : toupper(s->first);
    std::string const pad(s->first.size() < 20 ? 20 - s->first.size() : 1, ' ');
    fprintf(f, "#define LABEL_%s_%s  %s    (%4u) /* Index into C-array '%s' for assembler label '%s' */" ASM_EOL,
            lbl.c_str(), sym.c_str(), pad.c_str(), (s->second.value - first) >> 2, label, sym.c_str());
  }
  fputs(ASM_EOL "#endif" ASM_EOL, f);
  close_output(f, def_file_name, "definition");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}
