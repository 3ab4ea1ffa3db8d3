#include "asm_passes.h"
void asm_passes::run_ifs_backend_pass() {}
void asm_passes::run_ifs_def_backend_pass() {}
