// The library's process-wide lock (see asm_lock.h).
#include "asm_lock.h"

std::mutex& asm_api_mutex() {
  static std::mutex m;  // constant-initialised: usable before and after main
  return m;
}
