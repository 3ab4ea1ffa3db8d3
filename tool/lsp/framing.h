// The base protocol of the language server: messages framed by a header
// block ("Content-Length: N", blank line) and N bytes of JSON.
#ifndef LSP_FRAMING_H
#define LSP_FRAMING_H

#include <cstdio>
#include <string>

enum class frame_status {
  ok,          // body holds one message
  bad_header,  // a header block without a usable Content-Length: answer with a parse error
  end          // end of input (also inside a truncated message)
};

// Reads the next message from in. Lines that are no header are skipped, and
// a line that carries "Content-Length:" after other bytes (the rest of a
// message whose length was given too short) starts a new header block there.
frame_status read_frame(FILE* in, std::string& body);

// Writes one message and flushes it.
void write_frame(FILE* out, std::string const& body);

#endif
