// The three single-instruction library functions with fuzzed arguments.
// Byte 0 picks the function and the architecture (one of the five, or a name
// taken from the input); the next four bytes are the code word or register
// address; the rest is the source line (or the architecture name).
//
// Every failure must arrive as a thrown std::string; anything else escapes and
// ends the fuzzer. None of the temporary files the calls make may stay in /tmp
// (temp_watch.cpp notes them as they are made).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "asm_zqs.h"
#include "fuzz_common.h"
#include "temp_watch.h"

namespace {

char const* const arch_names[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};

// A disassembled text is valid source, and the word it assembles to reads
// back as the same text (unused bits of the first word may differ).
void check_round_trip(std::string const& arch, std::string const& text) {
  unsigned int code;
  try {
    code = assemble_single_instr(arch, text);
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

  try {
    switch (sel & 3) {
      case 0:
      case 3: {
        unsigned int code = assemble_single_instr(arch, rest);
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

  for (std::string const& name : temp_watch::left()) {
    fprintf(stderr, "temporary file %s left behind\n", name.c_str());
    abort();
  }
  return 0;
}
