#include "asm_passes.h"
void asm_passes::run_log_backend_pass() {}
void asm_passes::log_file_walker(FILE*, asm_file*, std::unordered_map<std::string, int>) {}
