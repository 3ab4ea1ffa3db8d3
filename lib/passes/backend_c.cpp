#include "asm_passes.h"
void asm_passes::run_c_backend_pass() {}
void asm_passes::run_c_def_backend_pass() {}
