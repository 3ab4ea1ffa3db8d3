// Output files of the tools: non-blocking open, removal of what a run created.
#include "asm_outfile.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>

#ifdef _WIN32
#include <io.h>
// Last, as it defines macros such as ERROR.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

FILE* open_for_writing(std::string const& name) {
#ifdef _WIN32
  return fopen(name.c_str(), "wb");
#else
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, 0666);
  if (fd < 0) return nullptr;
  int flags = fcntl(fd, F_GETFL);
  FILE* f = nullptr;
  if (flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1) f = fdopen(fd, "wb");
  if (!f) close(fd);
  return f;
#endif
}

bool output_is_device(std::string const& name) {
#ifdef _WIN32
  // The C library's stat fails for devices here: ask for the handle's type.
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(h) != FILE_TYPE_DISK;
  CloseHandle(h);
  return device;
#else
  struct stat st;
  return stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
#endif
}

#ifdef _WIN32
// No inodes: a regular file counts as itself, and a name that is no longer a
// regular file (or a link) is left alone.
output_identity identity_of(FILE* f) {
  struct _stat64 st;
  output_identity id;
  id.regular = _fstat64(_fileno(f), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
  return id;
}

void remove_if_same(std::string const& name, output_identity const& id) {
  struct _stat64 st;
  if (id.regular && _stat64(name.c_str(), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG) remove(name.c_str());
}
#else
output_identity identity_of(FILE* f) {
  struct stat st;
  output_identity id;
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) return id;
  id.regular = true;
  id.dev = (unsigned long long)st.st_dev;
  id.ino = (unsigned long long)st.st_ino;
  return id;
}

void remove_if_same(std::string const& name, output_identity const& id) {
  struct stat st;
  // lstat: a symbolic link is no regular file, whatever it points at.
  if (id.regular && lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      (unsigned long long)st.st_dev == id.dev && (unsigned long long)st.st_ino == id.ino)
    remove(name.c_str());
}
#endif

bool same_file(std::string const& a, std::string const& b) {
  namespace fs = std::filesystem;
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code ea, eb;
  if (fs::equivalent(a, b, ea)) return true;
  fs::path ca = fs::weakly_canonical(a, ea), cb = fs::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}
