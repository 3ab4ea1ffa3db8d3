// file: URIs of the client and the paths of the assembler.
#ifndef LSP_URI_H
#define LSP_URI_H

#include <string>

#include "asm_utils.h"  // absolute_path: the form of the documents' paths

// The path of a file: URI (percent escapes decoded); empty for any other scheme.
std::string uri_to_path(std::string const& uri);

// The file: URI of an absolute path.
std::string path_to_uri(std::string const& path);

#endif
