/* ASM-ZQS: marks the functions the assembler library exports.
 * The shared library is built with hidden visibility; only what carries
 * ASM_ZQS_API is visible to its hosts. Usable from C and C++. */
#ifndef ASM_ZQS_API_H
#define ASM_ZQS_API_H

#if defined(_WIN32)
#if defined(ASM_ZQS_BUILDING_DLL)
#define ASM_ZQS_API __declspec(dllexport)
#else
#define ASM_ZQS_API
#endif
#elif defined(__GNUC__)
#define ASM_ZQS_API __attribute__((visibility("default")))
#else
#define ASM_ZQS_API
#endif

#endif
