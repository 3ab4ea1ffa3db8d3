// Navigation over the tokens of the last analysis: definition, references,
// document highlights, rename and document links.
#ifndef LSP_NAVIGATION_H
#define LSP_NAVIGATION_H

class lsp_server;

// Registers textDocument/definition, references, documentHighlight,
// prepareRename, rename and documentLink with the server.
void add_navigation(lsp_server& server);

#endif
