// Placeholder of the message-code table, so that the library links until the
// table itself is merged. Drop this file at that merge.
#include "asm_codes.h"

std::vector<msg_code_type> const& message_codes() {
  static std::vector<msg_code_type> const codes = {
      {"ZQS0001", "Missing source file name.", "Name the assembler source file on the command line."},
      {"ZQS0002", "Command line option '-otyp' ignored for output formats other than C.",
       "Drop -otyp, or write a C array with -ofmt c."},
  };
  return codes;
}

msg_code_type const* message_code(std::string const& text) {
  for (msg_code_type const& c : message_codes())
    if (text == c.templ) return &c;
  return nullptr;
}
