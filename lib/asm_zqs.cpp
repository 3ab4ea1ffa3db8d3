// The tool as one function: one run from command line to report.
#include "asm_zqs.h"

#include <cstdio>

#include "asm_diag_run.h"
#include "asm_lock.h"
#include "asm_passes.h"
#include "asm_run.h"

// The message list and the summary line.
static void print_report(std::string& out) {
  out += asm_module::print_msg_list();
  unsigned int errors = asm_module::get_msg_count(asm_module::MLV_ERROR) +
                        asm_module::get_msg_count(asm_module::MLV_FATAL);
  unsigned int warnings = asm_module::get_msg_count(asm_module::MLV_WARNING);
  out += "\nasm-zqs finished with " + num2str(errors) + " error(s) and " + num2str(warnings) +
         " warning(s).\n\n";
}

static void warn(char const* text) {
  asm_module::post_msg(text, asm_module::MLV_WARNING, "", 0);
}

// Everything of a run that lies under the failure handlers.
static void run(asm_passes& p, int argc, char const** argv, bool& in_dump, std::string& out,
                run_options const& opt) {
  p.reset_cmd_line_param();
  if (!opt.fatal.empty()) asm_module::post_msg(opt.fatal, asm_module::MLV_FATAL, "", 0);
  p.parse_cmd_line(argc, argv, "", 0);
  if (p.flag_version) {
    out += p.version_text();
  } else if (p.flag_help) {
    out += p.usage_text("asm-zqs");
  } else {
    p.run_frontend();
    // Only now are all sources known: never let an output replace one of them.
    p.check_output_names();
    if (p.write_files) p.remove_outputs();
    p.run_assemble_pass1();
    p.run_assemble_pass2();
    if (!p.write_image || !p.write_files) {
      // The host takes the words itself.
    } else if (p.output_format == "c") {
      p.run_c_backend_pass();
    } else if (p.output_format == "ifs") {
      p.run_ifs_backend_pass();
    } else if (p.output_format == "mif") {
      p.run_mif_backend_pass();
    } else if (p.output_format == "vmem") {
      p.run_vmem_backend_pass();
    }
    if (!p.def_file_name.empty()) {
      if (p.output_format == "c") {
        if (p.write_files) p.run_c_def_backend_pass();
      } else if (p.output_format == "ifs") {
        if (p.write_files) p.run_ifs_def_backend_pass();
      } else if (p.output_format == "vmem") {
        if (p.write_files) p.run_svh_def_backend_pass();
      } else if (p.output_format == "mif") warn("Command line option '-odef' ignored for output format MIF.");
    }
    bool c_with_def = p.output_format == "c" && !p.def_file_name.empty();
    if (p.c_output_type != "unsigned long" && p.output_format != "c")
      warn("Command line option '-otyp' ignored for output formats other than C.");
    if (p.c_header_inc && !c_with_def)
      warn("Command line option '-hinc' only applicable for value c of option -ofmt in conjunction with option -odef.");
    if (p.c_extern_stmt && !c_with_def)
      warn("Command line option '-xtern' only applicable for value c of option -ofmt in conjunction with option -odef.");
    if (!p.log_file_name.empty() && p.write_files) p.run_log_backend_pass();
    if (!p.md_file_name.empty() && p.write_files) p.run_md_backend_pass();
  }
  if (p.flag_warn && opt.report) print_report(out);
  if (p.flag_xml_dump && p.write_files) {
    in_dump = true;
    p.run_xml_dump_pass();
  }
}

// The failed run's files go; the dump is still written if asked for.
static void clean_up(asm_passes& p, bool in_dump) {
  if (!p.write_files) return;
  p.remove_outputs();
  if (p.flag_xml_dump && !in_dump) {
    try {
      p.run_xml_dump_pass();
    } catch (...) {
      // Its fatal message is in the list and gets printed with the report.
    }
  }
}

// The run and its failure handlers.
static int run_caught(asm_passes& p, int argc, char const** argv, std::string& out,
                      run_options const& opt) {
  bool in_dump = false;
  try {
    run(p, argc, argv, in_dump, out, opt);
    return 0;
  } catch (std::string const& e) {
    clean_up(p, in_dump);
    if (e != MSG_FATAL_THROW && e != PASS_ERROR_THROW) out += "INTERNAL ERROR>" + e + "\n";
    else if (opt.report) print_report(out);
  } catch (...) {
    clean_up(p, in_dump);
    out += "INTERNAL ERROR occured.\n";
  }
  return 1;
}

int asm_zqs_run(asm_passes& p, int argc, char const** argv, std::string& out,
                run_options const& opt) {
  // A run of its own, as in a new process: messages of an earlier call in the
  // same host would otherwise count as this run's errors.
  asm_module::clear_msg_list();
  int status = run_caught(p, argc, argv, out, opt);
  p.locate_messages();
  return status;
}

int asm_zqs_main(int argc, char const** argv) {
  asm_api_lock lock(asm_api_mutex());
  asm_passes p;
  // --diagnostics and --diagnostics-file belong to the program, not to a
  // .cmdline directive or a host: they leave argv before the option parse.
  diag_request diag = take_diag_options(argc, argv);
  run_options opt;
  opt.report = diag.format == diag_format::none;
  opt.fatal = diag.error;
  std::string out;
  int status = asm_zqs_run(p, (int)diag.args.size(), diag.args.data(), out, opt);
  // Every byte: a message may hold a NUL byte (from a file name, say).
  fwrite(out.data(), 1, out.size(), stdout);
  fflush(stdout);
  if (diag.format != diag_format::none) status = write_diagnostics(p, diag, status);
  return status;
}
