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

/* Sets the failure text "FUNCTION: no image." for a null handle; gives 1 then. */
static int no_image(void* image, const char* function) {
  char text[128];
  if (image != NULL) return 0;
  snprintf(text, sizeof text, "%s: no image.", function);
  set_error(text);
  return 1;
}

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
  /* An SV string cannot be null: "" is the way to say "no definitions file".
   * An empty arch goes on to the library, which refuses it. */
  if (zqs_read_image(image, defs != NULL && defs[0] != '\0' ? defs : NULL, arch, &p) != 0) {
    set_error(zqs_program_report(p));
    zqs_program_free(p);
    return NULL;
  }
  return p;
}

void zqs_dpi_image_free(void* image) { zqs_program_free(program(image)); }

/* Splits args at blanks into argv (quotes removed); the words are written into
 * buf, which has room for all of args. Gives the number of words, or -1 for an
 * unclosed quote. argv has room for one word per byte of args. */
static int split_args(const char* args, char* buf, const char** argv) {
  int n = 0;
  while (*args != '\0') {
    int quoted = 0;
    while (*args == ' ' || *args == '\t' || *args == '\n' || *args == '\r') args++;
    if (*args == '\0') break;
    argv[n++] = buf;
    while (*args != '\0' && (quoted || (*args != ' ' && *args != '\t' && *args != '\n' &&
                                         *args != '\r'))) {
      if (*args == '"') quoted = !quoted;
      else *buf++ = *args;
      args++;
    }
    if (quoted) return -1;
    *buf++ = '\0';
  }
  return n;
}

void* zqs_dpi_program_load(const char* args) {
  zqs_program* p = NULL;
  size_t size;
  char* buf;
  const char** argv;
  int argc;
  if (args == NULL) {
    set_error("zqs_dpi_program_load: args must not be null.");
    return NULL;
  }
  size = strlen(args) + 1;
  buf = (char*)malloc(size);
  argv = (const char**)malloc(size * sizeof *argv);
  if (buf == NULL || argv == NULL) {
    set_error("zqs_dpi_program_load: out of memory.");
    argc = -2;
  } else {
    argc = split_args(args, buf, argv);
    if (argc == -1) set_error("zqs_dpi_program_load: a quote is not closed.");
  }
  if (argc >= 0 && zqs_assemble_file(argc, argv, &p) != 0) {
    set_error(zqs_program_report(p));
    zqs_program_free(p);
    p = NULL;
  }
  free(buf);
  free((void*)argv);
  return p;
}

const char* zqs_dpi_image_arch(void* image) {
  if (no_image(image, "zqs_dpi_image_arch")) return "";
  return zqs_program_arch(program(image));
}

int zqs_dpi_image_word_count(void* image) {
  size_t n = zqs_program_word_count(program(image));
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : (int)n;
}

int zqs_dpi_image_word(void* image, int index, unsigned int* address, unsigned int* word) {
  uint32_t a = 0, w = 0;
  if (no_image(image, "zqs_dpi_image_word")) return 1;
  if (index < 0 || zqs_program_word(program(image), (size_t)index, &a, &w, NULL, NULL) != 0) {
    char text[128];
    snprintf(text, sizeof text, "zqs_dpi_image_word: no word %d (the image has %d).", index,
             zqs_dpi_image_word_count(image));
    set_error(text);
    return 1;
  }
  if (address != NULL) *address = a;
  if (word != NULL) *word = w;
  return 0;
}

/* The position of the word at that address, or -1 (the words ascend). */
static long find_word(void* image, unsigned int address, uint32_t* word) {
  size_t lo = 0, hi = zqs_program_word_count(program(image));
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    uint32_t a = 0, w = 0;
    zqs_program_word(program(image), mid, &a, &w, NULL, NULL);
    if (a == address) {
      if (word != NULL) *word = w;
      return (long)mid;
    }
    if (a < address) lo = mid + 1;
    else hi = mid;
  }
  return -1;
}

/* Sets the failure text "FUNCTION: no word at address 0x........."; gives 1. */
static int no_word(const char* function, unsigned int address) {
  char text[128];
  snprintf(text, sizeof text, "%s: no word at address 0x%08X.", function, address);
  set_error(text);
  return 1;
}

int zqs_dpi_image_read(void* image, unsigned int address, unsigned int* word) {
  uint32_t w = 0;
  if (no_image(image, "zqs_dpi_image_read")) return 1;
  if (find_word(image, address, &w) < 0) return no_word("zqs_dpi_image_read", address);
  if (word != NULL) *word = w;
  return 0;
}

