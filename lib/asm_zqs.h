// ASM-ZQS, the ZQS-Assembler tool: public interface of the assembler library.
//
// The three single-instruction functions report every failure by throwing a
// std::string holding the message. Calls must be serialised: the message list
// and the architecture registry are process-wide.
#ifndef ASM_ZQS_H
#define ASM_ZQS_H

#include <string>

int asm_zqs_main(int argc, char const** argv);
unsigned int assemble_single_instr(std::string arch, std::string line);
std::string disassemble_single_instr(std::string arch, unsigned int code);
std::string get_reg_map_symbol(std::string arch, unsigned int address);

#endif
