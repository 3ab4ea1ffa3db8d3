#include "asm_passes.h"
unsigned int asm_passes::expression_walker(asm_expr*, bool& valid, std::string const&, unsigned int, unsigned int, bool, bool, bool) { valid = false; return 0; }
