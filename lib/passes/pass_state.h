// What one assembly pass keeps from statement to statement: the selected
// architecture and the look-up memo. It lives on the stack of the pass
// (asm_passes::run_assemble_pass1/2) and is reached through asm_passes::pass.
#ifndef PASS_STATE_H
#define PASS_STATE_H

#include <string>
#include <vector>

#include "asm_passes.h"

struct asm_passes::pass_state {
  arch_type& arch;
  std::vector<unsigned int> arg_vals;  // operand values, reused by every instruction

  // Memo of the pass: a mnemonic and a register operand that resolved once
  // resolve to the same result for the rest of the pass (the instruction
  // table cannot change, nor can a register symbol, the architecture's or a
  // user-defined one, be redefined), so each is looked up once. Direct-mapped
  // by name; only successful look-ups are kept; unused in small programs.
  static size_t const MEMO_SIZE = 256;
  struct instr_memo_type {
    std::string name;
    instr_type const* instr = nullptr;
  };
  struct reg_memo_type {
    std::string name;
    std::string regtype;  // the register set of the operand template
    unsigned int value = 0;
  };
  std::vector<instr_memo_type> instr_memo;
  std::vector<reg_memo_type> reg_memo;

  pass_state(asm_passes& p, arch_type& arch);
  ~pass_state();

 private:
  asm_passes& owner_;
};

#endif
