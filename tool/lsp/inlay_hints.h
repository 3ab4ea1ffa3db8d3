// Inlay hints: the byte address and code words that each line places, from
// the words of the last analysis; given only when the setting
// asmZqs.inlayHints is on.
#ifndef LSP_INLAY_HINTS_H
#define LSP_INLAY_HINTS_H

#include "analysis.h"

class lsp_server;

// "0x0010: 0xE0000028": the address of a line's first word and its code
// words, the first few of many; words must not be empty.
std::string placed_words_text(std::vector<lsp_word> const& words);

// Registers textDocument/inlayHint with the server.
void add_inlay_hints(lsp_server& server, lsp_settings const& settings);

#endif
