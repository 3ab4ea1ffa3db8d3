// Semantic tokens: the kind of every token of a document, from the parse
// tree and the symbol table of its last analysis, and its comments.
#ifndef LSP_SEMANTIC_TOKENS_H
#define LSP_SEMANTIC_TOKENS_H

#include <nlohmann/json.hpp>

class lsp_server;

// The legend of the server's capabilities: token types and modifiers.
nlohmann::json semantic_tokens_legend();

// Registers textDocument/semanticTokens/full and /range with the server.
void add_semantic_tokens(lsp_server& server);

#endif
