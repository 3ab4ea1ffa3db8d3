// Parameters of a run: defaults, option parsing, usage and version texts.
#include <cstdio>

#include "asm_passes.h"

void asm_passes::reset_cmd_line_param() {
  flag_version = flag_help = flag_warn = flag_xml_dump = false;
  max_addr = 0x17FC;
  case_sens_sym = c_header_inc = c_extern_stmt = false;
  c_output_type = "unsigned long";
  input_file_name.clear();
  output_file_name.clear();
  arch_name = "zqs24-1";
  output_label = "zqs0_mem";
  output_format = "c";
  def_file_name.clear();
  log_file_name.clear();
  inc_file_list.clear();
  md_file_name.clear();
}

void asm_passes::parse_cmd_line(int argc, char const** argv, std::string file, unsigned int line) {
  auto fatal = [&](std::string const& text) {
    asm_module::post_msg(text, asm_module::MLV_FATAL, file, line);
  };
  // Fetches the value of option argv[i]; fatal when it is the last argument.
  auto value = [&](int i) -> std::string {
    if (i + 1 >= argc) fatal(std::string("Command line option '") + argv[i] + "' requires argument.");
    return argv[i + 1];
  };
  auto bad = [&](char const* opt) {
    fatal(std::string("Bad argument of command line option '") + opt + "'.");
  };
  int i = 1;
  while (i < argc) {
    std::string a = argv[i];
    int step = 2;
    if (a == "-o") {
      output_file_name = value(i);
    } else if (a == "-ofmt") {
      std::string v = value(i);
      if (v != "c" && v != "ifs" && v != "mif" && v != "vmem") bad("-ofmt");
      output_format = v;
    } else if (a == "-olbl") {
      std::string v = value(i);
      if (!is_identifier(v)) bad("-olbl");
      output_label = v;
    } else if (a == "-arch") {
      std::string v = value(i);
      if (!asm_arch::arch_map.count(v)) bad("-arch");
      arch_name = v;
    } else if (a == "-odef") {
      def_file_name = value(i);
    } else if (a == "-log") {
      log_file_name = value(i);
    } else if (a == "-adrmax") {
      std::string v = value(i);
      try {
        max_addr = parse_number(v);
      } catch (std::string const& why) {
        fatal("Bad argument of command line option '-adrmax':" + why);
      }
    } else if (a.compare(0, 2, "-I") == 0) {
      if (a.size() > 2) {
        inc_file_list.push_back(a.substr(2));
        step = 1;
      } else {
        inc_file_list.push_back(value(i));
      }
    } else if (a == "-otyp") {
      c_output_type = value(i);
    } else if (a == "--MD") {
      md_file_name = value(i);
    } else {
      step = 1;
      if (a == "-syzqs") case_sens_sym = true;
      else if (a == "-hinc") c_header_inc = true;
      else if (a == "-xtern") c_extern_stmt = true;
      else if (a == "--version") flag_version = true;
      else if (a == "--xmldump") flag_xml_dump = true;
      else if (a == "-W") flag_warn = true;
      else if (a == "-h" || a == "--help") flag_help = true;
      else if (!a.empty() && a[0] == '-') fatal("Command line option '" + a + "' not available.");
      else if (input_file_name.empty()) input_file_name = a;
      else fatal("Multiple source files are not supported.");
    }
    i += step;
  }
  if (flag_version || flag_help) return;
  if (input_file_name.empty()) fatal("Missing source file name.");
  if (output_file_name.empty()) {
    std::string name = input_file_name;
    size_t p = name.rfind(".zqs");
    if (p != std::string::npos) name.erase(p);
    if (output_format == "c") name += ".c";
    else if (output_format == "ifs") name += ".ifs";
    else if (output_format == "mif") name += ".mif";
    else if (output_format == "vmem") name += ".vmem";
    output_file_name = name;
  }
}

std::string asm_passes::version_text() {
  return std::string(ASM_TOOL_NAME) + " " + ASM_SHORT_NAME + " version " + ASM_VERSION + "\n" +
         "build on " + __DATE__ + " at " + __TIME__ + "\n" + ASM_VENDOR + "\n" + ASM_NOTICE + "\n";
}

void asm_passes::print_version() { fputs(version_text().c_str(), stdout); }

void asm_passes::print_usage(char const* program_name) {
  fputs(usage_text(program_name).c_str(), stdout);
}

std::string asm_passes::usage_text(char const* program_name) {
  std::string t = std::string("Usage:    ") + program_name + " [<OPTIONS>] <ASMFILE>\n";
  t += "    \n"
        "  <ASMFILE>           Assembler source file\n"
        "   \n"
        "  <OPTIONS>           List of available tool options:\n"
        "     -arch <ARCH>     Select desired target architecture:\n";
  for (std::string const& name : asm_arch::ordered_names()) {
    arch_type const& a = asm_arch::arch_map[name];
    std::string w = num2str(a.data_width), v = num2str(a.version);
    t += "                      <ARCH> with 'zqs" + w + "-" + v + "' uses " + w +
         "-bit ZQS architecture v" + v + ".\n";
  }
  t +=
      "                      (Default value for <ARCH> is 'zqs24-1').\n"
      "     -o  <OFILE>      Generate output file with name <OFILE>. Default value\n"
      "                      is source filename with appropriate file extension.\n"
      "     -ofmt <OFMT>     Select desired output format of assembler results.\n"
      "                      If <OFMT> is 'c' a C file is geneated (default option).\n"
      "                      If <OFMT> is 'ifs' an IFS command file is generated.\n"
      "                      If <OFMT> is 'mif' a MIF file is geneated.\n"
      "     -olbl  <LABEL>   Use output label <LABEL> as memory initialization\n"
      "                      variable in generated file <OFILE> (default is zqs0_mem).\n"
      "     -odef  <DFILE>   Generate an additional file named <DFILE> that contains\n"
      "                      symbolic definitions about labels used in <ASMFILE>.\n"
      "     -log  <LFILE>    Generate an additional log file <LFILE> that reports\n"
      "                      detailed information about the assembling procedure.\n"
      "     -adrmax <ADDR>   Define maximum address <ADDR> for assembling procedure.\n"
      "                      (Default value is 0x17FC).\n"
      "     -I <INCDIR>      Append directory <INCDIR> to the list of directories\n"
      "                      that are used for searching included files.\n"
      "     -otyp <TYPE>     Define output type <TYEPE> with optional qualifiers for\n"
      "                      C array if <OFMT> is 'c' (default is 'unsigned long').\n"
      "     -hinc            Add include statement for C header <DFILE> into <OFILE>\n"
      "                      if <OFMT> is 'c' (default is no include statement).\n"
      "     -xtern           Add extern statement for C array definition into <DFILE>\n"
      "                      if <OFMT> is 'c' (default is no extern statement).\n"
      "     -syzqs           Use case sensitive symbolic names in a generated <DFILE>.\n"
      "                      Default option generates upper case symbolic names.\n"
      "     -W               Print all warnings at the end of successfull assembling.\n"
      "                      Default option prints warnings only if an error occured.\n"
      "     --version        Print version information.\n"
      "     -h, --help       Print this usage message.\n"
      "\n";
  return t;
}
