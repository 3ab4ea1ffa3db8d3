/* The DPI-C shim called as a simulator calls it, on the demo images made by
 * demo_images.sh: every function's success and failure path.
 * Usage: test_dpi_shim IMAGE-DIR */
#include <stdio.h>
#include <string.h>

#include "zqs_dpi.h"

static int failures = 0;

#define CHECK(cond)                                                   \
  do {                                                                \
    if (!(cond)) {                                                    \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
      failures++;                                                     \
    }                                                                 \
  } while (0)

/* dir/name; two calls may be arguments of one call. */
static const char* path(const char* dir, const char* name) {
  static char buf[2][4096];
  static int which = 0;
  which = !which;
  snprintf(buf[which], sizeof buf[which], "%s/%s", dir, name);
  return buf[which];
}

static void single_words(void) {
  unsigned int w = 7;
  CHECK(zqs_dpi_assemble("zqs24-1", "movl r0, 5", &w) == 0 && w == 0x10000005);
  CHECK(strcmp(zqs_dpi_disassemble("zqs24-1", 0xE3710040), "JBS R3, 0x7, 0x40") == 0);
  CHECK(strcmp(zqs_dpi_register_name("zqs24-1", 12), "tbu_ts0") == 0);
  /* Failures: status 1 or "", the library's text in zqs_dpi_error(). */
  w = 7;
  CHECK(zqs_dpi_assemble("zqs24-1", "", &w) == 1 && w == 7);
  CHECK(strcmp(zqs_dpi_error(),
               "ERROR> Assembly result must evaluate to a single 32-bit data word.") == 0);
  CHECK(strcmp(zqs_dpi_disassemble("zqs24-1", 0xA0090000), "") == 0);
  CHECK(strcmp(zqs_dpi_error(), "Invalid instruction code 0xA0090000. Bad bit slice 16 to 19.") == 0);
  CHECK(strcmp(zqs_dpi_register_name("zqs99", 12), "") == 0);
  CHECK(strstr(zqs_dpi_error(), "zqs99") != NULL);
  CHECK(zqs_dpi_assemble(NULL, "nop", &w) == 1);
}

/* Every failure sets its own text: an older failure's text is there before. */
#define FAILS_WITH(call, text)                                            \
  do {                                                                    \
    zqs_dpi_register_name("zqs99", 0);                                    \
    CHECK(call);                                                          \
    CHECK(strstr(zqs_dpi_error(), text) != NULL && !strstr(zqs_dpi_error(), "zqs99")); \
  } while (0)

static void shim_failures(void* img, int n) {
  static char whole[8192];
  unsigned int a = 0, w = 0;
  const char* text;
  int i;
  FAILS_WITH(zqs_dpi_image_read(img, 0x64, &w) == 1, "no word at address 0x00000064.");
  FAILS_WITH(zqs_dpi_image_read(NULL, 0, &w) == 1, "zqs_dpi_image_read: no image.");
  FAILS_WITH(zqs_dpi_image_word(img, n, &a, &w) == 1, "zqs_dpi_image_word: no word");
  FAILS_WITH(zqs_dpi_label(img, 5, &a)[0] == '\0', "zqs_dpi_label: no label 5");
  FAILS_WITH(zqs_dpi_label_address(img, "text", &a) == 1, "no label 'text'.");
  /* The lines of all words make up the listing. */
  whole[0] = '\0';
  for (i = 0; zqs_dpi_image_word(img, i, &a, &w) == 0; i++) strcat(whole, zqs_dpi_listing_lines(img, a));
  CHECK(strcmp(whole, zqs_dpi_listing(img)) == 0 && strncmp(whole, "START:\n0x00000000  0x10000000  MOVL", 35) == 0);
  FAILS_WITH(zqs_dpi_listing_lines(img, 0x41)[0] == '\0', "zqs_dpi_listing_lines: no word at address 0x00000041.");
  FAILS_WITH(zqs_dpi_listing(NULL)[0] == '\0', "zqs_dpi_listing: no image.");
  /* Each string function has storage of its own. */
  text = zqs_dpi_disassemble("zqs24-1", 0xE3710040);
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", 0xE0000000), "JMP START") == 0);
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", 0xFFFFFFFF), "") == 0);
  CHECK(strcmp(text, "JBS R3, 0x7, 0x40") == 0);
}

