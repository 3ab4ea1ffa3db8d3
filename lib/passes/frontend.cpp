#include "asm_passes.h"
#include "parser_iface.h"
void asm_passes::run_frontend() {}
FILE* asm_passes::open_src_file(std::string name) { return fopen(name.c_str(), "rb"); }
