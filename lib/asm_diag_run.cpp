// The program's diagnostics options and the writing of their file.
#include "asm_diag_run.h"

#include <cstdio>

#include "asm_outfile.h"
#include "asm_passes.h"

diag_request take_diag_options(int argc, char const** argv) {
  diag_request d;
  if (argc > 0) d.args.push_back(argv[0]);
  bool format_given = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a != "--diagnostics" && a != "--diagnostics-file") {
      d.args.push_back(argv[i]);
      continue;
    }
    if (i + 1 >= argc) {
      if (d.error.empty()) d.error = "Command line option '" + a + "' requires argument.";
      break;
    }
    std::string v = argv[++i];
    if (a == "--diagnostics-file") {
      d.file = v;
      d.to_file = true;
    } else if (parse_diag_format(v, d.format)) {
      format_given = true;
    } else if (d.error.empty()) {
      d.error = "Bad argument of command line option '--diagnostics'.";
    }
  }
  if (d.to_file && !format_given) d.format = diag_format::gnu;
  if (!d.error.empty()) d.format = diag_format::none;  // reported as any bad option is
  return d;
}

namespace {

// The refusal or failure text for the file, or "" when it may be written.
std::string check_file(asm_passes& p, std::string const& name) {
  if (p.is_source_file(name)) return "Refusing to overwrite source file '" + name + "'.";
  if (output_is_device(name)) return "";
  std::vector<std::string> outputs = {p.output_file_name, p.log_file_name, p.md_file_name};
  if (p.output_format != "mif") outputs.push_back(p.def_file_name);  // MIF writes none
  if (p.flag_xml_dump) outputs.push_back("dump.xml");
  for (std::string const& o : outputs)
    if (same_file(name, o)) return "Refusing to write two outputs into file '" + name + "'.";
  return "";
}

bool write_text(std::string const& name, std::string const& text, std::string& why) {
  FILE* f = open_for_writing(name);
  if (!f) {
    why = "Unable to create diagnostics file '" + name + "'.";
    return false;
  }
  // The line ends of generated files.
  std::string t;
  for (char c : text) c == '\n' ? t += ASM_EOL : t += c;
  bool ok = fwrite(t.data(), 1, t.size(), f) == t.size();
  ok = fclose(f) == 0 && ok;
  if (!ok) why = "Unable to write diagnostics file '" + name + "'.";
  return ok;
}

}  // namespace

int write_diagnostics(asm_passes& p, diag_request const& d, int status) {
  // The run has located its messages (asm_zqs_run).
  std::string text = format_diagnostics(asm_module::msg_lst, d.format);
  std::string why;
  if (!d.to_file) {
    fwrite(text.data(), 1, text.size(), stderr);
  } else {
    why = check_file(p, d.file);
    if (why.empty()) write_text(d.file, text, why);
  }
  if (why.empty()) return status;
  std::string line = "asm-zqs: error: " + why + "\n";
  fwrite(line.data(), 1, line.size(), stderr);
  return 1;
}
