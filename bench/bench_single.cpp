// Throughput of the three single-instruction library functions.
//
// Each case reports items per second: code words disassembled, register names
// looked up, source lines assembled. The inputs cycle through a realistic mix
// of instructions (register, numeric and expression operands) so that no
// single path of the decision tree or the encoder is measured alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "asm_zqs.h"

namespace {

char const* const ARCH = "zqs24-1";

std::vector<std::string> const& lines() {
  static std::vector<std::string> const v = {
      "movl r1, 0x123456",  "addl r0, 3",          "subl ctrg, 1",    "mov r2, r3",
      "mrd r4, 0x3F00",     "mwr r0, 0x3F04",      "jbs sta, 0, 0x40", "jbc r3, 15, 0x3FFC",
      "call 0x100",         "jmp 0x200",           "ret",              "nop",
      "ard r1, r2, 0x1FF",  "awr r1, r2, 0x17",    "add r5, r6",       "shl r1, 24",
      "push mhb",           "pop tbu_ts0",         "wurm r1, r2, 0xBEEF", "btl r7, 1 + 2 * 8",
      "xorl acb, h#ff & $0f", "lit24 0xABCDEF",    "lit32 0xDEADBEEF", "mwri24 r1, r2",
  };
  return v;
}

// Code words of the lines above (computed once, outside the timed loops).
std::vector<unsigned int> const& codes() {
  static std::vector<unsigned int> const v = [] {
    std::vector<unsigned int> c;
    for (std::string const& l : lines()) {
      unsigned int w = assemble_single_instr(ARCH, l);
      // lit24/lit32 are plain data words: not every one disassembles.
      try {
        disassemble_single_instr(ARCH, w);
        c.push_back(w);
      } catch (std::string const&) {
      }
    }
    return c;
  }();
  return v;
}

void BM_disassemble_single_instr(benchmark::State& state) {
  std::vector<unsigned int> const& c = codes();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(disassemble_single_instr(ARCH, c[i]));
    if (++i == c.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_disassemble_single_instr);

void BM_get_reg_map_symbol(benchmark::State& state) {
  unsigned int a = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(get_reg_map_symbol(ARCH, a));
    a = (a + 1) & 15;  // every oreg address of zqs24-1
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_get_reg_map_symbol);

void BM_assemble_single_instr(benchmark::State& state) {
  std::vector<std::string> const& l = lines();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(assemble_single_instr(ARCH, l[i]));
    if (++i == l.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_assemble_single_instr);

// A line that does not assemble: the failure path builds and throws the report.
void BM_assemble_single_instr_error(benchmark::State& state) {
  for (auto _ : state) {
    try {
      assemble_single_instr(ARCH, "movl r1, undefined_symbol");
    } catch (std::string const& e) {
      benchmark::DoNotOptimize(e.data());
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_assemble_single_instr_error);

}  // namespace

BENCHMARK_MAIN();
