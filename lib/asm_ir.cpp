// The program representation.
#include "asm_ir.h"

asm_record::asm_record(unsigned int address, unsigned int code, std::string file, unsigned int line)
    : address(address), code(code), file(std::move(file)), line(line) {}

asm_ir::asm_ir(std::list<asm_file*>* file_list)
    : file_list(file_list ? file_list : new std::list<asm_file*>()) {}

asm_ir::~asm_ir() {
  for (asm_file* f : *file_list) delete_file(f);
  delete file_list;
}

std::string asm_ir::to_string() { return "ASM-IR: "; }
