// Program coverage: executions counted per word and told per source line, as
// an lcov tracefile and as a summary. Shared by the C interface (and so the
// DPI-C binding) and zqs-cov, so that both write the same file for one run.
#ifndef ASM_COVER_H
#define ASM_COVER_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One word of the program with the source line that placed it.
struct cover_word {
  uint32_t address = 0;
  std::string file;  // as the run named it (the summary's name)
  std::string path;  // the file's absolute path (the tracefile's SF)
  unsigned int line = 0;
  uint64_t hits = 0;
};

struct cover_label {
  std::string name;
  uint32_t address = 0;
};

// Executions at addresses where the program has no word. Only the first
// `kept` addresses are remembered one by one; the rest are counted.
struct cover_outside {
  static constexpr size_t kept = 65536;
  std::map<uint32_t, uint64_t> addresses;
  uint64_t executions = 0;       // all of them
  uint64_t unkept_executions = 0;  // at addresses past the kept ones
  void count(uint32_t address);
};

// The tracefile: per source file (in path order) "SF:", "DA:LINE,HITS" for
// every line that places a word (the sum of its words' executions: a .str
// line counts once per execution of any of its words), "LF:", "LH:" and
// "end_of_record"; "\n" line ends, as lcov writes them. Words without a
// source file (an image's) are left out.
std::string cover_tracefile(std::vector<cover_word> const& words);

// Lines "FILE: N of M lines executed (P%)" per file (in name order), a total,
// "labels never reached: ..." (labels at a word never executed) and
// "outside the program: ..."; "\n" line ends.
std::string cover_summary(std::vector<cover_word> const& words,
                          std::vector<cover_label> const& labels, cover_outside const& outside);

// Reads a trace of executed byte addresses: one a line, "0x" hexadecimal, 8
// hexadecimal digits (as %h writes 32 bits) or decimal; blanks around it and
// "#" comments are skipped. Throws a std::string "NAME:LINE: ..." for a line
// that holds no address.
std::vector<uint32_t> cover_read_trace(std::string const& name, std::string const& text);

#endif
