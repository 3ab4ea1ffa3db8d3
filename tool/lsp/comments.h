// Where a line's comment starts. The parse tree keeps no comments, so their
// places come from the text by the scanner's own rule (lib/passes/scanner.l):
// a ';' or '#' read where a token may start begins a comment that runs to the
// line end. Tokens that hold such a byte are skipped whole: strings (up to
// an unescaped '"'), character literals (';'), numbers with a prefix (h#1F,
// d#9, b#1; lower case only) and the quoted words of a .cmdline directive.
#ifndef LSP_COMMENTS_H
#define LSP_COMMENTS_H

#include <cstddef>
#include <string_view>

// The byte offset of the comment of a line without its line end; the line's
// size when it has none.
size_t comment_start(std::string_view line);

#endif
