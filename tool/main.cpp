#include "asm_zqs.h"

int main(int argc, char const** argv) { return asm_zqs_main(argc, argv); }
