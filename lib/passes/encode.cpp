#include "asm_passes.h"
void asm_passes::instr_walker(asm_stmt*, std::string const&, bool) {}
