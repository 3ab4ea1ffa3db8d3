// Texts that describe one instruction of an architecture from its table: the
// operand syntax, each operand's values and field bits, the bit-field picture
// of the encoding and how the disassembler finds it. The instruction-set
// reference (zqs-gen) and the language server's hover both print these.
#ifndef ASM_ISA_TEXT_H
#define ASM_ISA_TEXT_H

#include <cstddef>
#include <string>

#include "asm_arch.h"

// "MOVL oreg, 0x0..0xFFFFFF"; an optional operand and all after it in brackets.
std::string instr_syntax(std::string const& mnemonic, instr_type const& ins);

// Operands are named a, b, c in the tables and pictures: one letter fits a one-bit slice.
std::string operand_name(size_t k);

// What an operand accepts: "a register of `oreg`" (the set as a link to its
// section "#oreg" with link_set), or the value range with its shift and default.
std::string operand_accepts(arg_type const& a, bool link_set);

// The code bits of an operand: "23:0", or "27:24 (value bits 3:0), 14 (value bit 4)".
std::string operand_bits(arg_type const& a);

// Two characters per bit: two lines of bit numbers, then the fields between
// borders; fixed bits show their values, split where the disassembler's
// selector fields start. Five lines, each ending in "\n".
std::string encoding_picture(arch_type const& arch, std::string const& mnemonic, instr_type const& ins);

// One sentence on how the disassembler reaches the instruction's code words.
std::string decoding_note(arch_type const& arch, std::string const& mnemonic, instr_type const& ins);

#endif
