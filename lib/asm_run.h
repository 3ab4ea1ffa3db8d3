// One run of the tool from command line to report, shared by asm_zqs_main
// and the C interface. Not part of the public interface.
#ifndef ASM_RUN_H
#define ASM_RUN_H

#include <string>

class asm_passes;

// What only the program asks of a run.
struct run_options {
  bool report = true;  // false: the message list and summary stay out of the report
  std::string fatal;   // not empty: the run stops on it first, as on a bad option
};

// Runs p on the command line argv (argv[0] is not read) and appends what the
// program prints to report. Returns 0 after a run without errors, 1 otherwise.
// The caller holds the library lock.
int asm_zqs_run(asm_passes& p, int argc, char const** argv, std::string& report,
                run_options const& opt = run_options());

#endif
