// Host tools call the single-instruction interface millions of times: nothing
// may grow per call, no temporary file may stay, nothing may reach stdout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "test_single_support.h"

namespace {

using single_test::heap_in_use;
using single_test::vm_rss_kib;

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

TEST(SingleMemory, ManyAssembliesStayFlat) {
  std::set<std::string> before = single_test::temp_files();
#ifdef UNDER_ASAN
  // The sanitizer's quarantine makes the process size meaningless; the leak
  // checker at exit does the proving here.
  for (int i = 0; i < 2000; ++i) assemble_single_instr("zqs24-1", "movl r0, 5");
  for (int i = 0; i < 200; ++i) mixed_calls(i);
#else
  for (int i = 0; i < 10000; ++i) assemble_single_instr("zqs24-1", "movl r0, 5");
  for (int i = 0; i < 200; ++i) mixed_calls(i);
  long rss1 = vm_rss_kib();
  size_t heap1 = heap_in_use();
  for (int i = 0; i < 90000; ++i) assemble_single_instr("zqs24-1", "movl r0, 5");
  for (int i = 0; i < 2000; ++i) mixed_calls(i);
  long rss2 = vm_rss_kib();
  size_t heap2 = heap_in_use();
  ASSERT_GT(rss1, 0);
  // A leak of even one small block per call would show as megabytes here.
  EXPECT_LE(rss2, rss1 + 512) << "VmRSS grew from " << rss1 << " KiB to " << rss2 << " KiB";
  EXPECT_LE(heap2, heap1 + 64 * 1024) << "heap grew from " << heap1 << " to " << heap2 << " bytes";
#endif
  std::set<std::string> left = single_test::left_behind(before);
  EXPECT_TRUE(left.empty()) << "left in /tmp: " << *left.begin();
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
