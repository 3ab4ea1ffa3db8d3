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

namespace {

std::string const ACCEPTED;

std::string bad_argument(char const* opt) { return std::string("Bad argument of command line option '") + opt + "'."; }

}  // namespace

std::vector<cmd_option_type> const& cmd_options() {
  using P = asm_passes;
  using V = std::string const&;
  static std::vector<cmd_option_type> const options{
      {{"-arch"}, true, "-arch <ARCH>",
       {"Select desired target architecture:", "(Default value for <ARCH> is 'zqs24-1')."},
       [](P& p, V v) {
         if (!asm_arch::arch_map.count(v)) return bad_argument("-arch");
         p.arch_name = v;
         return ACCEPTED;
       }},
      {{"-o"}, true, "-o  <OFILE>",
       {"Generate output file with name <OFILE>. Default value",
        "is source filename with appropriate file extension."},
       [](P& p, V v) { p.output_file_name = v; return ACCEPTED; }},
      {{"-ofmt"}, true, "-ofmt <OFMT>",
       {"Select desired output format of assembler results.",
        "If <OFMT> is 'c' a C file is geneated (default option).",
        "If <OFMT> is 'ifs' an IFS command file is generated.", "If <OFMT> is 'mif' a MIF file is geneated."},
       [](P& p, V v) {
         if (v != "c" && v != "ifs" && v != "mif" && v != "vmem") return bad_argument("-ofmt");
         p.output_format = v;
         return ACCEPTED;
       }},
      {{"-olbl"}, true, "-olbl  <LABEL>",
       {"Use output label <LABEL> as memory initialization",
        "variable in generated file <OFILE> (default is zqs0_mem)."},
       [](P& p, V v) {
         if (!is_identifier(v)) return bad_argument("-olbl");
         p.output_label = v;
         return ACCEPTED;
       }},
      {{"-odef"}, true, "-odef  <DFILE>",
       {"Generate an additional file named <DFILE> that contains",
        "symbolic definitions about labels used in <ASMFILE>."},
       [](P& p, V v) { p.def_file_name = v; return ACCEPTED; }},
      {{"-log"}, true, "-log  <LFILE>",
       {"Generate an additional log file <LFILE> that reports",
        "detailed information about the assembling procedure."},
       [](P& p, V v) { p.log_file_name = v; return ACCEPTED; }},
      {{"-adrmax"}, true, "-adrmax <ADDR>",
       {"Define maximum address <ADDR> for assembling procedure.", "(Default value is 0x17FC)."},
       [](P& p, V v) {
         try {
           p.max_addr = parse_number(v);
         } catch (std::string const& why) {
           return "Bad argument of command line option '-adrmax':" + why;
         }
         return ACCEPTED;
       }},
      {{"-I"}, true, "-I <INCDIR>",
       {"Append directory <INCDIR> to the list of directories",
        "that are used for searching included files."},
       [](P& p, V v) { p.inc_file_list.push_back(v); return ACCEPTED; }},
      {{"-otyp"}, true, "-otyp <TYPE>",
       {"Define output type <TYEPE> with optional qualifiers for",
        "C array if <OFMT> is 'c' (default is 'unsigned long')."},
       [](P& p, V v) { p.c_output_type = v; return ACCEPTED; }},
      {{"-hinc"}, false, "-hinc",
       {"Add include statement for C header <DFILE> into <OFILE>",
        "if <OFMT> is 'c' (default is no include statement)."},
       [](P& p, V) { p.c_header_inc = true; return ACCEPTED; }},
      {{"-xtern"}, false, "-xtern",
       {"Add extern statement for C array definition into <DFILE>",
        "if <OFMT> is 'c' (default is no extern statement)."},
       [](P& p, V) { p.c_extern_stmt = true; return ACCEPTED; }},
      {{"-syzqs"}, false, "-syzqs",
       {"Use case sensitive symbolic names in a generated <DFILE>.",
        "Default option generates upper case symbolic names."},
       [](P& p, V) { p.case_sens_sym = true; return ACCEPTED; }},
      {{"-W"}, false, "-W",
       {"Print all warnings at the end of successfull assembling.",
        "Default option prints warnings only if an error occured."},
       [](P& p, V) { p.flag_warn = true; return ACCEPTED; }},
      {{"--version"}, false, "--version", {"Print version information."},
       [](P& p, V) { p.flag_version = true; return ACCEPTED; }},
      {{"-h", "--help"}, false, "-h, --help", {"Print this usage message."},
       [](P& p, V) { p.flag_help = true; return ACCEPTED; }},
      {{"--MD"}, true, nullptr, {}, [](P& p, V v) { p.md_file_name = v; return ACCEPTED; }},
      {{"--xmldump"}, false, nullptr, {}, [](P& p, V) { p.flag_xml_dump = true; return ACCEPTED; }},
  };
  return options;
}

std::string cmd_option_description(cmd_option_type const& o) {
  std::string d;
  for (char const* line : o.usage_lines) d += (d.empty() ? "" : " ") + std::string(line);
  return d;
}

void asm_passes::parse_cmd_line(int argc, char const** argv, std::string file, unsigned int line) {
  auto fatal = [&](std::string const& text) {
    asm_module::post_msg(text, asm_module::MLV_FATAL, file, line);
  };
  auto find = [](std::string const& a) -> cmd_option_type const* {
    for (cmd_option_type const& o : cmd_options())
      for (char const* name : o.names)
        if (a == name) return &o;
    return nullptr;
  };
  int i = 1;
  while (i < argc) {
    std::string a = argv[i];
    cmd_option_type const* o = find(a);
    if (o && o->takes_value) {
      if (i + 1 >= argc) fatal(std::string("Command line option '") + argv[i] + "' requires argument.");
      std::string const why = o->apply(*this, argv[i + 1]);
      if (!why.empty()) fatal(why);
      i += 2;
      continue;
    }
    if (o) o->apply(*this, "");
    else if (a.compare(0, 2, "-I") == 0) inc_file_list.push_back(a.substr(2));  // -I and its folder in one word
    else if (!a.empty() && a[0] == '-') fatal("Command line option '" + a + "' not available.");
    else if (input_file_name.empty()) input_file_name = a;
    else fatal("Multiple source files are not supported.");
    ++i;
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
        "  <OPTIONS>           List of available tool options:\n";
  std::string arch_lines;
  for (std::string const& name : asm_arch::ordered_names()) {
    arch_type const& a = asm_arch::arch_map[name];
    std::string w = num2str(a.data_width), v = num2str(a.version);
    arch_lines += "                      <ARCH> with 'zqs" + w + "-" + v + "' uses " + w +
         "-bit ZQS architecture v" + v + ".\n";
  }
  for (cmd_option_type const& o : cmd_options()) {
    if (!o.usage_head) continue;
    std::string head = std::string("     ") + o.usage_head;
    head.resize(22, ' ');
    for (size_t k = 0; k < o.usage_lines.size(); ++k) {
      t += (k ? std::string(22, ' ') : head) + o.usage_lines[k] + "\n";
      if (k == 0 && std::string(o.names[0]) == "-arch") t += arch_lines;  // the registry's architectures
    }
  }
  t += "\n";
  return t;
}
