// The three single-instruction library functions with fuzzed arguments.
// Byte 0 picks the function and the architecture (one of the five, or a name
// taken from the input); the next four bytes are the code word or register
// address; the rest is the source line (or the architecture name).
//
// Every failure must arrive as a thrown std::string; anything else escapes and
// ends the fuzzer. Nothing may stay in /tmp, which is checked now and then.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "asm_zqs.h"
#include "fuzz_common.h"

namespace {

char const* const arch_names[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};

std::set<std::string> temp_files() {
  std::set<std::string> names;
  if (DIR* d = opendir("/tmp")) {
    while (dirent* e = readdir(d))
      if (strncmp(e->d_name, "asm_zqs_", 8) == 0) names.insert(e->d_name);
    closedir(d);
  }
  return names;
}

// Lines given to assemble_single_instr by the current input: a temporary file
// holds its line and a line feed, which tells it from other processes' files.
std::vector<std::string> lines_given;

unsigned int assemble(std::string const& arch, std::string const& line) {
  lines_given.push_back(line + "\n");
  return assemble_single_instr(arch, line);
}

bool holds_a_given_line(std::string const& name) {
  FILE* f = fopen(("/tmp/" + name).c_str(), "rb");
  if (!f) return false;
  std::string content;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
  fclose(f);
  for (std::string const& l : lines_given)
    if (content == l) return true;
  return false;
}

// A disassembled text is valid source, and the word it assembles to reads
// back as the same text (unused bits of the first word may differ).
void check_round_trip(std::string const& arch, std::string const& text) {
  unsigned int code;
  try {
    code = assemble(arch, text);
  } catch (std::string const& e) {
    fprintf(stderr, "disassembled text \"%s\" does not assemble: %s\n", text.c_str(), e.c_str());
    abort();
  }
  std::string again = disassemble_single_instr(arch, code);
  if (again != text) {
    fprintf(stderr, "\"%s\" reads back as \"%s\"\n", text.c_str(), again.c_str());
    abort();
  }
}

unsigned long long calls;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_quiet_std_streams();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size < 5) return 0;
  uint8_t const sel = data[0];
  unsigned int const word = (unsigned int)data[1] | (unsigned int)data[2] << 8 |
                            (unsigned int)data[3] << 16 | (unsigned int)data[4] << 24;
  std::string rest((char const*)data + 5, size - 5);
  // Values 0 to 4 are the built-in architectures, 5 takes the name from the input.
  unsigned int const a = (sel >> 2) % 6;
  std::string arch = a < 5 ? arch_names[a] : rest;
  if (a == 5) {
    size_t nl = rest.find('\n');
    arch = rest.substr(0, nl);
    rest = nl == std::string::npos ? "" : rest.substr(nl + 1);
  }

  // Every 64th input looks at /tmp before and after its calls: a new file that
  // is still there a moment later and holds one of the input's lines was left
  // by this call (other processes may use the same name prefix).
  bool const watch = ++calls % 64 == 0;
  std::set<std::string> before;
  if (watch) before = temp_files();
  lines_given.clear();

  try {
    switch (sel & 3) {
      case 0:
      case 3: {
        unsigned int code = assemble(arch, rest);
        // Not every word has a text (.var data, aliases outside the tree).
        std::string text;
        try {
          text = disassemble_single_instr(arch, code);
        } catch (std::string const&) {
          break;
        }
        check_round_trip(arch, text);
        break;
      }
      case 1:
        check_round_trip(arch, disassemble_single_instr(arch, word));
        break;
      case 2:
        get_reg_map_symbol(arch, word);
        break;
    }
  } catch (std::string const&) {
    // The documented way to fail.
  }

  if (watch) {
    std::set<std::string> left;
    for (int tries = 0; tries < 5; ++tries) {
      left.clear();
      for (std::string const& n : temp_files())
        if (!before.count(n) && holds_a_given_line(n)) left.insert(n);
      if (left.empty()) break;
      usleep(100000);
    }
    if (!left.empty()) {
      fprintf(stderr, "temporary file /tmp/%s left behind\n", left.begin()->c_str());
      abort();
    }
  }
  return 0;
}
