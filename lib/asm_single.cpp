// Single-instruction interface (placeholder).
#include "asm_zqs.h"
#include <string>
unsigned int assemble_single_instr(std::string, std::string) { throw std::string("ASM-ZQS INTERNAL ERROR occured."); }
std::string disassemble_single_instr(std::string, unsigned int) { throw std::string("ASM-ZQS INTERNAL ERROR occured."); }
std::string get_reg_map_symbol(std::string, unsigned int) { throw std::string("ASM-ZQS INTERNAL ERROR occured."); }
