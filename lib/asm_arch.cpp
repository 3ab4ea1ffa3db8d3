// Architecture registry (placeholder).
#include "asm_arch.h"
#include <algorithm>
std::unordered_map<std::string, arch_type> asm_arch::arch_map;
asm_arch::asm_arch() {
  initilize_arch_zqs24_1(); initilize_arch_zqs24_2(); initilize_arch_zqs24_3();
  initilize_arch_zqs24_4(); initilize_arch_zqs16_1();
}
void arch_type::install_sym_map() {}
std::string arch_type::disasm_tree_walker(disasm_tree_type*, unsigned int) { return ""; }
std::vector<std::string> asm_arch::ordered_names() {
  std::vector<std::string> v;
  for (auto& p : arch_map) v.push_back(p.first);
  std::sort(v.begin(), v.end());
  return v;
}
