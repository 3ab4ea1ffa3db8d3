// zqs-cov: program coverage from traces of executed addresses. Assembles the
// source as asm-zqs would (no image written), counts every traced address
// against its words, prints a summary per source file and can write an lcov
// tracefile; the DPI-C shim writes the same file from inside a simulation.
#include <cstdio>
#include <string>
#include <vector>

#include "asm_cover.h"
#include "asm_outfile.h"
#include "asm_utils.h"
#include "asm_zqs_c.h"

using std::string;

namespace {

char const usage_text[] =
    "Usage:    zqs-cov [ASM-ZQS OPTIONS] SOURCE --trace TRACE... [-o OUT.info]\n"
    "\n"
    "  SOURCE and the options before it are those of asm-zqs (no image is written).\n"
    "  --trace TRACE...  Files of executed byte addresses, one a line: 0x hexadecimal,\n"
    "                    8 hexadecimal digits (as %h writes them) or decimal; '#'\n"
    "                    starts a comment; '-' reads standard input. Several add up.\n"
    "  -o OUT.info       Write the counts as an lcov tracefile (for genhtml).\n"
    "  -h, --help        Print this usage message.\n"
    "  --version         Print version information.\n"
    "\n"
    "Prints per source file the lines executed of the lines placing words, the\n"
    "labels never reached and the executions at addresses outside the program.\n";

struct failure {
  string text;
};

struct options {
  std::vector<char const*> asm_args;
  std::vector<string> traces;
  string out;
  bool help = false, version = false;
};

options parse_args(int argc, char const** argv) {
  options o;
  bool trace_option = false;
  for (int i = 1; i < argc; ++i) {
    string a = argv[i];
    bool in_traces = false;
    if (a == "--trace") {
      trace_option = true;
      for (; i + 1 < argc && (argv[i + 1][0] != '-' || string(argv[i + 1]) == "-"); ++i, in_traces = true)
        o.traces.push_back(argv[i + 1]);
      if (!in_traces) throw failure{"option '--trace' requires at least one file."};
    } else if (a == "-o") {
      if (i + 1 >= argc) throw failure{"option '-o' requires an argument."};
      o.out = argv[++i];
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else {
      o.asm_args.push_back(argv[i]);
    }
  }
  if (!o.help && !o.version && !trace_option) throw failure{"missing option '--trace'."};
  return o;
}

string read_trace(string const& name) {
  string text;
  if (name == "-") {
    if (read_stdin(text)) return text;
  } else if (FILE* f = fopen(name.c_str(), "rb")) {
    bool ok = read_stream(f, text);
    if (fclose(f) == 0 && ok) return text;
  }
  throw failure{"trace file '" + message_quote(name) + "' cannot be read."};
}

// Assembles, counts and reports; the program is freed by the caller.
int run(options const& o, zqs_program*& prog) {
  for (string const& t : o.traces)
    if (!o.out.empty() && t != "-" && same_file(o.out, t))
      throw failure{"output file '" + message_quote(o.out) + "' is an input file."};
  std::vector<std::vector<uint32_t>> traces;  // read first: a bad trace costs no assembly
  for (string const& t : o.traces) {
    try {
      traces.push_back(cover_read_trace(t == "-" ? "<stdin>" : t, read_trace(t)));
    } catch (string const& e) {
      throw failure{e};
    }
  }
  int status = zqs_assemble_file((int)o.asm_args.size(), o.asm_args.data(), &prog);
  fputs(zqs_program_report(prog), stderr);
  if (status != 0) return 1;
  for (auto const& trace : traces)
    for (uint32_t a : trace) zqs_program_cover(prog, a);
  if (!o.out.empty()) {
    char msg[4096];
    if (zqs_program_write_coverage(prog, o.out.c_str(), msg, sizeof msg) != 0) throw failure{msg};
  }
  string const summary = zqs_program_coverage_summary(prog);
  if (fwrite(summary.data(), 1, summary.size(), stdout) != summary.size() || fflush(stdout) != 0)
    throw failure{"standard output cannot be written."};
  return 0;
}

}  // namespace

int main(int argc, char const** argv) {
  zqs_program* prog = nullptr;
  int status = 1;
  try {
    options o = parse_args(argc, argv);
    if (o.version) {
      fputs(ASM_PROGRAM_VERSION("zqs-cov"), stdout);
      return 0;
    }
    if (o.help) {
      fputs(usage_text, stdout);
      return 0;
    }
    status = run(o, prog);
  } catch (failure const& f) {
    fprintf(stderr, "zqs-cov: %s\n", f.text.c_str());
  } catch (std::bad_alloc const&) {
    fprintf(stderr, "zqs-cov: out of memory.\n");
  }
  zqs_program_free(prog);
  return status;
}
