// The program's options --diagnostics and --diagnostics-file: taken out of
// the command line, and the run's messages written as they ask.
#ifndef ASM_DIAG_RUN_H
#define ASM_DIAG_RUN_H

#include <string>
#include <vector>

#include "asm_diag.h"

class asm_passes;

struct diag_request {
  diag_format format = diag_format::none;  // none: the report as usual
  bool to_file = false;                    // false: standard error
  std::string file;
  std::string error;                       // a bad or incomplete option: the run's fatal message
  std::vector<char const*> args;           // argv without the two options
};

// Wherever they stand in argv. --diagnostics-file alone means gnu.
diag_request take_diag_options(int argc, char const** argv);

// Writes the messages of p's finished run as d asks; gives status, or 1 when
// the file is refused or cannot be written (told on standard error).
int write_diagnostics(asm_passes& p, diag_request const& d, int status);

#endif
