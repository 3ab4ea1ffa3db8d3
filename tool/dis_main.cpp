// dis-zqs: disassembles memory images and code words, as a listing or as
// source that asm-zqs assembles back into the identical image.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "asm_arch.h"
#include "asm_dis.h"
#include "asm_image.h"
#include "asm_outfile.h"
#include "asm_utils.h"

using std::string;

namespace {

char const usage_text[] =
    "Usage:    dis-zqs [-arch ARCH] [-defs DFILE] [-base ADDR] [-ifmt c|ifs|mif|vmem] [-s] [-o OUT] IMAGE\n"
    "          dis-zqs [-arch ARCH] -w WORD...\n"
    "          dis-zqs --filter [-arch ARCH] [-defs DFILE]\n"
    "\n"
    "  IMAGE             Memory image written by asm-zqs: C array, IFS command file,\n"
    "                    MIF file or Verilog memory file; '-' reads standard input.\n"
    "  -arch ARCH        Target architecture: zqs24-1, zqs24-2, zqs24-3, zqs24-4 or\n"
    "                    zqs16-1 (default: the one the image names, else zqs24-1).\n"
    "  -defs DFILE       Definitions file (C header, IFS definitions or SystemVerilog\n"
    "                    package) whose labels name addresses.\n"
    "  -base ADDR        Byte address of the first word of a C array (default: the\n"
    "                    OFFSET of DFILE, else 0).\n"
    "  -ifmt FORMAT      Format of IMAGE: c, ifs, mif or vmem (default: recognised\n"
    "                    from its content).\n"
    "  -s                Write assembler source that asm-zqs turns back into the\n"
    "                    same image, instead of a listing.\n"
    "  -o OUT            Write to OUT instead of standard output.\n"
    "  -w WORD...        List the code words given (numbers as asm-zqs reads them).\n"
    "  --filter          Translate filter of a waveform viewer: for each line of\n"
    "                    standard input (a hexadecimal value) one line of listing\n"
    "                    text, flushed at once; a line with x or z bits or any other\n"
    "                    text comes back unchanged.\n"
    "  -h, --help        Print this usage message.\n"
    "  --version         Print version information.\n";

struct failure {
  string text;
};

struct options {
  image_read_options read;
  string image;
  bool source = false;
  bool words_mode = false;
  bool filter = false;
  bool other_than_arch = false;       // an option -w does not take
  bool other_than_arch_defs = false;  // an option --filter does not take
  string out;
  std::vector<unsigned int> words;
  bool help = false, version = false;
};

unsigned int number(string const& option, string const& text) {
  try {
    return parse_number(text);
  } catch (string const& e) {
    throw failure{"bad argument '" + message_quote(text) + "' of option '" + option + "': " + e};
  }
}

// Applies the arguments to o; o holds what was parsed when this throws.
void parse_args(int argc, char const** argv, options& o) {
  bool image_seen = false;
  for (int i = 1; i < argc; ++i) {
    string a = argv[i];
    auto value = [&]() -> string {
      if (i + 1 >= argc) throw failure{"option '" + message_quote(a) + "' requires an argument."};
      return argv[++i];
    };
    if (a == "-w") {
      o.words_mode = true;
      for (++i; i < argc; ++i) o.words.push_back(number("-w", argv[i]));
      if (o.words.empty()) throw failure{"option '-w' requires at least one word."};
    } else if (a == "--filter") {
      o.filter = true;
    } else if (a == "-arch") {
      o.read.arch = value();
    } else if (a == "-defs") {
      o.read.def_file = value();
      o.other_than_arch = true;
    } else if (a == "-base") {
      o.read.base = number(a, value());
      o.read.base_set = true;
      o.other_than_arch = o.other_than_arch_defs = true;
    } else if (a == "-ifmt") {
      o.read.format = value();
      if (o.read.format != "c" && o.read.format != "ifs" && o.read.format != "mif" && o.read.format != "vmem")
        throw failure{"bad argument of option '-ifmt': '" + message_quote(o.read.format) + "' (c, ifs, mif or vmem)."};
      o.other_than_arch = o.other_than_arch_defs = true;
    } else if (a == "-s") {
      o.source = o.other_than_arch = o.other_than_arch_defs = true;
    } else if (a == "-o") {
      o.out = value();
      o.other_than_arch = o.other_than_arch_defs = true;
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a.size() > 1 && a[0] == '-') {
      throw failure{"option '" + message_quote(a) + "' not available."};
    } else if (image_seen) {
      throw failure{"more than one image file."};
    } else {
      o.image = a;
      image_seen = true;
      o.other_than_arch = o.other_than_arch_defs = true;
    }
  }
  if (o.help || o.version) return;
  if (o.words_mode && (o.other_than_arch || o.filter)) throw failure{"option '-w' takes no other option than '-arch'."};
  if (o.filter && o.other_than_arch_defs)
    throw failure{"option '--filter' takes no image and no other options than '-arch' and '-defs'."};
  if (!o.words_mode && !o.filter && !image_seen) throw failure{"missing image file."};
  asm_arch registry;  // fills the registry
  (void)registry;
  if (!o.read.arch.empty() && !asm_arch::arch_map.count(o.read.arch))
    throw failure{"unknown architecture '" + message_quote(o.read.arch) + "'."};
}

// OUT names the image or the definitions file: never written, never removed.
bool out_is_input(options const& o) {
  if (!o.read.def_file.empty() && same_file(o.out, o.read.def_file)) return true;
  if (o.image != "-") return same_file(o.out, o.image);
#ifndef _WIN32
  // Standard input redirected from the file OUT names.
  struct stat in, out;
  return fstat(0, &in) == 0 && S_ISREG(in.st_mode) && stat(o.out.c_str(), &out) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino;
#else
  return false;  // not told here: main reads standard input before it opens OUT
#endif
}

string stdin_text() {
  string text;
  if (!read_stdin(text)) throw image_error("<stdin>", 0, "standard input cannot be read.");
  return text;
}

// The translate filter: one line out, flushed, for every line in, until the
// input ends. The viewer waits for each answer before it sends the next value.
int run_filter(options const& o) {
  arch_type* arch;
  try {
    arch = &find_arch(o.read.arch.empty() ? "zqs24-1" : o.read.arch);
  } catch (string const& e) {
    throw failure{e};
  }
  image_defs_type defs;
  if (!o.read.def_file.empty()) defs = parse_image_defs(o.read.def_file, read_image_file_text(o.read.def_file));
  dis_names_type names;
  for (image_label_type const& l : defs.labels) names.emplace(l.address, &l.name);
  string line;
  for (int c = getchar(); c != EOF || !line.empty(); c = getchar()) {
    if (c != '\n' && c != EOF) {
      line += (char)c;
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a CR LF line end
    string const text = dis_filter_text(*arch, line, names) + "\n";
    if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0)
      throw failure{"standard output cannot be written."};
    line.clear();
    if (c == EOF) break;
  }
  return 0;
}

string run(options const& o) {
  if (o.words_mode) {
    try {
      return dis_words(o.read.arch.empty() ? "zqs24-1" : o.read.arch, o.words);
    } catch (string const& e) {
      throw failure{e};
    }
  }
  image_type img = o.image == "-" ? read_image_text("<stdin>", stdin_text(), o.read)
                                  : read_image(o.image, o.read);
  for (string const& w : img.warnings) fprintf(stderr, "dis-zqs: warning: %s\n", w.c_str());
  if (!o.source) return dis_listing(img);
  if (!img.image_arch.empty() && img.image_arch != img.arch_name)
    throw image_error(o.image == "-" ? "<stdin>" : o.image, img.image_arch_line,
                      "the image is for " + message_quote(img.image_arch) + ", not " + img.arch_name +
                          ": no source of " + img.arch_name + " gives it back.");
  return dis_source(img);
}

// OUT while this run has it open, and what it was when opened.
struct output_file {
  string name;
  FILE* f = nullptr;
  output_identity id;

