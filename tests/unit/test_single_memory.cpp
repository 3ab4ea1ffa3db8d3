// Host tools call the single-instruction interface millions of times: nothing
// may reach stdout. (That nothing grows per call and no temporary file stays is
// measured over a million calls by tests/load/load_library.cpp.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "test_single_support.h"

namespace {

// One round of the calls a host makes: words, errors of every kind, lookups.
void mixed_calls(int i) {
  assemble_single_instr("zqs24-1", "movl r" + std::to_string(i % 8) + ", " + std::to_string(i));
  single_test::assemble_error("zqs24-1", "jbs r3, 7, loop\nloop: nop");  // two words
  single_test::assemble_error("zqs24-1", "foo r0");                      // pass error
  single_test::assemble_error("zqs24-1", "movl r0,, (");                 // syntax error
  single_test::assemble_error("zqs24-1", ".include \"no_such_file.zqs\"");  // fatal
  disassemble_single_instr("zqs24-1", 0xE3710040);
  single_test::disassemble_error("zqs24-1", 0xA0090000);
  get_reg_map_symbol("zqs24-1", 12);
}

TEST(SingleMemory, NothingReachesStandardOutput) {
  fflush(stdout);
  char name[] = "/tmp/single_stdout_XXXXXX";
  int capture = mkstemp(name);
  ASSERT_GE(capture, 0);
  int saved = dup(1);
  dup2(capture, 1);
  for (int i = 0; i < 3; ++i) mixed_calls(i);
  single_test::assemble_error("zqs24-1", ".cmdline -W --version -h");
  single_test::assemble_error("zqs99", "nop");
  single_test::assemble_error("zqs24-1", "\"unterminated");
  single_test::assemble_error("zqs24-1", "nop ~ @ `");
  single_test::disassemble_error("zqs16-1", 0xFFFFFFFF);
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  off_t size = lseek(capture, 0, SEEK_END);
  close(capture);
  remove(name);
  EXPECT_EQ(size, 0);
}

}  // namespace
