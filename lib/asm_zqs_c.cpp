// The C interface (asm_zqs_c.h) over the library's C++ functions: results and
// failure texts are the same; no exception leaves, nothing goes to stdout.
#include "asm_zqs_c.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "asm_codes.h"
#include "asm_cover.h"
#include "asm_dis.h"
#include "asm_image.h"
#include "asm_lock.h"
#include "asm_outfile.h"
#include "asm_passes.h"
#include "asm_run.h"
#include "asm_utils.h"
#include "asm_zqs.h"

struct zqs_program {
  struct word_type {
    uint32_t address;
    uint32_t code;
    char const* file;  // into files
    unsigned int line;
    char const* text;  // the source line (into texts), "" for an image's word
  };
  struct label_type {
    std::string name;
    uint32_t address;
  };
  struct message_type {
    int level;
    std::string code;
    std::string text;
    std::string file;
    src_range where;  // line: the report's when there is no column
    std::vector<include_site> included_from;
  };
  std::vector<word_type> words;
  std::vector<label_type> labels;
  std::vector<message_type> messages;
  std::set<std::string> files;  // each file name once; the words point into it
  std::deque<std::string> texts;  // each source line that places words, once
  std::map<std::string, std::string> paths;  // file name -> absolute path
  // Coverage: executions per word (sized on the first count), and elsewhere.
  std::vector<uint64_t> hits;
  cover_outside outside;
  mutable std::string coverage, summary;
  std::string report;
  std::string arch;  // the architecture of the words; empty when there is none
  // The listing and its parts per word, made on the first request (under the
  // library lock).
  mutable bool listed = false;
  mutable std::string listing;
  mutable bool parted = false;
  mutable std::vector<std::string> parts;
};

namespace {

char const* const NULL_ARGUMENT = "ASM-ZQS argument must not be NULL.";
char const* const INTERNAL_ERROR = "ASM-ZQS INTERNAL ERROR occured.";
char const* const EMPTY_ARCH = "ASM-ZQS architecture name must not be empty.";
char const* const EMPTY_DEFS = "ASM-ZQS definitions file name must not be empty.";

// Copies text into buf, cut to size, always NUL-terminated (nothing for size 0).
void copy_out(std::string const& text, char* buf, size_t size) {
  if (!buf || size == 0) return;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(buf, text.data(), n);
  buf[n] = '\0';
}

// Runs f, which gives a text; the text or the failure text goes to buf.
template <typename F>
int text_call(char* buf, size_t size, F f) {
  try {
    copy_out(f(), buf, size);
    return 0;
  } catch (std::string const& e) {
    copy_out(e, buf, size);
  } catch (...) {
    copy_out(INTERNAL_ERROR, buf, size);
  }
  return 1;
}

// Labels by address, then by the name as handed out.
void sort_labels(zqs_program& prog) {
  std::stable_sort(prog.labels.begin(), prog.labels.end(), [](auto const& a, auto const& b) {
    return a.address != b.address ? a.address < b.address : a.name < b.name;
  });
}

// The lines of a source (line ends and a last carriage return cut off).
std::vector<std::string> source_lines(source_file f) {
  std::vector<std::string> lines(1);
  for (int c; f && (c = f.get()) != EOF;) {
    if (c == '\n') lines.emplace_back();
    else lines.back() += (char)c;
  }
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return lines;
}

// The file's absolute path as the run opened it.
std::string opened_path(asm_passes& p, std::string const& name) {
  auto it = p.source_path.find(name);
  return absolute_path(it != p.source_path.end() ? it->second : name);
}

// The words and labels of a finished run, and the text of each line that
// placed words, read back from the sources as the log does.
void take_result(asm_passes& p, zqs_program& prog) {
  prog.arch = p.arch_name;  // as selected by -arch or .cmdline, checked by the run
  prog.words.reserve(p.ir.asm_list.size());
  char const* last = nullptr;
  std::map<char const*, std::vector<std::string>> lines;  // of each file
  std::map<std::pair<char const*, unsigned int>, char const*> texts;
  for (asm_record const& r : p.ir.asm_list) {
    if (!last || r.file != last) {
      std::string name(r.file);
      last = prog.files.insert(name).first->c_str();
      std::string& path = prog.paths[name];
      if (path.empty()) {
        path = opened_path(p, name);
        // A FIFO or device was read once by the run: opening it again would
        // wait for a writer. Only regular files give their lines back.
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) lines[last] = source_lines(p.open_source_path(path));
      }
    }
    char const*& text = texts[{last, r.line}];
    if (!text) {
      std::vector<std::string> const& all = lines[last];
      prog.texts.push_back(r.line - 1 < all.size() ? all[r.line - 1] : std::string());
      text = prog.texts.back().c_str();
    }
    prog.words.push_back({r.address, r.code, last, r.line, text});
  }
  for (asm_passes::sym_entry const* e : p.sorted_symbols(true))
    prog.labels.push_back({p.label_name(e->first), e->second.value});
  sort_labels(prog);
}

