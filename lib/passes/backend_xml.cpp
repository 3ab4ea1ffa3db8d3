// The XML dump of a run's whole state: parameters, parsed program, words, symbols,
// messages and the built-in architectures.
#include <algorithm>

#include "asm_passes.h"

namespace {

void hex_escape(std::string& out, unsigned char c) {
  static char const digits[] = "0123456789ABCDEF";
  out += '\\';
  out += 'x';
  out += digits[c >> 4];
  out += digits[c & 15];
}

// Expression data: everything but plain printable characters as backslash, x, two digits.
std::string escape_data(std::string const& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c <= 126 && c != '"' && c != '&' && c != '\'' && c != '<' && c != '>') out += (char)c;
    else hex_escape(out, c);
  }
  return out;
}

// Any other attribute value: the XML entities for the markup characters, and control
// bytes (which XML cannot carry) as backslash, x, two digits; the rest stays as it is.
std::string xml_attr(std::string const& s) {
  std::string out;
  for (unsigned char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (c < 32) hex_escape(out, c);
        else out += (char)c;
    }
  }
  return out;
}

}  // namespace

void asm_passes::xml_dump_expr_walker(FILE* out, asm_expr* expr, std::string const& indent) {
  // An explicit stack: a long chain like 1+1+...+1 nests as deep as it has terms.
  struct frame {
    asm_expr* e;
    size_t depth;
    bool closing;
  };
  std::vector<frame> todo;
  if (expr) todo.push_back(frame{expr, 0, false});
  // Indentation stops growing at 64 levels: a million-term chain would otherwise
  // need terabytes of blanks (the size grows with the square of the depth).
  size_t const max_indent_depth = 64;
  std::string pad;
  auto indent_to = [&](size_t depth) {
    pad.assign(indent);
    pad.append(4 * std::min(depth, max_indent_depth), ' ');
    fwrite(pad.data(), 1, pad.size(), out);
  };
  while (!todo.empty()) {
    frame fr = todo.back();
    todo.pop_back();
    indent_to(fr.depth);
    if (fr.closing) {
      fputs("</expr>" ASM_EOL, out);
      continue;
    }
    fprintf(out, "<expr opcode=\"%s\" data=\"%s\">" ASM_EOL, xml_attr(std::string(fr.e->opcode)).c_str(),
            escape_data(fr.e->data).c_str());
    todo.push_back(frame{fr.e, fr.depth, true});
    if (fr.e->right) todo.push_back(frame{fr.e->right, fr.depth + 1, false});
    if (fr.e->left) todo.push_back(frame{fr.e->left, fr.depth + 1, false});
  }
}

