// Shared set-up of the fuzz targets: standard output goes to /dev/null (the
// tool prints its report there), standard input reads nothing.
#ifndef FUZZ_COMMON_H
#define FUZZ_COMMON_H

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

inline void fuzz_quiet_std_streams() {
  fflush(stdout);
  int null_fd = open("/dev/null", O_RDWR);
  if (null_fd < 0) return;
  dup2(null_fd, STDIN_FILENO);
  dup2(null_fd, STDOUT_FILENO);
  close(null_fd);
}

#endif
