// The log file: header, symbol table by kind, and a listing of every source line with
// the words assembled from it, following the includes in place.
#include "asm_passes.h"

namespace {

// Reads a source file back line by line, each line whole however long it is.
struct src_reader {
  source_file& f;
  bool at_end = false;

  // The next line without its line feed; eol tells whether it had one. Carriage returns
  // become blanks. Past the end the text is a single blank without line feed.
  std::string next(bool& eol) {
    std::string s;
    eol = false;
    int c;
    while ((c = f.get()) != EOF) {
      if (c == '\n') {
        eol = true;
        break;
      }
      s += (char)c;
    }
    if (c == EOF) at_end = true;
    if (!eol && s.empty()) return " ";
    // format_eol stops at a NUL byte: run it on every NUL-separated piece.
    for (size_t p = 0; p < s.size();) {
      format_eol(&s[p], (unsigned int)(s.size() - p));
      size_t z = s.find('\0', p);
      p = z == std::string::npos ? s.size() : z + 1;
    }
    return s;
  }
};

void write_text(FILE* log, std::string const& text, bool eol) {
  fwrite(text.data(), 1, text.size(), log);
  if (eol) fputs(ASM_EOL, log);
}

std::string const rule_line = "     --------------+--------------------------------+----------";

}  // namespace

size_t asm_passes::log_file_walker(FILE* log, size_t rec, asm_file* file,
                                   std::unordered_map<std::string, int> include_chain) {
  source_file src = open_src_file(file->name);
  if (!src) asm_module::post_msg("Unable to read file '" + file->name + "'.", asm_module::MLV_FATAL, "", 0);
  include_chain[file->name] = 0;
  src_reader in{src};
  std::vector<asm_record> const& list = ir.asm_list;
  unsigned int cur_line = 1;
  bool eol;
  auto plain_line = [&]() {
    std::string text = in.next(eol);
    fprintf(log, "                           |  %4u: ", cur_line);
    write_text(log, text, eol);
    ++cur_line;
  };
  // A word expected here that belongs elsewhere means the passes and this walk disagree.
  auto check_record = [&]() {
    if (rec >= list.size() || list[rec].file != file->name) throw std::string("(*ait).file == file->name");
    if (list[rec].line != cur_line) throw std::string("(*ait).line == cur_line");
  };

  fputs(ASM_EOL, log);
  fprintf(log, " ------------------ BEGIN OF FILE: %s " ASM_EOL ASM_EOL, file->name.c_str());
  for (asm_stmt* stmt : *file->stmts) {
    while (stmt->line > cur_line) plain_line();
    std::string const& op = stmt->opcode;
    if (op == ".include") {
      plain_line();
      std::string const inc = stmt->args->empty() ? std::string() : (*stmt->args)[0]->data;
      auto it = ir.file_map.find(inc);
      // A recursive include was refused by the passes and placed no words.
      if (it != ir.file_map.end() && !include_chain.count(inc))
        rec = log_file_walker(log, rec, it->second, include_chain);
    } else if (op == ".var" || op == ".str" || op.empty() || op[0] != '.') {
      check_record();
      std::string text = in.next(eol);
      fprintf(log, " [0x%08X] = 0x%08X |  %4u: ", list[rec].address, list[rec].code, cur_line);
      write_text(log, text, eol);
      size_t words = 1;
      if (op == ".str") {
        auto counted = str_words.find(rec);  // recorded by pass 2
        if (counted != str_words.end()) words = counted->second;
      }
      for (size_t i = 1; i < words; ++i)
        fprintf(log, " [0x%08X] = 0x%08X |" ASM_EOL, list[rec + i].address, list[rec + i].code);
      rec += words;
      ++cur_line;
    }
    // Other directives place no word; their lines come out as plain lines.
  }
  while (!in.at_end) plain_line();
  fputs(ASM_EOL ASM_EOL, log);
  fprintf(log, " ------------------ END OF FILE: %s " ASM_EOL ASM_EOL, file->name.c_str());
  return rec;
}

void asm_passes::run_log_backend_pass() {
  FILE* log = create_output(log_file_name, "log");
  std::vector<asm_record> const& list = ir.asm_list;
  unsigned int first;
  unsigned long long size;
  code_span(list, first, size);

  fputs("              " ASM_SHORT_NAME " log file " ASM_EOL, log);
  fputs("              ================ " ASM_EOL ASM_EOL, log);
  fputs(" " ASM_EOL ASM_EOL, log);
  fputs(" tool name           : " ASM_SHORT_NAME ASM_EOL, log);
  fputs(" tool version        : " ASM_VERSION ASM_EOL, log);
  fputs(" tool vendor         : " ASM_VENDOR ASM_EOL, log);
  fprintf(log, " target architecture : %s" ASM_EOL, arch_name.c_str());
  fprintf(log, " source file         : %s" ASM_EOL, input_file_name.c_str());
  fprintf(log, " assembled size      : %4llu bytes" ASM_EOL ASM_EOL, size);

  fputs(" 1) Symbol table content after assembling procedure" ASM_EOL, log);
  fputs(" ==================================================" ASM_EOL ASM_EOL, log);
  fputs("     Type          | Name                           | Value " ASM_EOL, log);
  static STO_TYPE const kinds[] = {STO_VAR, STO_LABEL, STO_USER_REG, STO_REG};
  static char const* const titles[] = {"Variable     ", "Label        ", "User Register", "Register     "};
  std::vector<sym_entry const*> const syms = sorted_symbols(false);
  for (int k = 0; k < 4; ++k) {
    bool first = true;
    for (sym_entry const* s : syms) {
      if (s->second.type != kinds[k]) continue;
      if (first) fprintf(log, "%s" ASM_EOL "     %s", rule_line.c_str(), titles[k]);
      else fputs("                  ", log);
      fprintf(log, " | %30s | 0x%X" ASM_EOL, toupper(s->first).c_str(), s->second.value);
      first = false;
    }
  }
  fprintf(log, "%s" ASM_EOL ASM_EOL, rule_line.c_str());

  fputs(" 2) Assembling Results " ASM_EOL, log);
  fputs(" ======================" ASM_EOL ASM_EOL, log);
  auto main_file = ir.file_map.find(input_file_name);
  if (main_file != ir.file_map.end()) {
    try {
      log_file_walker(log, 0, main_file->second, std::unordered_map<std::string, int>());
    } catch (...) {
      fclose(log);
      throw;
    }
  }
  close_output(log, log_file_name, "log");
  if (asm_module::has_errors()) throw std::string(PASS_ERROR_THROW);
}
