// Navigation over the tokens of the last analysis: definition, references,
// document highlights, rename, document links and workspace symbols.
#ifndef LSP_NAVIGATION_H
#define LSP_NAVIGATION_H

class lsp_server;

// Registers textDocument/definition, references, documentHighlight,
// prepareRename, rename, documentLink and workspace/symbol with the server.
void add_navigation(lsp_server& server);

#endif