// The messages of the run as located by locate_messages; the caller holds
// the library lock.
void take_messages(zqs_program& prog) {
  for (asm_module::msg_element const& m : asm_module::msg_lst) {
    msg_code_type const* row = message_code(m.text);
    src_range where = m.where;
    if (!where.known()) where = {m.file.empty() ? 0 : m.line, 0, 0, 0};
    prog.messages.push_back({m.level, row ? row->code : "ZQS0000", m.text,
                             m.path.empty() ? m.file : m.path, where, m.included_from});
  }
}

// The words and labels of an image: no source file, line 0. Labels keep the
// reader's order (by address, then as the definitions file lists them), the
// order in which dis-zqs lists them and picks the name of an address.
void take_image(image_type const& img, zqs_program& prog) {
  prog.arch = img.arch_name;  // the one given, else the image's, else zqs24-1
  char const* none = prog.files.insert("").first->c_str();
  prog.words.reserve(img.words.size());
  for (image_word_type const& w : img.words) prog.words.push_back({w.address, w.code, none, 0, none});
  for (image_label_type const& l : img.labels) prog.labels.push_back({l.name, l.address});
}

// The program as an image, for the library's listing.
image_type as_image(zqs_program const& prog) {
  image_type img;
  img.arch_name = prog.arch;
  img.words.reserve(prog.words.size());
  for (zqs_program::word_type const& w : prog.words) img.words.push_back({w.address, w.code, w.line});
  for (zqs_program::label_type const& l : prog.labels) img.labels.push_back({l.name, l.address, 0});
  return img;
}

// Makes the program's listing once; the caller holds the library lock.
void make_listing(zqs_program const& prog) {
  if (prog.listed) return;
  if (!prog.arch.empty()) prog.listing = dis_listing(as_image(prog));
  prog.listed = true;
}

// Cuts the listing after each word's line (the last part runs to the end).
// Only word lines start with the word's address and value: label names hold
// no blanks, gap lines start with ';'.
void make_parts(zqs_program const& prog) {
  if (prog.parted) return;
  make_listing(prog);
  std::string const& text = prog.listing;
  size_t start = 0, pos = 0;
  for (size_t i = 0; i < prog.words.size() && pos < text.size(); ++i) {
    std::string head = hex8(prog.words[i].address) + "  " + hex8(prog.words[i].code) + "  ";
    while (pos < text.size() && text.compare(pos, head.size(), head) != 0) pos = text.find('\n', pos) + 1;
    if (pos >= text.size()) break;  // every word has its line: not reached
    size_t end = i + 1 == prog.words.size() ? text.size() : text.find('\n', pos) + 1;
    prog.parts.push_back(text.substr(start, end - start));
    start = pos = end;
  }
  prog.parted = true;
}

// The position of the word at address, or -1 (the words ascend).
long find_word(zqs_program const& prog, uint32_t address) {
  auto it = std::lower_bound(prog.words.begin(), prog.words.end(), address,
                             [](zqs_program::word_type const& w, uint32_t a) { return w.address < a; });
  return it != prog.words.end() && it->address == address ? it - prog.words.begin() : -1;
}

// The program's words with their counts and source paths, for asm_cover.
std::vector<cover_word> cover_words(zqs_program const& prog) {
  std::vector<cover_word> out;
  out.reserve(prog.words.size());
  for (size_t i = 0; i < prog.words.size(); ++i) {
    zqs_program::word_type const& w = prog.words[i];
    auto path = prog.paths.find(w.file);
    out.push_back({w.address, w.file, path == prog.paths.end() ? "" : path->second, w.line,
                   i < prog.hits.size() ? prog.hits[i] : 0});
  }
  return out;
}

// The refusal of a coverage file that is one of the program's sources.
std::string refuse_source(zqs_program const& prog, std::string const& path) {
  for (auto const& f : prog.paths)
    if (same_file(path, f.first) || same_file(path, f.second))
      return "Refusing to overwrite source file '" + path + "'.";
  return "";
}

// Hands out a new program filled by fill (which returns the status). Whatever
// goes wrong on the way, the caller gets a program holding the report.
template <typename F>
int new_program(zqs_program** out, F fill) {
  if (out) *out = nullptr;
  zqs_program* prog = nullptr;
  int status = 1;
  try {
    prog = new zqs_program;
    status = fill(*prog);
  } catch (...) {
    status = 1;
    if (prog) {
      prog->words.clear();
      prog->labels.clear();
      prog->messages.clear();
      prog->report = INTERNAL_ERROR;
    }
  }
  if (out) *out = prog;
  else delete prog;
  return status;
}

}  // namespace