  void open() {
    f = open_for_writing(name);
    if (f) {
      id = identity_of(f);
      return;
    }
    struct stat st;
    if (errno == ENXIO && stat(name.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
      throw image_error(name, 0, "file cannot be written: no process reads the FIFO.");
    throw image_error(name, 0, "file cannot be written.");
  }

  // Writes the text with the line ends of generated files, and closes.
  void write(string const& text) {
    bool ok;
    if (sizeof(ASM_EOL) == 2) {
      ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    } else {
      string t;
      t.reserve(text.size() + text.size() / 16);
      for (char c : text) c == '\n' ? t += ASM_EOL : t += c;
      ok = fwrite(t.data(), 1, t.size(), f) == t.size();
    }
    ok = fclose(f) == 0 && ok;
    f = nullptr;
    if (!ok) throw image_error(name, 0, "file cannot be written.");
  }

  // After a failure: only a regular file this run created or truncated goes.
  void discard() {
    if (f) fclose(f);
    f = nullptr;
    remove_if_same(name, id);
  }
};

}  // namespace

int main(int argc, char const** argv) {
  options o;
  output_file out;
  try {
    parse_args(argc, argv, o);
    if (o.version) {
      fputs(ASM_PROGRAM_VERSION("dis-zqs"), stdout);
      return 0;
    }
    if (o.help) {
      fputs(usage_text, stdout);
      return 0;
    }
    // OUT is opened before the input is read, so that a FIFO without a reader
    // fails at once; on Windows, where the file standard input comes from
    // cannot be told, after it, so that opening OUT cannot empty the input.
    bool open_first = true;
#ifdef _WIN32
    open_first = o.image != "-";
#endif
    if (!o.out.empty()) {
      if (out_is_input(o)) throw failure{"output file '" + message_quote(o.out) + "' is an input file."};
      out.name = o.out;
      if (open_first) out.open();
    }
    if (o.filter) return run_filter(o);
    string text = run(o);
    if (!o.out.empty() && !out.f) out.open();
    if (!out.f) {
      if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0)
        throw failure{"standard output cannot be written."};
      return 0;
    }
    out.write(text);
    return 0;
  } catch (failure const& f) {
    fprintf(stderr, "dis-zqs: %s\n", f.text.c_str());
  } catch (image_error const& e) {
    fprintf(stderr, "dis-zqs: %s\n", e.what());
  } catch (std::bad_alloc const&) {
    fprintf(stderr, "dis-zqs: out of memory.\n");
  }
  out.discard();
  return 1;
}
