// The messages of a run in the formats with columns: gnu, json and sarif.
#ifndef ASM_DIAG_H
#define ASM_DIAG_H

#include <string>
#include <vector>

#include "asm_objects.h"

enum class diag_format { none, gnu, json, sarif };

// "gnu", "json" or "sarif"; false for any other name.
bool parse_diag_format(std::string const& name, diag_format& format);

// The whole text of the messages (after_syntax_error ones included) in the
// format. gnu reads the source lines it shows from the messages' paths.
std::string format_diagnostics(std::vector<asm_module::msg_element> const& msgs, diag_format format);

#endif
