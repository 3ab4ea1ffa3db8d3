/* ASM-ZQS for SystemVerilog testbenches: the DPI-C functions of zqs_dpi.svh
 * over the library's C interface. Compile it with the testbench (it is valid
 * C99 and C++) and link libasm_zqs. An image handle is the zqs_program
 * itself: its words and labels are already in address order, so a look-up by
 * address is a binary search and nothing is copied. */
#include "zqs_dpi.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "asm_zqs_c.h"

#if defined(__cplusplus) && __cplusplus >= 201103L
#define ZQS_DPI_TLS thread_local
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ZQS_DPI_TLS _Thread_local
#elif defined(__GNUC__)
#define ZQS_DPI_TLS __thread
#else
#define ZQS_DPI_TLS
#endif

#define ZQS_DPI_TEXT_SIZE 4096

static ZQS_DPI_TLS char last_error[ZQS_DPI_TEXT_SIZE];
static ZQS_DPI_TLS char disassemble_result[ZQS_DPI_TEXT_SIZE];
static ZQS_DPI_TLS char register_result[ZQS_DPI_TEXT_SIZE];
static ZQS_DPI_TLS char listing_result[ZQS_DPI_TEXT_SIZE];
static ZQS_DPI_TLS char error_result[ZQS_DPI_TEXT_SIZE];

#ifdef __cplusplus
extern "C" {
#endif

static void set_error(const char* text) {
  size_t n = strlen(text);
  /* Reports end with a line end; an SV string is printed as one line. */
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) n--;
  if (n >= sizeof last_error) n = sizeof last_error - 1;
  memcpy(last_error, text, n);
  last_error[n] = '\0';
}

static zqs_program* program(void* image) { return (zqs_program*)image; }

const char* zqs_dpi_error(void) {
  /* Copied, so that the caller's copy survives the next failure's text. */
  memcpy(error_result, last_error, sizeof error_result);
  return error_result;
}

void* zqs_dpi_image_load(const char* image, const char* defs, const char* arch) {
  zqs_program* p = NULL;
  if (image == NULL || arch == NULL) {
    set_error("zqs_dpi_image_load: image and arch must not be null.");
    return NULL;
  }
  if (zqs_read_image(image, defs != NULL && defs[0] != '\0' ? defs : NULL, arch, &p) != 0) {
    set_error(zqs_program_report(p));
    zqs_program_free(p);
    return NULL;
  }
  return p;
}

void zqs_dpi_image_free(void* image) { zqs_program_free(program(image)); }

int zqs_dpi_image_word_count(void* image) {
  size_t n = zqs_program_word_count(program(image));
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : (int)n;
}

int zqs_dpi_image_word(void* image, int index, unsigned int* address, unsigned int* word) {
  uint32_t a = 0, w = 0;
  if (image == NULL || index < 0 ||
      zqs_program_word(program(image), (size_t)index, &a, &w, NULL, NULL) != 0)
    return 1;
  if (address != NULL) *address = a;
  if (word != NULL) *word = w;
  return 0;
}

int zqs_dpi_image_read(void* image, unsigned int address, unsigned int* word) {
  size_t lo = 0, hi = image == NULL ? 0 : zqs_program_word_count(program(image));
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    uint32_t a = 0, w = 0;
    zqs_program_word(program(image), mid, &a, &w, NULL, NULL);
    if (a == address) {
      if (word != NULL) *word = w;
      return 0;
    }
    if (a < address) lo = mid + 1;
    else hi = mid;
  }
  return 1;
}

int zqs_dpi_label_count(void* image) {
  size_t n = zqs_program_label_count(program(image));
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : (int)n;
}

const char* zqs_dpi_label(void* image, int index, unsigned int* address) {
  const char* name = NULL;
  uint32_t a = 0;
  if (image == NULL || index < 0 ||
      zqs_program_label(program(image), (size_t)index, &name, &a) != 0 || name == NULL)
    return "";
  if (address != NULL) *address = a;
  return name;
}

int zqs_dpi_label_address(void* image, const char* name, unsigned int* address) {
  size_t i, n = zqs_program_label_count(program(image));
  if (image == NULL || name == NULL) return 1;
  for (i = 0; i < n; i++) {
    const char* s = NULL;
    uint32_t a = 0;
    if (zqs_program_label(program(image), i, &s, &a) == 0 && s != NULL && strcmp(s, name) == 0) {
      if (address != NULL) *address = a;
      return 0;
    }
  }
  return 1;
}

