// A host tool linked against the installed assembler library.
#include <asm_zqs.h>

#include <cstdio>
#include <string>

int main() {
  char const* argv[] = {"asm-zqs"};
  int status = asm_zqs_main(1, argv);
  printf("main: %d\n", status);
  try {
    printf("assemble: 0x%08X\n", assemble_single_instr("zqs24-1", "movl r0, 5"));
    printf("disassemble: %s\n", disassemble_single_instr("zqs24-1", 0xE3710040u).c_str());
    printf("register: %s\n", get_reg_map_symbol("zqs24-1", 12).c_str());
  } catch (std::string const& e) {
    printf("unexpected: %s\n", e.c_str());
    return 1;
  }
  try {
    assemble_single_instr("zqs24-1", "");
    printf("no error\n");
  } catch (std::string const& e) {
    printf("error: %s\n", e.c_str());
  }
  return 0;
}
