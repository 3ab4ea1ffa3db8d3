#include "asm_passes.h"
void asm_passes::run_assemble_pass1() {}
void asm_passes::run_assemble_pass2() {}
void asm_passes::stmt_walker(asm_file*, std::unordered_map<std::string, int>, bool) {}
arch_type& asm_passes::sel_arch() { return asm_arch::arch_map[arch_name]; }
