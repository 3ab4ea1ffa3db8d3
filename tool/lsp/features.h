// Language features over the registry and the last analysis: hover,
// completion and document symbols.
#ifndef LSP_FEATURES_H
#define LSP_FEATURES_H

#include "analysis.h"

class lsp_server;

// Registers the requests textDocument/hover, textDocument/completion and
// textDocument/documentSymbol with the server.
void add_features(lsp_server& server, lsp_settings const& settings);

#endif
