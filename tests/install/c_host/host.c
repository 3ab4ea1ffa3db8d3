/* A C99 host of the assembler library's C interface. It goes through every
 * function, its success and failure paths and the cutting of texts to the
 * buffer, and prints what it got; the caller compares that with expected_c.txt.
 * Built against the static and the shared library, and (with ZQS_DLOPEN)
 * loading the shared library named by argv[1] at run time.
 *   host [LIBRARY] [leak]   "leak": the last two programs are not freed, for
 *                           the check that LeakSanitizer watches this program */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <asm_zqs_c.h>

#ifdef ZQS_DLOPEN
#include <dlfcn.h>
/* Each function through a pointer fetched with dlsym. */
#define ZQS_FUNCTIONS(X)                                                                   \
  X(int, zqs_assemble_line, (const char*, const char*, uint32_t*, char*, size_t))          \
  X(int, zqs_disassemble_word, (const char*, uint32_t, char*, size_t))                     \
  X(int, zqs_register_name, (const char*, uint32_t, char*, size_t))                        \
  X(const char*, zqs_architecture, (size_t))                                               \
  X(int, zqs_assemble_file, (int, const char* const*, zqs_program**))                      \
  X(int, zqs_read_image, (const char*, const char*, const char*, zqs_program**))           \
  X(size_t, zqs_program_word_count, (const zqs_program*))                                  \
  X(int, zqs_program_word,                                                                 \
    (const zqs_program*, size_t, uint32_t*, uint32_t*, const char**, unsigned int*))       \
  X(size_t, zqs_program_label_count, (const zqs_program*))                                 \
  X(int, zqs_program_label, (const zqs_program*, size_t, const char**, uint32_t*))         \
  X(const char*, zqs_program_report, (const zqs_program*))                                 \
  X(size_t, zqs_program_message_count, (const zqs_program*))                               \
  X(int, zqs_program_message,                                                              \
    (const zqs_program*, size_t, int*, const char**, const char**, const char**,           \
     unsigned int*, unsigned int*, unsigned int*, unsigned int*))                          \
  X(size_t, zqs_program_message_include_count, (const zqs_program*, size_t))               \
  X(int, zqs_program_message_include,                                                      \
    (const zqs_program*, size_t, size_t, const char**, unsigned int*))                     \
  X(void, zqs_program_free, (zqs_program*))
#define DECLARE(ret, name, params) static ret(*p_##name) params;
ZQS_FUNCTIONS(DECLARE)
#define zqs_assemble_line p_zqs_assemble_line
#define zqs_disassemble_word p_zqs_disassemble_word
#define zqs_register_name p_zqs_register_name
#define zqs_architecture p_zqs_architecture
#define zqs_assemble_file p_zqs_assemble_file
#define zqs_read_image p_zqs_read_image
#define zqs_program_word_count p_zqs_program_word_count
#define zqs_program_word p_zqs_program_word
#define zqs_program_label_count p_zqs_program_label_count
#define zqs_program_label p_zqs_program_label
#define zqs_program_report p_zqs_program_report
#define zqs_program_message_count p_zqs_program_message_count
#define zqs_program_message p_zqs_program_message
#define zqs_program_message_include_count p_zqs_program_message_include_count
#define zqs_program_message_include p_zqs_program_message_include
#define zqs_program_free p_zqs_program_free

