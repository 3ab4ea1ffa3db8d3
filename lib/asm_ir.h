// The program representation: parsed files, symbol table, assembled words.
#ifndef ASM_IR_H
#define ASM_IR_H

#include <list>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "asm_objects.h"
#include "asm_sym.h"

struct asm_record {
  unsigned int address;
  unsigned int code;
  // The name of the source file (the asm_file's name: it lives as long as
  // the program); a record per word need not copy it.
  std::string_view file;
  unsigned int line;
  asm_record(unsigned int address, unsigned int code, std::string_view file, unsigned int line);
};

// Address of the first word, and size in bytes from it to the end of the last
// (64 bits: a word at the top of the address space makes the size 2^32).
void code_span(std::vector<asm_record> const& list, unsigned int& first, unsigned long long& size);

class asm_ir : public asm_ast_object {
 public:
  std::unordered_map<std::string, asm_file*> file_map;
  std::unordered_map<std::string, sym_type> sym_tab;
  std::list<asm_file*>* file_list;
  std::vector<asm_record> asm_list;

  explicit asm_ir(std::list<asm_file*>* file_list);
  ~asm_ir() override;  // releases the file list and every tree in it
  std::string to_string() override;

  // Memory of the trees of the listed files (new_expr and its kin, asm_objects.h).
  std::pmr::memory_resource* tree_memory() const { return tree_memory_.get(); }

 private:
  std::unique_ptr<std::pmr::memory_resource> tree_memory_;
};

#endif
