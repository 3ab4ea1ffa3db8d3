// ASM-ZQS, the ZQS-Assembler tool: public interface of the assembler library.
//
// The three single-instruction functions report every failure by throwing a
// std::string holding the message. Calls from several threads are safe: every
// function holds the library's one lock while it runs (the message list and
// the architecture registry are process-wide). Hosts in C or other languages
// use asm_zqs_c.h instead.
#ifndef ASM_ZQS_H
#define ASM_ZQS_H

#include <string>

#include "asm_zqs_api.h"

ASM_ZQS_API int asm_zqs_main(int argc, char const** argv);
ASM_ZQS_API unsigned int assemble_single_instr(std::string arch, std::string line);
ASM_ZQS_API std::string disassemble_single_instr(std::string arch, unsigned int code);
ASM_ZQS_API std::string get_reg_map_symbol(std::string arch, unsigned int address);

#endif
