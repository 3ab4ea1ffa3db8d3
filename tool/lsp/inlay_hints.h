// Inlay hints: the byte address and code words that each line places, from
// the words of the last analysis; given only when the setting
// asmZqs.inlayHints is on.
#ifndef LSP_INLAY_HINTS_H
#define LSP_INLAY_HINTS_H

#include "analysis.h"

class lsp_server;

// Registers textDocument/inlayHint with the server.
void add_inlay_hints(lsp_server& server, lsp_settings const& settings);

#endif
