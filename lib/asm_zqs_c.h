/* ASM-ZQS, the ZQS-Assembler tool: C interface of the assembler library.
 *
 * For hosts that are not C++ programs (C, DPI-C, ctypes, other FFIs). Valid
 * C99 and C++. No function lets an exception escape or writes to standard
 * output. Calls from several threads are safe: each one holds the library's
 * one lock while it runs.
 *
 * Functions returning int give 0 on success and 1 on failure. Text buffers
 * (msg, text, name) always receive a NUL-terminated text cut to their size
 * (nothing is written when the size is 0): the result on success, the failure
 * text on failure. Output pointers other than the buffers may be NULL when the
 * value is not wanted. A NULL pointer where a text is expected is a failure
 * with the text "ASM-ZQS argument must not be NULL.". An empty name is never
 * taken for NULL: zqs_read_image fails for "" as architecture ("ASM-ZQS
 * architecture name must not be empty.") or definitions file ("ASM-ZQS
 * definitions file name must not be empty."); the other functions fail for
 * the architecture "" as for any unknown one.
 *
 * Everything a zqs_program hands out (names, file names, the report, the
 * messages' texts and codes) lives
 * until zqs_program_free. */
#ifndef ASM_ZQS_C_H
#define ASM_ZQS_C_H

#include <stddef.h>
#include <stdint.h>

#include "asm_zqs_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One source line into one code word; msg gets the failure text (the
 * assembler's messages) or, on success, the empty text. */
ASM_ZQS_API int zqs_assemble_line(const char* arch, const char* line, uint32_t* word,
                                  char* msg, size_t msg_size);

/* The assembler text of one code word, e.g. "JBS R3, 0x7, 0x40". */
ASM_ZQS_API int zqs_disassemble_word(const char* arch, uint32_t word, char* text,
                                     size_t text_size);

/* The lower-case name of the register at that address, e.g. "tbu_ts0". */
ASM_ZQS_API int zqs_register_name(const char* arch, uint32_t address, char* name,
                                  size_t name_size);

/* The name of the index-th built-in architecture, in registration order
 * ("zqs24-1" first); NULL past the end. */
ASM_ZQS_API const char* zqs_architecture(size_t index);

/* The result of an assembly or of an image read. */
typedef struct zqs_program zqs_program;

/* One run of the assembler on the arguments that would follow asm-zqs on a
 * command line (args[0] is the first option or the source name; .cmdline
 * applies too), without writing a memory image: -o is accepted and ignored,
 * -odef, -log, --xmldump and --MD write their files (the targets of the --MD
 * rule are the files written: never the image). Returns 0 after a run
 * without errors, 1 otherwise. *out (when out is not NULL) is set in both
 * cases: its report is the text the program would print (empty after a
 * successful run without -W); after a failed run it holds no words and no
 * labels. */
ASM_ZQS_API int zqs_assemble_file(int argc, const char* const* args, zqs_program** out);

/* Reads a C, IFS, MIF or Verilog memory image of architecture arch (NULL: the
 * one the image's head names, else zqs24-1), and the labels of a definitions
 * file (C header, IFS definitions, SystemVerilog package) when defs is not
 * NULL. Returns 1 on failure, the report then holds the
 * error; after a success it holds the warnings, one line
 * "warning: FILE:LINE: text" each. Words have an empty file name and line 0; labels are
 * named as in the definitions file (the part after LABEL_<output label>_,
 * in a SystemVerilog package after LABEL_). */
ASM_ZQS_API int zqs_read_image(const char* image, const char* defs, const char* arch,
                               zqs_program** out);

/* Words in address order, each with the source file and line it came from. */
ASM_ZQS_API size_t zqs_program_word_count(const zqs_program* p);
ASM_ZQS_API int zqs_program_word(const zqs_program* p, size_t i, uint32_t* address,
                                 uint32_t* word, const char** file, unsigned int* line);

/* The source of the word at a byte address: file and line as
 * zqs_program_word gives them, and text, that line of the source as the run
 * read it (without its line end; "" for an image's words). Returns 1 when
 * the program has no word at that address. */
ASM_ZQS_API int zqs_program_source(const zqs_program* p, uint32_t address, const char** file,
                                   unsigned int* line, const char** text);

/* Labels in address order, then name, each named as first written (an
 * image's: in address order, then as its definitions file lists them). */
ASM_ZQS_API size_t zqs_program_label_count(const zqs_program* p);
ASM_ZQS_API int zqs_program_label(const zqs_program* p, size_t i, const char** name,
                                  uint32_t* address);

/* The messages of an assembly (zqs_assemble_file, after a success and after a
 * failure), in the order the run posted them: the messages of the report and
 * also a file's further syntax errors after its first one, which the report
 * leaves out. A program of zqs_read_image, or of a call with a NULL argument,
 * has none. zqs_program_message returns 0, or 1 when i is out of range:
 *   level       0 fatal error, 1 error, 2 warning (the message list's levels);
 *   code        the message's code, e.g. "ZQS4001" ("ZQS0000": none known);
 *   text        the message's text, as in the report;
 *   file        the source file as the run opened it (relative to the working
 *               directory when it lies below it); "" for a message without one;
 *   line        its line (the line of column when there is one, which for a
 *               syntax error at a line end can differ from the report's); 0
 *               without a file;
 *   column, end_line, end_column
 *               the stretch of source the message is about: 1-based byte
 *               columns, end_column inclusive; all 0 when the message has no
 *               column (line may still be given). */
