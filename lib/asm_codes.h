// The stable codes of the messages: one row per message template.
#ifndef ASM_CODES_H
#define ASM_CODES_H

#include <string>
#include <vector>

struct msg_code_type {
  char const* code;      // "ZQS" and four digits; a released code never changes meaning
  char const* templ;     // the message text with its variable parts as {placeholders}
  char const* help;      // the usual cause and the fix, one sentence
};

// Every code, in code order.
std::vector<msg_code_type> const& message_codes();
// The row whose template the text matches; null for a text no template matches.
msg_code_type const* message_code(std::string const& text);

#endif
