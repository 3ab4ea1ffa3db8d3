// Output files of the tools: opened without waiting for a reader, and removed
// after a failed run only while they are the regular file that run opened.
#ifndef ASM_OUTFILE_H
#define ASM_OUTFILE_H

#include <cstdio>
#include <string>

// Opens name for binary writing like fopen "wb", but never waits: opening a
// FIFO that nobody reads would block for ever, so there it fails at once
// (errno ENXIO). A FIFO with a reader, a terminal or another device is then
// written as usual (blocking writes).
FILE* open_for_writing(std::string const& name);

// Whether two names reach one file: the same file, or one path to be.
bool same_file(std::string const& a, std::string const& b);

// A device or FIFO (/dev/null, NUL, say): it takes any number of outputs.
bool output_is_device(std::string const& name);

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
