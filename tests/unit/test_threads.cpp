// Calls from 8 threads at once, C++ and C interface mixed, valid and invalid:
// every result must be the one a lone call gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include "asm_utils.h"
#include "asm_zqs_c.h"
#include "test_single_support.h"

namespace {

struct expected_file {
  std::string name;
  std::vector<uint32_t> words;
};

TEST(Threads, EightThreadsOfMixedCallsGiveCorrectResults) {
  // Two small programs in /tmp, each with its known words.
  std::vector<expected_file> files;
  for (int k = 0; k < 2; ++k) {
    char name[] = "/tmp/threads_prog_XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(name) << "start: movl r" << k << ", " << 10 + k << "\n nop\n jmp start\n";
    files.push_back({name, {0x10000000u | (uint32_t)k << 24 | (10u + k), 0, 0xE0000000}});
  }
  std::atomic<int> wrong{0};
  auto check = [&](bool good, std::string const& what) {
    if (!good && wrong++ < 10) ADD_FAILURE() << what;
  };
  auto worker = [&](unsigned int seed) {
    std::mt19937 gen(seed);
    char buf[512];
    for (int i = 0; i < 250; ++i) {
      unsigned int reg = gen() % 8, imm = gen() % 0x1000000;
      std::string line = "movl r" + std::to_string(reg) + ", " + std::to_string(imm);
      uint32_t want = 0x10000000u | reg << 24 | imm;
      switch (gen() % 8) {
        case 0:
          check(assemble_single_instr("zqs24-1", line) == want, line);
          break;
        case 1: {
          uint32_t w = 0;
          check(zqs_assemble_line("zqs24-1", line.c_str(), &w, buf, sizeof buf) == 0 && w == want,
                line);
          break;
        }
        case 2:
          check(zqs_assemble_line("zqs24-1", "foo r0", nullptr, buf, sizeof buf) == 1 &&
                    std::string(buf).find("> Instruction 'FOO' is not available") != std::string::npos,
                std::string("foo r0 gave: ") + buf);
          break;
        case 3:
          check(disassemble_single_instr("zqs24-1", want) ==
                    "MOVL R" + std::to_string(reg) + ", " + num2hexstr(imm),
                "disassembly");
          break;
        case 4:
          check(zqs_disassemble_word("zqs24-1", 0xA0090000u, buf, sizeof buf) == 1 &&
                    std::string(buf) == "Invalid instruction code 0xA0090000. Bad bit slice 16 to 19.",
                "bad word");
          break;
        case 5:
          check(get_reg_map_symbol("zqs24-1", 12) == "tbu_ts0" &&
                    zqs_register_name("zqs24-1", 16, buf, sizeof buf) == 1,
                "register names");
          break;
        default: {
          expected_file const& f = files[gen() % files.size()];
          char const* args[] = {f.name.c_str(), "-o", "/nonexistent/never.c"};
          zqs_program* p = nullptr;
          bool good = zqs_assemble_file(3, args, &p) == 0 && zqs_program_word_count(p) == f.words.size();
          for (size_t k = 0; good && k < f.words.size(); ++k) {
            uint32_t w;
            good = zqs_program_word(p, k, nullptr, &w, nullptr, nullptr) == 0 && w == f.words[k];
          }
          check(good, std::string("file ") + f.name + ": " + zqs_program_report(p));
          zqs_program_free(p);
        }
      }
    }
  };
  std::vector<std::thread> threads;
  for (unsigned int t = 0; t < 8; ++t) threads.emplace_back(worker, 100 + t);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  for (expected_file const& f : files) remove(f.name.c_str());
  EXPECT_TRUE(temp_watch::left().empty());
}

}  // namespace
