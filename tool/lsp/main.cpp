// zqs-lsp: the language server of the assembler, over standard input and output.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define fdopen _fdopen
#define STDOUT_FILENO 1
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>

#include "asm_utils.h"
#include "framing.h"
#include "server.h"

namespace {

char const usage_text[] =
    "Usage:    zqs-lsp [--log]\n"
    "\n"
    "Language server of the assembler (Language Server Protocol 3.17) on standard\n"
    "input and output; an editor starts it.\n"
    "\n"
    "  --log             Log the messages handled on standard error.\n"
    "  --version         Print version information.\n"
    "  -h, --help        Print this text.\n";

}  // namespace

int main(int argc, char** argv) {
  bool log = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--log")) {
      log = true;
    } else if (!strcmp(argv[i], "--version")) {
      fputs(ASM_PROGRAM_VERSION("zqs-lsp"), stdout);
      return 0;
    } else if (!strcmp(argv[i], "-h") || !strcmp(argv[i], "--help")) {
      fputs(usage_text, stdout);
      return 0;
    } else {
      fprintf(stderr, "zqs-lsp: unknown option '%s'.\n%s", argv[i], usage_text);
      return 2;
    }
  }
  // The protocol keeps standard output to itself: anything else that would
  // print there goes to standard error.
#ifdef _WIN32
  // Content-Length counts bytes: no CR LF translation either way.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(STDOUT_FILENO, _O_BINARY);
#endif
  int proto_fd = dup(STDOUT_FILENO);
  FILE* proto = proto_fd >= 0 ? fdopen(proto_fd, "wb") : nullptr;
  if (!proto || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    fprintf(stderr, "zqs-lsp: cannot take over standard output.\n");
    return 1;
  }
  lsp_server server(proto, log);
  std::string body;
  for (;;) {
    frame_status st = read_frame(stdin, body);
    if (st == frame_status::end) break;
    if (st == frame_status::bad_header) {
      server.bad_header();
      continue;
    }
    if (!server.handle(body)) break;
  }
  return server.exit_code();
}