/* A C array holds no addresses: its gap 0x38..0x3F is there as two zero words. */
static void image(const char* dir, const char* file, int has_gap) {
  unsigned int a = 0, w = 0;
  void* img = zqs_dpi_image_load(path(dir, file), path(dir, "demo.h"), "zqs24-1");
  CHECK(img != NULL);
  if (img == NULL) {
    fprintf(stderr, "%s: %s\n", file, zqs_dpi_error());
    return;
  }
  /* 14 instructions from 0, then seven string words and two data words from 0x40. */
  int n = has_gap ? 23 : 25;
  CHECK(zqs_dpi_image_word_count(img) == n);
  CHECK(zqs_dpi_image_word(img, 9, &a, &w) == 0 && a == 0x24 && w == 0xE0000000);
  CHECK(zqs_dpi_image_word(img, n - 1, &a, &w) == 0 && a == 0x60 && w == 0xFFFFFFFF);
  CHECK(zqs_dpi_image_word(img, n, &a, &w) == 1 && zqs_dpi_image_word(img, -1, &a, &w) == 1);
  CHECK(zqs_dpi_image_read(img, 0x0, &w) == 0 && w == 0x10000000);
  CHECK(zqs_dpi_image_read(img, 0x40, &w) == 0 && w == (('e' << 8) | 'H'));
  CHECK(zqs_dpi_image_read(img, 0x60, &w) == 0 && w == 0xFFFFFFFF);
  CHECK(zqs_dpi_image_read(img, 0x64, &w) == 1);
  CHECK(zqs_dpi_image_read(img, 0x38, &w) == has_gap);
  CHECK(zqs_dpi_image_read(img, 0x41, &w) == 1);
  /* Labels, named as in the definitions header, in address order. */
  CHECK(zqs_dpi_label_count(img) == 5);
  CHECK(strcmp(zqs_dpi_label(img, 0, &a), "START") == 0 && a == 0);
  CHECK(strcmp(zqs_dpi_label(img, 4, &a), "TABLE") == 0 && a == 0x5C);
  CHECK(strcmp(zqs_dpi_label(img, 5, &a), "") == 0);
  CHECK(zqs_dpi_label_address(img, "TEXT", &a) == 0 && a == 0x40);
  CHECK(zqs_dpi_label_address(img, "text", &a) == 1);
  /* Address operands that hit a label take its name; other numbers stay. */
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", 0xE0000000), "JMP START") == 0);
  zqs_dpi_image_read(img, 0x28, &w); /* movl r1, text: 0x40 is a value, not an address */
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", w), "MOVL R1, 0x40") == 0);
  zqs_dpi_image_read(img, 0x18, &w); /* jbs sta, 0, loop */
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", w), "JBS STA, 0x0, LOOP") == 0);
  CHECK(strcmp(zqs_dpi_listing_text(img, "zqs24-1", 0xFFFFFFFF), "") == 0);
  CHECK(strcmp(zqs_dpi_listing_text(NULL, "zqs24-1", 0x0ABCDEF0),
               "NOP  ; the text assembles to another word") == 0);
  CHECK(strcmp(zqs_dpi_listing_text(NULL, "zqs24-1", 0), "NOP") == 0);
  CHECK(strstr(zqs_dpi_error(), "0xFFFFFFFF") != NULL);
  shim_failures(img, n);
  zqs_dpi_image_free(img);
}

static void image_failures(const char* dir) {
  CHECK(zqs_dpi_image_load(path(dir, "missing.c"), "", "zqs24-1") == NULL);
  CHECK(strstr(zqs_dpi_error(), "missing.c") != NULL);
  CHECK(zqs_dpi_image_load(path(dir, "demo.h"), "", "zqs24-1") == NULL);
  CHECK(strstr(zqs_dpi_error(), "demo.h") != NULL);
  CHECK(zqs_dpi_image_load(path(dir, "demo.mif"), "", "zqs99") == NULL);
  CHECK(zqs_dpi_image_load(NULL, "", "zqs24-1") == NULL);
  FAILS_WITH(zqs_dpi_image_load(path(dir, "demo.mif"), "", "") == NULL,
             "ASM-ZQS architecture name must not be empty.");
  /* A null handle is an empty image. */
  CHECK(zqs_dpi_image_word_count(NULL) == 0 && zqs_dpi_label_count(NULL) == 0);
  CHECK(zqs_dpi_image_read(NULL, 0, NULL) == 1);
  zqs_dpi_image_free(NULL);
}