extern "C" {

int zqs_assemble_line(const char* arch, const char* line, uint32_t* word, char* msg,
                      size_t msg_size) {
  return text_call(msg, msg_size, [&] {
    if (!arch || !line) throw std::string(NULL_ARGUMENT);
    uint32_t w = assemble_single_instr(arch, line);
    if (word) *word = w;
    return std::string();
  });
}

int zqs_disassemble_word(const char* arch, uint32_t word, char* text, size_t text_size) {
  return text_call(text, text_size, [&] {
    if (!arch) throw std::string(NULL_ARGUMENT);
    return disassemble_single_instr(arch, word);
  });
}

int zqs_register_name(const char* arch, uint32_t address, char* name, size_t name_size) {
  return text_call(name, name_size, [&] {
    if (!arch) throw std::string(NULL_ARGUMENT);
    return get_reg_map_symbol(arch, address);
  });
}

int zqs_listing_text(const char* arch, uint32_t word, const zqs_program* labels, char* text,
                     size_t text_size) {
  return text_call(text, text_size, [&] {
    if (!arch) throw std::string(NULL_ARGUMENT);
    dis_names_type names;
    if (labels)
      for (zqs_program::label_type const& l : labels->labels) names.emplace(l.address, &l.name);
    asm_api_lock lock(asm_api_mutex());
    return dis_listing_text(find_arch(arch), word, names);
  });
}

const char* zqs_architecture(size_t index) {
  try {
    asm_api_lock lock(asm_api_mutex());
    if (asm_arch::arch_map.empty()) {
      asm_arch fill;
    }
    std::vector<std::string> names = asm_arch::ordered_names();
    if (index >= names.size()) return nullptr;
    // The registry's own key: it lives as long as the process.
    return asm_arch::arch_map.find(names[index])->first.c_str();
  } catch (...) {
    return nullptr;
  }
}

int zqs_assemble_file(int argc, const char* const* args, zqs_program** out) {
  return new_program(out, [&](zqs_program& prog) {
    std::vector<char const*> argv{"asm-zqs"};
    bool null_arg = argc > 0 && !args;
    for (int i = 0; i < argc && args; ++i) {
      if (!args[i]) null_arg = true;
      argv.push_back(args[i]);
    }
    if (null_arg) {
      prog.report = NULL_ARGUMENT;
      return 1;
    }
    asm_api_lock lock(asm_api_mutex());
    asm_passes p;
    p.write_image = false;
    int status = asm_zqs_run(p, (int)argv.size(), argv.data(), prog.report);
    take_messages(prog);
    if (status == 0) take_result(p, prog);
    return status;
  });
}

int zqs_read_image(const char* image, const char* defs, const char* arch, zqs_program** out) {
  return new_program(out, [&](zqs_program& prog) {
    if (!image) {
      prog.report = NULL_ARGUMENT;
      return 1;
    }
    if ((arch && !*arch) || (defs && !*defs)) {  // an empty name is a mistake, not "none"
      prog.report = arch && !*arch ? EMPTY_ARCH : EMPTY_DEFS;
      return 1;
    }
    image_read_options opt;
    opt.arch = arch ? arch : "";
    opt.def_file = defs ? defs : "";
    asm_api_lock lock(asm_api_mutex());
    try {
      image_type img = read_image(image, opt);
      for (std::string const& w : img.warnings) prog.report += "warning: " + w + "\n";
      take_image(img, prog);
      return 0;
    } catch (image_error const& e) {
      prog.report = std::string(e.what()) + "\n";
      return 1;
    }
  });
}

size_t zqs_program_word_count(const zqs_program* p) { return p ? p->words.size() : 0; }

int zqs_program_word(const zqs_program* p, size_t i, uint32_t* address, uint32_t* word,
                     const char** file, unsigned int* line) {
  if (!p || i >= p->words.size()) return 1;
  zqs_program::word_type const& w = p->words[i];
  if (address) *address = w.address;
  if (word) *word = w.code;
  if (file) *file = w.file;
  if (line) *line = w.line;
  return 0;
}

size_t zqs_program_label_count(const zqs_program* p) { return p ? p->labels.size() : 0; }

int zqs_program_label(const zqs_program* p, size_t i, const char** name, uint32_t* address) {
  if (!p || i >= p->labels.size()) return 1;
  if (name) *name = p->labels[i].name.c_str();
  if (address) *address = p->labels[i].address;
  return 0;
}

size_t zqs_program_message_count(const zqs_program* p) { return p ? p->messages.size() : 0; }

int zqs_program_message(const zqs_program* p, size_t i, int* level, const char** code,
                        const char** text, const char** file, unsigned int* line,
                        unsigned int* column, unsigned int* end_line, unsigned int* end_column) {
  if (!p || i >= p->messages.size()) return 1;
  zqs_program::message_type const& m = p->messages[i];
  if (level) *level = m.level;
  if (code) *code = m.code.c_str();
  if (text) *text = m.text.c_str();
  if (file) *file = m.file.c_str();
  if (line) *line = m.where.line;
  if (column) *column = m.where.col;
  if (end_line) *end_line = m.where.end_line;
  if (end_column) *end_column = m.where.end_col;
  return 0;
}

size_t zqs_program_message_include_count(const zqs_program* p, size_t i) {
  return p && i < p->messages.size() ? p->messages[i].included_from.size() : 0;
}

int zqs_program_message_include(const zqs_program* p, size_t i, size_t k, const char** file,
                                unsigned int* line) {
  if (!p || i >= p->messages.size() || k >= p->messages[i].included_from.size()) return 1;
  include_site const& site = p->messages[i].included_from[k];
  if (file) *file = site.file.c_str();
  if (line) *line = site.line;
  return 0;
}

const char* zqs_program_report(const zqs_program* p) { return p ? p->report.c_str() : ""; }

const char* zqs_program_arch(const zqs_program* p) { return p ? p->arch.c_str() : ""; }

const char* zqs_program_listing_part(const zqs_program* p, size_t i) {
  if (!p || i >= p->words.size()) return nullptr;
  try {
    asm_api_lock lock(asm_api_mutex());
    make_parts(*p);
    return i < p->parts.size() ? p->parts[i].c_str() : nullptr;
  } catch (...) {
    return nullptr;
  }
}

const char* zqs_program_listing(const zqs_program* p) {
  if (!p) return "";
  try {
    asm_api_lock lock(asm_api_mutex());
    make_listing(*p);
    return p->listing.c_str();
  } catch (...) {
    return "";
  }
}

int zqs_program_source(const zqs_program* p, uint32_t address, const char** file,
                       unsigned int* line, const char** text) {
  long i = p ? find_word(*p, address) : -1;
  if (i < 0) return 1;
  zqs_program::word_type const& w = p->words[(size_t)i];
  if (file) *file = w.file;
  if (line) *line = w.line;
  if (text) *text = w.text;
  return 0;
}

int zqs_program_cover(zqs_program* p, uint32_t address) {
  if (!p) return 1;
  try {
    asm_api_lock lock(asm_api_mutex());
    long i = find_word(*p, address);
    if (i < 0) {
      p->outside.count(address);
      return 1;
    }
    if (p->hits.empty()) p->hits.resize(p->words.size());
    ++p->hits[(size_t)i];
    return 0;
  } catch (...) {
    return 1;
  }
}

const char* zqs_program_coverage(const zqs_program* p) {
  if (!p) return "";
  try {
    asm_api_lock lock(asm_api_mutex());
    p->coverage = cover_tracefile(cover_words(*p));
    return p->coverage.c_str();
  } catch (...) {
    return "";
  }
}

const char* zqs_program_coverage_summary(const zqs_program* p) {
  if (!p) return "";
  try {
    asm_api_lock lock(asm_api_mutex());
    std::vector<cover_label> labels;
    for (zqs_program::label_type const& l : p->labels) labels.push_back({l.name, l.address});
    p->summary = cover_summary(cover_words(*p), labels, p->outside);
    return p->summary.c_str();
  } catch (...) {
    return "";
  }
}

int zqs_program_write_coverage(const zqs_program* p, const char* path, char* msg,
                               size_t msg_size) {
  return text_call(msg, msg_size, [&] {
    if (!p || !path) throw std::string(NULL_ARGUMENT);
    if (!*path) throw std::string("ASM-ZQS coverage file name must not be empty.");
    asm_api_lock lock(asm_api_mutex());
    if (p->paths.empty()) throw std::string("ASM-ZQS coverage needs a program assembled from its source.");
    std::string refusal = refuse_source(*p, path);
    if (!refusal.empty()) throw refusal;
    std::string text = cover_tracefile(cover_words(*p));
    FILE* f = open_for_writing(path);
    if (!f) throw "Unable to create coverage file '" + std::string(path) + "'.";
    output_identity id = identity_of(f);
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    if (fclose(f) != 0 || !ok) {
      remove_if_same(path, id);
      throw "Unable to write coverage file '" + std::string(path) + "'.";
    }
    return std::string();
  });
}

void zqs_program_free(zqs_program* p) { delete p; }

}  // extern "C"
