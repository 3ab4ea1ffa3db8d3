/* ASM-ZQS for SystemVerilog testbenches: the C side of the DPI-C binding
 * declared in zqs_dpi.svh. The types are those DPI-C gives the SV types:
 * string -> const char*, int -> int, int unsigned -> unsigned int,
 * chandle -> void*, output arguments -> pointers.
 *
 * Functions returning int give 0 on success and 1 on failure; functions
 * returning a string give "" on failure. Every failure sets the text that
 * zqs_dpi_error() then returns (the calling thread's last failure, cut to
 * 4095 bytes): the library's text, or "FUNCTION: reason" for a failure of
 * the shim itself (no image, no word at that address, no such label).
 * Each function that returns a string has storage of its own: a string
 * returned by zqs_dpi_disassemble, zqs_dpi_register_name,
 * zqs_dpi_listing_text or zqs_dpi_error stays valid until the thread's next
 * call of that same function (a simulator copies it at once); label names
 * and listings until the image is freed. */
#ifndef ZQS_DPI_H
#define ZQS_DPI_H

#ifdef __cplusplus
extern "C" {
#endif

const char* zqs_dpi_error(void);

/* A memory image (C array, IFS, MIF or vmem) of architecture arch, with the
 * labels of the definitions file defs ("" for none: an SV string cannot be
 * null); NULL on failure. An empty arch is a failure ("ASM-ZQS architecture name
 * must not be empty."). */
void* zqs_dpi_image_load(const char* image, const char* defs, const char* arch);
void zqs_dpi_image_free(void* image);

/* A program assembled from its source: args holds the arguments of asm-zqs
 * (.cmdline applies too), separated by blanks; "..." keeps blanks in one
 * argument. No image is written (-o is ignored); -odef, -log, --xmldump and
 * --MD write their files. NULL on failure, the assembler's report then in
 * zqs_dpi_error(). The handle is an image with source lines: every image
 * function takes it, zqs_dpi_image_free frees it. */
void* zqs_dpi_program_load(const char* args);

/* The architecture of the image's or program's words. */
const char* zqs_dpi_image_arch(void* image);

/* The source of the word at a byte address: the file as the run named it and
 * the line (gives 1 for an image, which has none), and the text of that line
 * without its line end ("" on failure). Both live until the image is freed. */
int zqs_dpi_source(void* image, unsigned int address, const char** file, unsigned int* line);
const char* zqs_dpi_source_text(void* image, unsigned int address);

/* Coverage: one execution of the word at a byte address (1 for an address
 * without a word: counted apart, reported by the summary); the counts as an
 * lcov tracefile written to path; and their summary, as zqs-cov prints it
 * (lives until the next call for the image). */
int zqs_dpi_cover(void* image, unsigned int address);
int zqs_dpi_write_coverage(void* image, const char* path);
const char* zqs_dpi_coverage_summary(void* image);

/* Its words: by position (0 .. count-1, address order) and by byte address. */
int zqs_dpi_image_word_count(void* image);
int zqs_dpi_image_word(void* image, int index, unsigned int* address, unsigned int* word);
int zqs_dpi_image_read(void* image, unsigned int address, unsigned int* word);

/* Its labels: by position (address order, then name; "" past the end) and
 * the address of a name (as written in the definitions file). */
int zqs_dpi_label_count(void* image);
const char* zqs_dpi_label(void* image, int index, unsigned int* address);
int zqs_dpi_label_address(void* image, const char* name, unsigned int* address);

/* Single words. */
int zqs_dpi_assemble(const char* arch, const char* line, unsigned int* word);
const char* zqs_dpi_disassemble(const char* arch, unsigned int word);
const char* zqs_dpi_register_name(const char* arch, unsigned int address);

/* The text of a word in a listing of the image (as dis-zqs prints it): the
 * disassembly without a trailing blank, every address operand (jump, call
 * and memory addresses) that equals a label's address written as the
 * label's name (the first one at that address), and the comment
 * "  ; the text assembles to another word" where assembling the text does
 * not give the word back; "" when the word is no instruction. */
const char* zqs_dpi_listing_text(void* image, const char* arch, unsigned int word);

/* The image's listing exactly as dis-zqs prints it (line ends "\n"), and the
 * lines of it that belong to the word at a byte address: the gap line before
 * it, the label lines up to it, its own line, and after the last word the
 * labels past it (each line ending with "\n"; "" when no word is there). A
 * trace that writes the lines of each word in address order writes the
 * listing. Both live until the image is freed. */
const char* zqs_dpi_listing(void* image);
const char* zqs_dpi_listing_lines(void* image, unsigned int address);

#ifdef __cplusplus
}
#endif

#endif
