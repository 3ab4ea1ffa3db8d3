#include "asm_passes.h"
void asm_passes::run_mif_backend_pass() {}
