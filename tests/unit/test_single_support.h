// Helpers shared by the single-instruction interface tests.
#ifndef TEST_SINGLE_SUPPORT_H
#define TEST_SINGLE_SUPPORT_H

#include <fstream>
#include <string>

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
#include <malloc.h>
#define HAVE_MALLINFO2 1
#endif

// Under AddressSanitizer the process size says nothing (its quarantine keeps
// freed blocks); the leak checker at exit does the proving there.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ASAN 1
#endif
#endif

#include "asm_zqs.h"
#include "temp_watch.h"

namespace single_test {

// Resident set size in KiB (-1 when unknown).
inline long vm_rss_kib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

// Heap bytes in use (0 where the allocator cannot tell).
inline size_t heap_in_use() {
#ifdef HAVE_MALLINFO2
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

// The thrown text of an assembly, or "" when it succeeded.
inline std::string assemble_error(std::string const& arch, std::string const& line) {
  try {
    assemble_single_instr(arch, line);
  } catch (std::string const& e) {
    return e;
  }
  return "";
}

inline std::string disassemble_error(std::string const& arch, unsigned int code) {
  try {
    disassemble_single_instr(arch, code);
  } catch (std::string const& e) {
    return e;
  }
  return "";
}

}  // namespace single_test

#endif