int zqs_dpi_label_count(void* image) {
  size_t n = zqs_program_label_count(program(image));
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : (int)n;
}

const char* zqs_dpi_label(void* image, int index, unsigned int* address) {
  const char* name = NULL;
  uint32_t a = 0;
  if (no_image(image, "zqs_dpi_label")) return "";
  if (index < 0 || zqs_program_label(program(image), (size_t)index, &name, &a) != 0 ||
      name == NULL) {
    char text[128];
    snprintf(text, sizeof text, "zqs_dpi_label: no label %d (the image has %d).", index,
             zqs_dpi_label_count(image));
    set_error(text);
    return "";
  }
  if (address != NULL) *address = a;
  return name;
}

int zqs_dpi_label_address(void* image, const char* name, unsigned int* address) {
  size_t i, n = zqs_program_label_count(program(image));
  if (no_image(image, "zqs_dpi_label_address")) return 1;
  if (name == NULL) {
    set_error("zqs_dpi_label_address: name must not be null.");
    return 1;
  }
  for (i = 0; i < n; i++) {
    const char* s = NULL;
    uint32_t a = 0;
    if (zqs_program_label(program(image), i, &s, &a) == 0 && s != NULL && strcmp(s, name) == 0) {
      if (address != NULL) *address = a;
      return 0;
    }
  }
  {
    char text[ZQS_DPI_TEXT_SIZE];
    snprintf(text, sizeof text, "zqs_dpi_label_address: no label '%s'.", name);
    set_error(text);
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

const char* zqs_dpi_listing_text(void* image, const char* arch, unsigned int word) {
  /* A word that is no instruction: "", with the reason in zqs_dpi_error(). The
   * test goes through a buffer of its own: zqs_dpi_disassemble's text stays. */
  char reason[ZQS_DPI_TEXT_SIZE];
  if (zqs_disassemble_word(arch, word, reason, sizeof reason) != 0) {
    set_error(reason);
    return "";
  }
  if (zqs_listing_text(arch, word, program(image), listing_result, sizeof listing_result) != 0) {
    set_error(listing_result);
    return "";
  }
  return listing_result;
}

const char* zqs_dpi_listing(void* image) {
  if (no_image(image, "zqs_dpi_listing")) return "";
  return zqs_program_listing(program(image));
}

const char* zqs_dpi_listing_lines(void* image, unsigned int address) {
  long i;
  const char* part;
  if (no_image(image, "zqs_dpi_listing_lines")) return "";
  i = find_word(image, address, NULL);
  if (i < 0) {
    no_word("zqs_dpi_listing_lines", address);
    return "";
  }
  part = zqs_program_listing_part(program(image), (size_t)i);
  if (part == NULL) {
    set_error("zqs_dpi_listing_lines: the listing cannot be made.");
    return "";
  }
  return part;
}

int zqs_dpi_source(void* image, unsigned int address, const char** file, unsigned int* line) {
  const char* f = "";
  unsigned int l = 0;
  if (no_image(image, "zqs_dpi_source")) return 1;
  if (zqs_program_source(program(image), address, &f, &l, NULL) != 0)
    return no_word("zqs_dpi_source", address);
  if (l == 0) {
    set_error("zqs_dpi_source: an image has no source lines.");
    return 1;
  }
  if (file != NULL) *file = f;
  if (line != NULL) *line = l;
  return 0;
}

const char* zqs_dpi_source_text(void* image, unsigned int address) {
  const char* text = "";
  if (zqs_dpi_source(image, address, NULL, NULL) != 0) return "";
  zqs_program_source(program(image), address, NULL, NULL, &text);
  return text;
}

int zqs_dpi_cover(void* image, unsigned int address) {
  if (no_image(image, "zqs_dpi_cover")) return 1;
  if (zqs_program_cover(program(image), address) != 0) return no_word("zqs_dpi_cover", address);
  return 0;
}

int zqs_dpi_write_coverage(void* image, const char* path) {
  char msg[ZQS_DPI_TEXT_SIZE];
  if (no_image(image, "zqs_dpi_write_coverage")) return 1;
  if (zqs_program_write_coverage(program(image), path, msg, sizeof msg) != 0) {
    set_error(msg);
    return 1;
  }
  return 0;
}

const char* zqs_dpi_coverage_summary(void* image) {
  if (no_image(image, "zqs_dpi_coverage_summary")) return "";
  return zqs_program_coverage_summary(program(image));
}

#ifdef __cplusplus
}
#endif
