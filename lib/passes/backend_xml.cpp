#include "asm_passes.h"
void asm_passes::run_xml_dump_pass() {}
std::string asm_passes::xml_dump_expr_walker(asm_expr*) { return ""; }
