// Compiled into the Verilator test: Verilator declares the imports of
// zqs_dpi.svh as C functions; zqs_dpi.h declares the shim's definitions.
// Any difference in a type is a conflicting declaration and fails the build.
#include "Vtrace_tb__Dpi.h"
#include "zqs_dpi.h"
