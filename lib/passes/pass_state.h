// What one assembly pass keeps from statement to statement: the selected
// architecture and room for the operand values. It lives on the stack of the pass
// (asm_passes::run_assemble_pass1/2) and is reached through asm_passes::pass.
#ifndef PASS_STATE_H
#define PASS_STATE_H

#include <vector>

#include "asm_passes.h"

struct asm_passes::pass_state {
  arch_type& arch;
  std::vector<unsigned int> arg_vals;  // operand values, reused by every instruction

  pass_state(asm_passes& p, arch_type& arch);
  ~pass_state();

 private:
  asm_passes& owner_;
};

#endif
