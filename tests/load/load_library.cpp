// A host tool under load: N calls of each library function with random valid
// and invalid arguments in one process. Every call must either give a result
// or throw a std::string; valid input must give the right result; resident
// memory and the heap must stay flat from the first tenth of the calls to the
// last; no temporary file may stay in /tmp and nothing may reach stdout.
// Built twice: load_library calls the C++ functions of the static library,
// load_library_c (LOAD_THROUGH_C) the C interface of the shared library, with
// whole-file assemblies and program objects mixed in.
//   load_library [N]        (default 1000000; the sanitizer build runs fewer)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "test_single_support.h"

#ifdef LOAD_THROUGH_C
#include "asm_zqs_c.h"
#endif

namespace {

#ifdef LOAD_THROUGH_C
// The C interface, failures turned back into thrown texts.
char text_buf[4096];

unsigned int assemble(std::string const& arch, std::string const& line) {
  uint32_t w;
  if (zqs_assemble_line(arch.c_str(), line.c_str(), &w, text_buf, sizeof text_buf)) throw std::string(text_buf);
  return w;
}

std::string disassemble(std::string const& arch, unsigned int code) {
  if (zqs_disassemble_word(arch.c_str(), code, text_buf, sizeof text_buf)) throw std::string(text_buf);
  return text_buf;
}

std::string register_name(std::string const& arch, unsigned int adr) {
  if (zqs_register_name(arch.c_str(), adr, text_buf, sizeof text_buf)) throw std::string(text_buf);
  return text_buf;
}
#else
unsigned int assemble(std::string const& arch, std::string const& line) {
  return assemble_single_instr(arch, line);
}
std::string disassemble(std::string const& arch, unsigned int code) {
  return disassemble_single_instr(arch, code);
}
std::string register_name(std::string const& arch, unsigned int adr) {
  return get_reg_map_symbol(arch, adr);
}
#endif

int failures = 0;

void fail(std::string const& what) {
  if (++failures <= 20) fprintf(stderr, "FAIL: %s\n", what.c_str());
}

using single_test::heap_in_use;
using single_test::vm_rss_kib;

char const* const archs[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};
char const* const bad_archs[] = {"", "zqs24-5", "ZQS24-1", "zqs24-1 ", "x"};

// Lines of every kind the single-line interface must refuse, and texts that
// turn a valid line into garbage.
char const* const bad_lines[] = {
    "", "nop\nnop", "foo r0", "movl r0,, (", ".include \"nowhere.zqs\"", "movl r9, 1",
    "movl r0, 0x1000000", "jmp 3", "\"open", ".cmdline -W", ".cmdline -arch zqs99",
    "l: l: nop", "movl r0, 1/0", "movl r0, undefined_name", ".org 8", ".var 8, 1",
    "nop ~ @ `", ".str 0, \"ab\"", "movl r0, ((((1", ".define x, x"};
char const noise[] = "\x00\x01\t\r\n \"';:,.()+-*/%&|^~<>=!?#$@`\\\x7f\x80\xff";

struct rng {
  std::mt19937 gen{20261208};
  unsigned int word() { return gen(); }
  size_t below(size_t n) { return gen() % n; }
};

// A line that must assemble to `expect` (zqs24-1 encodings checked by hand).
std::string valid_line(rng& r, unsigned int& expect) {
  unsigned int reg = (unsigned int)r.below(8), imm = r.word() & 0xFFFFFF;
  switch (r.below(3)) {
    case 0:
      expect = 0x10000000 | reg << 24 | imm;
      return "movl r" + std::to_string(reg) + ", " + std::to_string(imm);
    case 1:
      expect = 0x10000000 | reg << 24 | imm;
      return "  MOVL R" + std::to_string(reg) + " , 0x" + [&] {
        char b[16];
        snprintf(b, sizeof b, "%X", imm);
        return std::string(b);
      }() + "  ; comment";
    default:
      expect = 0x10000000 | reg << 24 | (imm & 0xFF) * 3;
      return "movl r" + std::to_string(reg) + ", " + std::to_string(imm & 0xFF) + " * 3";
  }
}

std::string garbage_line(rng& r) {
  std::string s = bad_lines[r.below(sizeof bad_lines / sizeof *bad_lines)];
  unsigned int expect;
  if (r.below(2)) s = valid_line(r, expect);
  for (size_t k = 1 + r.below(4); k-- > 0;) {
    char c = noise[r.below(sizeof noise - 1)];
    s.insert(s.empty() ? 0 : r.below(s.size() + 1), 1, c);
  }
  return s;
}

void assemble_calls(rng& r, long n) {
  for (long i = 0; i < n; ++i) {
    unsigned int expect = 0;
    bool valid = r.below(2) == 0;
    std::string arch = valid || r.below(4) ? "zqs24-1" : bad_archs[r.below(5)];
    std::string line = valid ? valid_line(r, expect) : garbage_line(r);
    try {
      unsigned int w = assemble(arch, line);
      if (valid && w != expect) fail("'" + line + "' gave a wrong word");
    } catch (std::string const& e) {
      if (valid) fail("'" + line + "' refused: " + e);
      else if (e.empty()) fail("empty message for '" + line + "'");
    } catch (...) {
      fail("'" + line + "' threw something other than a text");
    }
  }
}

void disassemble_calls(rng& r, long n) {
  for (long i = 0; i < n; ++i) {
    bool valid = r.below(8) != 0;
    std::string arch = valid ? archs[r.below(5)] : bad_archs[r.below(5)];
    try {
      std::string text = disassemble(arch, r.word());
      if (!valid || text.empty()) fail("disassembly for arch '" + arch + "'");
    } catch (std::string const&) {
    } catch (...) {
      fail("disassemble threw something other than a text");
    }
  }
}

void register_calls(rng& r, long n) {
  for (long i = 0; i < n; ++i) {
    bool valid = r.below(8) != 0;
    std::string arch = valid ? archs[r.below(5)] : bad_archs[r.below(5)];
    unsigned int adr = r.below(4) ? (unsigned int)r.below(32) : r.word();
    try {
      std::string name = register_name(arch, adr);
      if (!valid) fail("register name for arch '" + arch + "'");
    } catch (std::string const&) {
    } catch (...) {
      fail("get_reg_map_symbol threw something other than a text");
    }
  }
}

#ifdef LOAD_THROUGH_C
// Whole-file assemblies, good and bad, of two sources in dir.
void file_calls(rng& r, long n, std::string const& dir) {
  std::string good = dir + "/good.zqs", bad = dir + "/bad.zqs";
  for (long i = 0; i < n; ++i) {
    bool valid = r.below(2) == 0;
    char const* args[] = {"-W", valid ? good.c_str() : bad.c_str()};
    zqs_program* p = nullptr;
    int rc = zqs_assemble_file(2, args, &p);
    uint32_t w = 0;
    char const* name = nullptr;
    if (valid && (rc != 0 || zqs_program_word_count(p) != 2 ||
                  zqs_program_word(p, 1, nullptr, &w, nullptr, nullptr) || w != 0xE0000000 ||
                  zqs_program_label(p, 0, &name, nullptr) || std::string(name) != "Start"))
      fail("good file: " + std::string(zqs_program_report(p)));
    if (!valid && (rc != 1 || zqs_program_word_count(p) != 0 || !*zqs_program_report(p)))
      fail("bad file accepted");
    zqs_program_free(p);
    if (!zqs_architecture(r.below(5)) || zqs_architecture(5 + r.below(100))) fail("architecture list");
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? atol(argv[1]) : 1000000;
  if (n < 10) n = 10;
  // Standard output goes to a file that must stay empty.
  fflush(stdout);
  char out_name[] = "/tmp/load_stdout_XXXXXX";
  int capture = mkstemp(out_name);
  if (capture < 0) return 2;
  int saved = dup(1);
  dup2(capture, 1);

  rng r;
  long const warm = n / 10;
#ifdef LOAD_THROUGH_C
  char dir[] = "/tmp/load_c_XXXXXX";
  if (!mkdtemp(dir)) return 2;
  std::string const files = dir;
  FILE* f = fopen((files + "/good.zqs").c_str(), "w");
  if (!f) return 2;
  fputs("Start: nop\n  jmp Start\n", f);
  fclose(f);
  f = fopen((files + "/bad.zqs").c_str(), "w");
  if (!f) return 2;
  fputs("nop\nfoo r0\n", f);
  fclose(f);
  auto mixed = [&](long k) {
    assemble_calls(r, k);
    disassemble_calls(r, k);
    register_calls(r, k);
    file_calls(r, k / 50, files);
  };
#else
  auto mixed = [&](long k) {
    assemble_calls(r, k);
    disassemble_calls(r, k);
    register_calls(r, k);
  };
#endif
  mixed(warm);
  long rss1 = vm_rss_kib();
  size_t heap1 = heap_in_use();
  mixed(n - warm);
  long rss2 = vm_rss_kib();
  size_t heap2 = heap_in_use();

  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  off_t out_size = lseek(capture, 0, SEEK_END);
  close(capture);
  remove(out_name);
#ifdef LOAD_THROUGH_C
  remove((files + "/good.zqs").c_str());
  remove((files + "/bad.zqs").c_str());
  if (rmdir(dir) != 0) fail("files left in " + files);
#endif

  printf("%ld calls of each function; VmRSS %ld -> %ld KiB, heap %zu -> %zu bytes\n", n, rss1, rss2,
         heap1, heap2);
  if (out_size != 0) fail("the library wrote to standard output");
#ifndef UNDER_ASAN
  if (rss2 > rss1 + 1024) fail("resident memory grew");
  if (heap2 > heap1 + 64 * 1024) fail("the heap grew");
#endif
  if (temp_watch::created() == 0) fail("no temporary file of the library seen");
  for (std::string const& t : temp_watch::left()) fail("left in /tmp: " + t);
  if (failures) fprintf(stderr, "%d failure(s)\n", failures);
  return failures ? 1 : 0;
}