int zqs_dpi_assemble(const char* arch, const char* line, unsigned int* word) {
  uint32_t w = 0;
  char msg[ZQS_DPI_TEXT_SIZE];
  if (zqs_assemble_line(arch, line, &w, msg, sizeof msg) != 0) {
    set_error(msg);
    return 1;
  }
  if (word != NULL) *word = w;
  return 0;
}

const char* zqs_dpi_disassemble(const char* arch, unsigned int word) {
  if (zqs_disassemble_word(arch, word, disassemble_result, sizeof disassemble_result) != 0) {
    set_error(disassemble_result);
    return "";
  }
  return disassemble_result;
}

const char* zqs_dpi_register_name(const char* arch, unsigned int address) {
  if (zqs_register_name(arch, address, register_result, sizeof register_result) != 0) {
    set_error(register_result);
    return "";
  }
  return register_result;
}

/* The first label (in address order, then name) at an address, or NULL. */
static const char* label_at(zqs_program* p, uint32_t address) {
  size_t lo = 0, hi = zqs_program_label_count(p);
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    const char* name = NULL;
    uint32_t a = 0;
    zqs_program_label(p, mid, &name, &a);
    if (a < address) lo = mid + 1;
    else hi = mid;
  }
  if (lo < zqs_program_label_count(p)) {
    const char* name = NULL;
    uint32_t a = 0;
    zqs_program_label(p, lo, &name, &a);
    if (a == address) return name;
  }
  return NULL;
}

/* Whether the numeric operand text[start, end) of an instruction holds an
 * address (a field that keeps the value shifted right by 2): the text with
 * that operand one higher then draws the assembler's alignment error. */
static int is_address_operand(const char* arch, const char* text, size_t start, size_t end,
                              uint32_t value) {
  char probe[ZQS_DPI_TEXT_SIZE], msg[ZQS_DPI_TEXT_SIZE];
  uint32_t w = 0;
  int n = snprintf(probe, sizeof probe, "%.*s0x%lX%s", (int)start, text,
                   (unsigned long)value + 1, text + end);
  if (n < 0 || (size_t)n >= sizeof probe) return 0;
  if (zqs_assemble_line(arch, probe, &w, msg, sizeof msg) == 0) return 0;
  return strstr(msg, "must be an inter multiple of 4.") != NULL;
}

/* Whether assembling the text gives the word back (0x0ABCDEF0 reads as NOP,
 * which assembles to 0): a listing says so where it does not. */
static int assembles_to(const char* arch, const char* text, uint32_t word) {
  char msg[ZQS_DPI_TEXT_SIZE];
  uint32_t w = 0;
  return zqs_assemble_line(arch, text, &w, msg, sizeof msg) == 0 && w == word;
}

static const char NOTE[] = "  ; the text assembles to another word";

static void append(char* buf, size_t* used, const char* src, size_t len) {
  if (*used + len >= ZQS_DPI_TEXT_SIZE) len = ZQS_DPI_TEXT_SIZE - 1 - *used;
  memcpy(buf + *used, src, len);
  *used += len;
  buf[*used] = '\0';
}

const char* zqs_dpi_listing_text(void* image, const char* arch, unsigned int word) {
  const char* text = zqs_dpi_disassemble(arch, word);
  size_t pos, copied = 0, used = 0, len = strlen(text);
  if (len == 0) return text;
  /* A listing drops the blank after a mnemonic without operands. */
  while (len > 0 && text[len - 1] == ' ') len--;
  listing_result[0] = '\0';
  /* Operands follow the mnemonic's blank, separated by ", ". */
  pos = strcspn(text, " ");
  while (text[pos] != '\0') {
    size_t start = pos + (text[pos] == ',' ? 2 : 1);
    size_t end = start + strcspn(text + start, ",");
    if (strncmp(text + start, "0x", 2) == 0) {
      char* tail = NULL;
      unsigned long value = strtoul(text + start, &tail, 16);
      const char* name = image == NULL ? NULL : label_at(program(image), (uint32_t)value);
      if (tail == text + end && name != NULL &&
          is_address_operand(arch, text, start, end, (uint32_t)value)) {
        append(listing_result, &used, text + copied, start - copied);
        append(listing_result, &used, name, strlen(name));
        copied = end;
      }
    }
    pos = end;
  }
  append(listing_result, &used, text + copied, len - copied);
  if (!assembles_to(arch, text, word)) append(listing_result, &used, NOTE, strlen(NOTE));
  return listing_result;
}

#ifdef __cplusplus
}
#endif