/* A program from its source (dpi/tests/cover.zqs): source lines, and the
 * tracefile of a run of it as cover_tb runs it, plus the string's words. */
static void program(const char* src, const char* work) {
  static const unsigned int run[] = {0, 4, 8, 4, 8, 4, 8, 4, 8, 0xC, 0x10, 0x20, 0x24, 0x14,
                                     0x28, 0x28, 0x2C};
  static char args[4096], expected[8192], actual[8192];
  const char* file = "";
  unsigned int line = 0, i;
  void *prog, *img;
  FILE* f;
  size_t n;
  snprintf(args, sizeof args, "-arch  zqs24-1\t\"%s/cover.zqs\"", src);
  prog = zqs_dpi_program_load(args);
  CHECK(prog != NULL && strcmp(zqs_dpi_image_arch(prog), "zqs24-1") == 0);
  if (prog == NULL) return;
  CHECK(zqs_dpi_source(prog, 0x20, &file, &line) == 0 && line == 2 &&
        strcmp(file + strlen(file) - 13, "cover_sub.inc") == 0);
  CHECK(strcmp(zqs_dpi_source_text(prog, 4), "loop:   addl    r1, 1           ; hits 4") == 0);
  FAILS_WITH(zqs_dpi_source(prog, 0x34, &file, &line) == 1, "zqs_dpi_source: no word at address 0x00000034.");
  for (i = 0; i < sizeof run / sizeof run[0]; i++) CHECK(zqs_dpi_cover(prog, run[i]) == 0);
  FAILS_WITH(zqs_dpi_cover(prog, 0x1000) == 1, "zqs_dpi_cover: no word at address 0x00001000.");
  CHECK(strstr(zqs_dpi_coverage_summary(prog), "cover.zqs: 7 of 9 lines executed (77.8%)\n") != NULL);
  CHECK(strstr(zqs_dpi_coverage_summary(prog),
               "\nlabels never reached: never\noutside the program: 1 execution at 1 address: "
               "0x00001000 (1)\n") != NULL);
  /* The .str line ran three times: twice its first word, once its second. */
  snprintf(expected, sizeof expected,
           "TN:\nSF:%s/cover.zqs\nDA:4,1\nDA:5,4\nDA:6,4\nDA:7,1\nDA:8,1\nDA:9,1\nDA:10,0\n"
           "DA:11,0\nDA:13,3\nLF:9\nLH:7\nend_of_record\nSF:%s/cover_sub.inc\nDA:2,1\nDA:3,1\n"
           "LF:2\nLH:2\nend_of_record\n", src, src);
  CHECK(zqs_dpi_write_coverage(prog, path(work, "cover.info")) == 0);
  f = fopen(path(work, "cover.info"), "rb");
  n = f ? fread(actual, 1, sizeof actual - 1, f) : 0;
  actual[n] = '\0';
  if (f) fclose(f);
  CHECK(strcmp(actual, expected) == 0);
  FAILS_WITH(zqs_dpi_write_coverage(prog, path(src, "cover_sub.inc")) == 1, "Refusing to overwrite source file");
  FAILS_WITH(zqs_dpi_write_coverage(prog, "") == 1, "coverage file name must not be empty.");
  zqs_dpi_image_free(prog);
  /* Failures: the report, a quote left open, an image without source lines. */
  FAILS_WITH(zqs_dpi_program_load(path(work, "missing.zqs")) == NULL, "Unable to read file");
  FAILS_WITH(zqs_dpi_program_load("\"a b") == NULL, "zqs_dpi_program_load: a quote is not closed.");
  img = zqs_dpi_image_load(path(work, "demo.ifs"), "", "zqs24-1");
  FAILS_WITH(zqs_dpi_source(img, 0, &file, &line) == 1, "zqs_dpi_source: an image has no source lines.");
  FAILS_WITH(zqs_dpi_write_coverage(img, path(work, "image.info")) == 1,
             "ASM-ZQS coverage needs a program assembled from its source.");
  zqs_dpi_image_free(img);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: test_dpi_shim IMAGE-DIR TEST-SOURCE-DIR\n");
    return 2;
  }
  single_words();
  image(argv[1], "demo.c", 0);
  image(argv[1], "demo.ifs", 1);
  image(argv[1], "demo.mif", 1);
  image_failures(argv[1]);
  program(argv[2], argv[1]);
  if (failures == 0) printf("dpi shim: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
