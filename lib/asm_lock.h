// The one lock of the library. The message list, the architecture registry and
// the parser's location record are process-wide, so every public entry point
// (C++ and C) holds this lock for the whole call: calls from several threads
// run one after the other.
#ifndef ASM_LOCK_H
#define ASM_LOCK_H

#include <mutex>

std::mutex& asm_api_mutex();

// Held for the lifetime of one public call.
typedef std::lock_guard<std::mutex> asm_api_lock;

#endif