ASM_ZQS_API size_t zqs_program_message_count(const zqs_program* p);
ASM_ZQS_API int zqs_program_message(const zqs_program* p, size_t i, int* level,
                                    const char** code, const char** text, const char** file,
                                    unsigned int* line, unsigned int* column,
                                    unsigned int* end_line, unsigned int* end_column);

/* The .include lines through which message i's file was reached, outermost
 * (in the main source) first: site k is the including file (named as file
 * above) and the line of its .include. 0 sites for a message in the main
 * source or without a file. zqs_program_message_include returns 1 when i or
 * k is out of range. */
ASM_ZQS_API size_t zqs_program_message_include_count(const zqs_program* p, size_t i);
ASM_ZQS_API int zqs_program_message_include(const zqs_program* p, size_t i, size_t k,
                                            const char** file, unsigned int* line);

/* The report of the run; "" for NULL. */
ASM_ZQS_API const char* zqs_program_report(const zqs_program* p);

/* The architecture of the program's words: for zqs_assemble_file the one the
 * run used (-arch, else the .cmdline's -arch, else "zqs24-1"; no quotes); for
 * zqs_read_image the one given, else the one the image's head names, else
 * "zqs24-1" (as dis-zqs decides). "" after a failure and for NULL. */
ASM_ZQS_API const char* zqs_program_arch(const zqs_program* p);

/* The listing of the program's words and labels exactly as dis-zqs prints it
 * for an image ("\n" line ends): "ADDRESS  WORD  TEXT" per word (TEXT as
 * zqs_listing_text gives it, with the program's labels), a line "NAME:"
 * before the word at each label's address ("NAME:  ; 0x........, no word
 * there" for a label without a word), and "; gap: N words, FROM to TO" where
 * the addresses leave a gap. Made on the first call and kept by the program;
 * "" after a failure and for NULL. */
ASM_ZQS_API const char* zqs_program_listing(const zqs_program* p);

/* The lines of that listing that belong to word i (in address order): the
 * gap line before it, the label lines up to its address, its own line, and
 * after the last word the label lines past it. Each part ends with "\n";
 * in order, the parts make up the whole listing (of a program with words).
 * For a trace word by word. Kept by the program; NULL when i is out of
 * range. */
ASM_ZQS_API const char* zqs_program_listing_part(const zqs_program* p, size_t i);

/* What dis-zqs lists for a word after its address and value: the assembler
 * text (no trailing blank) with each address operand (jumps, calls, memory
 * addresses) that equals the address of a label of `labels` written as the
 * first such label's name (labels may be NULL: none), followed by
 * "  ; the text assembles to another word" where assembling the text would not
 * give the word back; ".var 0x........  ; REASON" for a word that is no
 * instruction. Fails only for an unknown architecture or a NULL arch. */
ASM_ZQS_API int zqs_listing_text(const char* arch, uint32_t word, const zqs_program* labels,
                                 char* text, size_t text_size);

/* Program coverage: zqs_program_cover counts one execution of the word at a
 * byte address and returns 0; an execution at an address where the program
 * has no word is counted apart (the summary reports it) and gives 1. */
ASM_ZQS_API int zqs_program_cover(zqs_program* p, uint32_t address);

/* The counts so far as an lcov tracefile ("\n" line ends): "TN:", then per
 * source file (by absolute path, in path order) "SF:PATH", "DA:LINE,HITS"
 * for every line that places a word (its words' executions added up: a .str
 * line counts once per execution of any of its words), "LF:", "LH:" and
 * "end_of_record". Words of an image have no source and are left out. The
 * text lives until the next call of this function for p; "" for NULL. */
ASM_ZQS_API const char* zqs_program_coverage(const zqs_program* p);

/* The summary of the counts, as zqs-cov prints it ("\n" line ends):
 * "FILE: N of M lines executed (P%)" per source file, "total: ...",
 * "labels never reached: NAME, ..." (labels at a word never executed; "none")
 * and "outside the program: N executions" with the addresses where the
 * program has no word. Lives until the next call of this function for p. */
ASM_ZQS_API const char* zqs_program_coverage_summary(const zqs_program* p);

/* Writes zqs_program_coverage to the file path (never over a source file of
 * the program, never waiting on a FIFO; a file left unfinished by a write
 * error is removed). Fails for a program without source lines (an image's).
 * msg gets the failure text, or "" on success. */
ASM_ZQS_API int zqs_program_write_coverage(const zqs_program* p, const char* path, char* msg,
                                           size_t msg_size);

/* Frees the program and everything it handed out; does nothing for NULL. */
ASM_ZQS_API void zqs_program_free(zqs_program* p);

#ifdef __cplusplus
}
#endif

#endif
