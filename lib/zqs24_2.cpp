#include "asm_arch.h"
void asm_arch::initilize_arch_zqs24_2() {}
