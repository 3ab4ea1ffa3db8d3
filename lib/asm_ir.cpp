// The program representation.
#include "asm_ir.h"

asm_record::asm_record(unsigned int address, unsigned int code, std::string_view file, unsigned int line)
    : address(address), code(code), file(file), line(line) {}

void code_span(std::vector<asm_record> const& list, unsigned int& first, unsigned long long& size) {
  first = list.empty() ? 0 : list.front().address;
  size = list.empty() ? 0 : list.back().address + 4ull - first;
}

// A million-line program has millions of small nodes: a monotonic buffer
// hands them out without a heap block each and gives its memory back at once
// when the program goes (after the destructor has destroyed the nodes).
asm_ir::asm_ir(std::list<asm_file*>* file_list)
    : file_list(file_list ? file_list : new std::list<asm_file*>()),
      tree_memory_(std::make_unique<std::pmr::monotonic_buffer_resource>()) {}

asm_ir::~asm_ir() {
  for (asm_file* f : *file_list) delete_file(tree_memory(), f);
  delete file_list;
}

std::string asm_ir::to_string() { return "ASM-IR: "; }