static int load(const char* library) {
  void* h = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  void* sym;
  if (!h) {
    printf("dlopen: %s\n", dlerror());
    return 1;
  }
/* ISO C has no cast from an object pointer to a function pointer: copy the bytes. */
#define FETCH(ret, name, params)                        \
  sym = dlsym(h, #name);                                \
  if (!sym) {                                           \
    printf("dlsym %s: missing\n", #name);               \
    return 1;                                           \
  }                                                     \
  memcpy(&p_##name, &sym, sizeof p_##name);
  ZQS_FUNCTIONS(FETCH)
  /* Nothing of the library's insides is visible. */
  if (dlsym(h, "_ZN10asm_passes12run_frontendEv")) printf("dlsym: internal symbol exported\n");
  return 0;
}
#endif

static int failures = 0;

static void expect(int ok, const char* what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

static void write_file(const char* name, const char* text) {
  FILE* f = fopen(name, "wb");
  if (!f || fputs(text, f) < 0 || fclose(f) != 0) {
    printf("cannot write %s\n", name);
    exit(2);
  }
}

static void single_instructions(void) {
  char buf[256], tiny[8];
  uint32_t w = 0;
  int rc;
  size_t i;

  rc = zqs_assemble_line("zqs24-1", "movl r0, 5", &w, buf, sizeof buf);
  printf("assemble: %d 0x%08lX '%s'\n", rc, (unsigned long)w, buf);
  rc = zqs_assemble_line("zqs24-1", "", &w, buf, sizeof buf);
  printf("assemble empty: %d [%s]\n", rc, buf);
  rc = zqs_assemble_line("zqs24-1", "foo r0", NULL, buf, sizeof buf);
  /* The text names the temporary source file: only its end is fixed. */
  printf("assemble bad: %d [%s]\n", rc, strstr(buf, "> ") ? strstr(buf, "> ") : buf);
  rc = zqs_assemble_line("zqs99", "nop", &w, buf, sizeof buf);
  printf("assemble arch: %d [%s]\n", rc, buf);
  rc = zqs_assemble_line("zqs24-1", "", &w, tiny, sizeof tiny);
  printf("assemble cut: %d '%s'\n", rc, tiny);
  rc = zqs_assemble_line("zqs24-1", "", &w, NULL, 0);
  printf("assemble no buffer: %d\n", rc);
  rc = zqs_assemble_line(NULL, "nop", &w, buf, sizeof buf);
  printf("assemble null: %d %s\n", rc, buf);

  rc = zqs_disassemble_word("zqs24-1", 0xE3710040u, buf, sizeof buf);
  printf("disassemble: %d %s\n", rc, buf);
  rc = zqs_disassemble_word("zqs24-1", 0xA0090000u, buf, sizeof buf);
  printf("disassemble bad: %d %s\n", rc, buf);
  rc = zqs_disassemble_word("zqs16-1", 0x02000000u, buf, sizeof buf);
  printf("disassemble width: %d %s\n", rc, buf);
  rc = zqs_disassemble_word("zqs24-1", 0xE3710040u, tiny, sizeof tiny);
  printf("disassemble cut: %d '%s'\n", rc, tiny);
  rc = zqs_disassemble_word("zqs24-1", 0xE3710040u, tiny, 1);
  printf("disassemble size 1: %d '%s'\n", rc, tiny);

  rc = zqs_register_name("zqs24-1", 12, buf, sizeof buf);
  printf("register: %d %s\n", rc, buf);
  rc = zqs_register_name("zqs24-1", 16, buf, sizeof buf);
  printf("register unused: %d %s\n", rc, buf);
  rc = zqs_register_name("nope", 12, buf, sizeof buf);
  printf("register arch: %d %s\n", rc, buf);

  for (i = 0; zqs_architecture(i); ++i) printf("architecture %lu: %s\n", (unsigned long)i, zqs_architecture(i));
  expect(zqs_architecture(1000) == NULL, "architecture past the end");
}

/* Level, the code's prefix (the digits may change), file, line, columns and
 * text of each message, and the .include lines that led to it. */
static void print_messages(const zqs_program* p) {
  size_t i, k, n = zqs_program_message_count(p);
  int level;
  const char *code, *text, *file;
  unsigned int line, col, end_line, end_col;
  for (i = 0; i < n; ++i) {
    expect(zqs_program_message(p, i, &level, &code, &text, &file, &line, &col, &end_line,
                               &end_col) == 0, "message");
    printf("  message %d %.3s [%s]:%u:%u-%u:%u %s\n", level, code, file, line, col, end_line,
           end_col, text);
    for (k = 0; k < zqs_program_message_include_count(p, i); ++k) {
      expect(zqs_program_message_include(p, i, k, &file, &line) == 0, "include site");
      printf("    included from %s:%u\n", file, line);
    }
    expect(zqs_program_message_include(p, i, k, &file, &line) == 1, "include site past the end");
  }
  expect(zqs_program_message(p, n, &level, NULL, NULL, NULL, NULL, NULL, NULL, NULL) == 1,
         "message past the end");
}

static void print_program(const char* what, int rc, const zqs_program* p) {
  size_t i, n = zqs_program_word_count(p);
  uint32_t adr, word;
  const char* file;
  const char* name;
  unsigned int line;
  printf("%s: %d, %lu words, %lu labels\n", what, rc, (unsigned long)n,
         (unsigned long)zqs_program_label_count(p));
  for (i = 0; i < n; ++i) {
    expect(zqs_program_word(p, i, &adr, &word, &file, &line) == 0, "word");
    printf("  0x%04lX 0x%08lX %s:%u\n", (unsigned long)adr, (unsigned long)word, file, line);
  }
  for (i = 0; i < zqs_program_label_count(p); ++i) {
    expect(zqs_program_label(p, i, &name, &adr) == 0, "label");
    printf("  %s = 0x%04lX\n", name, (unsigned long)adr);
  }
  expect(zqs_program_word(p, n, &adr, &word, &file, &line) == 1, "word past the end");
  expect(zqs_program_label(p, zqs_program_label_count(p), &name, &adr) == 1, "label past the end");
  printf("  report: [%s]\n", zqs_program_report(p));
  print_messages(p);
}

static void whole_files(int leak) {
  zqs_program* p = NULL;
  int rc;
  const char* ok_args[] = {"-o", "ignored.c", "-log", "prog.log", "prog.zqs"};
  const char* warn_args[] = {"-W", "-ofmt", "mif", "-odef", "x.h", "prog.zqs"};
  const char* bad_args[] = {"bad.zqs"};
  const char* opt_args[] = {"-x"};
  const char* null_args[] = {"prog.zqs", NULL};
  const char* inc_args[] = {"outer.zqs"};
  FILE* f;

  write_file("inc.inc", ".define BASE 8\n");
  write_file("prog.zqs", ".include \"inc.inc\"\nStart: movl r0, BASE\nzEnd:\nAlpha: nop\n  jmp Start\n");
  write_file("bad.zqs", "movl r0, 1\nfoo r1\n");

  rc = zqs_assemble_file(5, ok_args, &p);
  print_program("file", rc, p);
  f = fopen("ignored.c", "rb");
  expect(f == NULL, "-o must write no image");
  if (f) fclose(f);
  f = fopen("prog.log", "rb");
  expect(f != NULL, "-log writes the log");
  if (f) fclose(f);
  zqs_program_free(p);

  rc = zqs_assemble_file(6, warn_args, &p);
  print_program("file -W", rc, p);
  zqs_program_free(p);

  rc = zqs_assemble_file(1, bad_args, &p);
  print_program("file bad", rc, p);
  zqs_program_free(p);

  rc = zqs_assemble_file(1, opt_args, &p);
  print_program("file option", rc, p);
  zqs_program_free(p);

  rc = zqs_assemble_file(0, NULL, &p);
  print_program("file none", rc, p);
  zqs_program_free(p);

  rc = zqs_assemble_file(2, null_args, &p);
  print_program("file null", rc, p);
  zqs_program_free(p);

  /* An undefined symbol in an included file: the message names the included
   * file, the .include that led there, and the symbol's columns. */
  write_file("deep.inc", "nop\njmp nowhere\n");
  write_file("outer.zqs", "nop\n.include \"deep.inc\"\n");
  rc = zqs_assemble_file(1, inc_args, &p);
  print_program("file included", rc, p);
  zqs_program_free(p);

  rc = zqs_assemble_file(5, ok_args, NULL);
  printf("file without result: %d\n", rc);

  zqs_program_free(NULL);
  print_program("null program", 0, NULL);

  /* Two programs left unfreed: a stale pointer left in some global of the
   * process may point at one of them and hide it from the check. */
  rc = zqs_assemble_file(1, bad_args, &p);
  if (!leak) zqs_program_free(p);
  rc = zqs_assemble_file(1, bad_args, &p);
  if (!leak) zqs_program_free(p);
}

static void images(void) {
  zqs_program* p = NULL;
  int rc;
  write_file("img.c",
             "/* target architecture : zqs24-1 */\n\nunsigned long zqs0_mem[3] = { \n"
             "    0x10000005,\n    0x00000000,\n    0xE0000000\n};\n");
  write_file("img.h",
             "#ifndef IMG_H_\n#define IMG_H_\n"
             "#define OFFSET_ZQS0_MEM     (  64) /* offset */\n"
             "#define SIZE_ZQS0_MEM       (  12) /* size */\n"
             "#define LABEL_ZQS0_MEM_START                     (   0) /* START */\n"
             "#define LABEL_ZQS0_MEM_zEnd                      (   2) /* zEnd */\n"
             "#define LABEL_ZQS0_MEM_ALPHA                     (   2) /* ALPHA */\n#endif\n");
  write_file("img.mif",
             "WIDTH = 25;\nDEPTH = 3;\nADDRESS_RADIX = HEX;\nDATA_RADIX = HEX;\nCONTENT\nBEGIN\n\n"
             "  0 : 0100005;\n  2 : 0F00000;\n\nEND;\n");
  write_file("bad.mif", "WIDTH = 25;\nDEPTH = 3;\nCONTENT\nBEGIN\n  0 : 2100005;\nEND;\n");

  rc = zqs_read_image("img.c", "img.h", "zqs24-1", &p);
  print_program("image C", rc, p);
  zqs_program_free(p);
  rc = zqs_read_image("img.mif", NULL, "zqs16-1", &p);
  print_program("image MIF", rc, p);
  zqs_program_free(p);
  rc = zqs_read_image("img.mif", NULL, "zqs24-1", &p);
  print_program("image MIF, wrong architecture", rc, p);
  zqs_program_free(p);
  rc = zqs_read_image("bad.mif", NULL, "zqs16-1", &p);
  print_program("image too wide", rc, p);
  zqs_program_free(p);
  rc = zqs_read_image("missing.c", NULL, "zqs24-1", &p);
  print_program("image missing", rc, p);
  zqs_program_free(p);
  rc = zqs_read_image(NULL, NULL, "zqs24-1", &p);
  print_program("image null", rc, p);
  zqs_program_free(p);
}

int main(int argc, char** argv) {
  int leak = argc > 1 && strcmp(argv[argc - 1], "leak") == 0;
#ifdef ZQS_DLOPEN
  if (argc < 2 || load(argv[1])) return 2;
#endif
  single_instructions();
  whole_files(leak);
  images();
  printf("failures: %d\n", failures);
  return failures ? 1 : 0;
}
