// Output files of the tools: removed after a failed run only while they are
// the regular file that run opened.
#ifndef ASM_OUTFILE_H
#define ASM_OUTFILE_H

#include <cstdio>
#include <string>

// What an opened output was: a regular file (and which), or anything else.
struct output_identity {
  bool regular = false;
  unsigned long long dev = 0, ino = 0;
};
output_identity identity_of(FILE* f);

// Removes name if it is still the regular file id: never a device, FIFO,
// directory or symbolic link, nor a file put in its place since.
void remove_if_same(std::string const& name, output_identity const& id);

#endif