void asm_passes::run_xml_dump_pass() {
  static char const* const dump_name = "dump.xml";
  FILE* f = create_output(dump_name, "XML-dump");
  auto b = [](bool v) { return v ? "true" : "false"; };
  auto str_option = [&](char const* name, std::string const& value) {
    fprintf(f, "        <option %s=\"%s\"/>" ASM_EOL, name, xml_attr(value).c_str());
  };

  fputs("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>" ASM_EOL, f);
  fputs("<asm_zqs version=\"" ASM_VERSION "\">" ASM_EOL, f);

  fputs("    <cmd_line>" ASM_EOL, f);
  fprintf(f, "        <option flag_version=\"%s\"/>" ASM_EOL, b(flag_version));
  fprintf(f, "        <option flag_help=\"%s\"/>" ASM_EOL, b(flag_help));
  fprintf(f, "        <option flag_warn=\"%s\"/>" ASM_EOL, b(flag_warn));
  fprintf(f, "        <option flag_xml_dump=\"%s\"/>" ASM_EOL, b(flag_xml_dump));
  fprintf(f, "        <option max_addr=\"0x%08X\"/>" ASM_EOL, max_addr);
  str_option("input_file_name", input_file_name);
  str_option("output_file_name", output_file_name);
  str_option("arch_name", arch_name);
  str_option("output_label", output_label);
  str_option("output_format", output_format);
  str_option("def_file_name", def_file_name);
  str_option("log_file_name", log_file_name);
  str_option("c_output_type", c_output_type);
  fprintf(f, "        <option c_header_inc=\"%s\"/>" ASM_EOL, b(c_header_inc));
  fprintf(f, "        <option c_extern_stmt=\"%s\"/>" ASM_EOL, b(c_extern_stmt));
  fprintf(f, "        <option case_sens_sym=\"%s\"/>" ASM_EOL, b(case_sens_sym));
  fputs("        <inc_file_list>" ASM_EOL, f);
  for (std::string const& d : inc_file_list)
    fprintf(f, "            <file name=\"%s\"/>" ASM_EOL, xml_attr(d).c_str());
  fputs("        </inc_file_list>" ASM_EOL, f);
  fputs("    </cmd_line>" ASM_EOL, f);

  fputs("    <file_list>" ASM_EOL, f);
  for (asm_file* file : *ir.file_list) {
    fprintf(f, "        <file name=\"%s\">" ASM_EOL, xml_attr(file->name).c_str());
    for (asm_stmt* stmt : *file->stmts) {
      fprintf(f, "            <stmt opcode=\"%s\" line=\"%u\">" ASM_EOL, xml_attr(stmt->opcode).c_str(), stmt->line);
      for (asm_expr* arg : *stmt->args) {
        fputs("                <arg>" ASM_EOL, f);
        xml_dump_expr_walker(f, arg, "                ");
        fputs("                </arg>" ASM_EOL, f);
      }
      fputs("            </stmt>" ASM_EOL, f);
    }
    fputs("        </file>" ASM_EOL, f);
  }
  fputs("    </file_list>" ASM_EOL, f);

  fputs("    <asm_list>" ASM_EOL, f);
  for (asm_record const& r : ir.asm_list)
    fprintf(f, "        <asm_record address=\"0x%08X\" code=\"0x%08X\" file=\"%s\" line=\"%u\"/>" ASM_EOL,
            r.address, r.code, xml_attr(std::string(r.file)).c_str(), r.line);
  fputs("    </asm_list>" ASM_EOL, f);

  static char const* const sym_kinds[] = {"STO_VAR", "STO_REG", "STO_USER_REG", "STO_LABEL"};
  fputs("    <sym_tab>" ASM_EOL, f);
  for (sym_entry const* s : sorted_symbols(false)) {
    unsigned int k = (unsigned int)s->second.type;
    fprintf(f, "        <symbol ident=\"%s\" value=\"0x%X\" type=\"%s\" assignable=\"%s\"/>" ASM_EOL,
            xml_attr(s->first).c_str(), s->second.value, k < 4 ? sym_kinds[k] : "", b(s->second.assignable));
  }
  fputs("    </sym_tab>" ASM_EOL, f);

  static char const* const levels[] = {"MLV_FATAL", "MLV_ERROR", "MLV_WARNING", "MLV_INFO"};
  fputs("    <msg_list>" ASM_EOL, f);
  for (asm_module::msg_element const& m : asm_module::msg_lst) {
    if (m.after_syntax_error) continue;
    unsigned int l = (unsigned int)m.level;
    fprintf(f, "        <msg level=\"%s\" file=\"%s\" line=\"%u\" text=\"%s\"/>" ASM_EOL, l < 4 ? levels[l] : "",
            xml_attr(m.file).c_str(), m.line, xml_attr(m.text).c_str());
  }
  fputs("    </msg_list>" ASM_EOL, f);

  fputs("    <arch_list>" ASM_EOL, f);
  for (std::string const& name : asm_arch::ordered_names()) {
    arch_type const& a = asm_arch::arch_map.at(name);
    fprintf(f, "        <arch name=\"%s\" version=\"%u\" data_width=\"%u\" instr_width=\"%u\">" ASM_EOL,
            xml_attr(name).c_str(), a.version, a.data_width, a.instr_width);
    // Table order where the architecture records one, else sorted names.
    std::vector<std::string> sets = a.regset_order;
    if (sets.size() != a.reg_map.size()) {
      sets.clear();
      for (auto const& p : a.reg_map) sets.push_back(p.first);
      std::sort(sets.begin(), sets.end());
    }
    for (std::string const& set : sets) {
      auto rs = a.reg_map.find(set);
      if (rs == a.reg_map.end()) continue;
      fprintf(f, "            <regtype name=\"%s\">" ASM_EOL, xml_attr(set).c_str());
      std::vector<std::pair<std::string, unsigned int>> regs(rs->second.begin(), rs->second.end());
      std::sort(regs.begin(), regs.end(), [](auto const& x, auto const& y) {
        return x.second != y.second ? x.second < y.second : x.first < y.first;
      });
      for (auto const& r : regs)
        fprintf(f, "                <reg name=\"%s\" value=\"%u\"/>" ASM_EOL, xml_attr(r.first).c_str(), r.second);
      fputs("            </regtype>" ASM_EOL, f);
    }
    std::vector<std::string> instrs = a.instr_order;
    if (instrs.size() != a.instr_map.size()) {
      instrs.clear();
      for (auto const& p : a.instr_map) instrs.push_back(p.first);
      std::sort(instrs.begin(), instrs.end());
    }
    for (std::string const& in : instrs) {
      auto it = a.instr_map.find(in);
      if (it == a.instr_map.end()) continue;
      fprintf(f, "            <instr name=\"%s\" code=\"0x%08X\">" ASM_EOL, xml_attr(in).c_str(), it->second.code);
      for (arg_type const& arg : it->second.arg_type_lst) {
        if (arg.type == ATO_RANGE)
          fprintf(f,
                  "                <arg type=\"ATO_RANGE\" hi_val =\"0x%08X\" lo_val =\"0x%08X\" shft_val=\"%u\" "
                  "optarg_en=\"%s\" optarg_val=\"0x%08X\">" ASM_EOL,
                  arg.hi_val, arg.lo_val, arg.shft_val, b(arg.optarg_en), arg.optarg_val);
        else
          fprintf(f, "                <arg type=\"ATO_REG\" regtype=\"%s\">" ASM_EOL, xml_attr(arg.regtype).c_str());
        for (size_t i = 0; i < arg.hi_idx.size(); ++i)
          fprintf(f, "                    <arg_idx hi_idx=\"%u\" lo_idx=\"%u\"/>" ASM_EOL, arg.hi_idx[i],
                  i < arg.lo_idx.size() ? arg.lo_idx[i] : 0u);
        fputs("                </arg>" ASM_EOL, f);
      }
      fputs("            </instr>" ASM_EOL, f);
    }
    fputs("        </arch>" ASM_EOL, f);
  }
  fputs("    </arch_list>" ASM_EOL, f);
  fputs("</asm_zqs>" ASM_EOL, f);

  // A dump cut short by a write error is no dump: do not leave the fragment behind.
  try {
    close_output(f, dump_name, "XML-dump");
  } catch (...) {
    remove_output(dump_name);
    throw;
  }
}
