// mkstemp of the test program: calls the C library's and notes the names made
// from the library's template. A definition in the program comes before the C
// library's for the program's own code, the static library linked into it and,
// exported from the executable, a shared library it loads.
#include "temp_watch.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

namespace {

char const tmpl_prefix[] = "/tmp/asm_zqs_";
size_t const tmpl_length = sizeof tmpl_prefix - 1 + 6;  // the prefix and XXXXXX
size_t const max_leaks = 8;

// Fixed-size records: the load tests check that the heap does not grow.
std::mutex lock;
long made = 0;
char last[tmpl_length + 1];
char leaks[max_leaks][tmpl_length + 1];
size_t leak_count = 0;

bool exists(char const* name) { return name[0] && access(name, F_OK) == 0; }

void note(char const* name) {
  std::lock_guard<std::mutex> hold(lock);
  ++made;
  // The library's calls run one at a time: the previous file must be gone.
  if (exists(last) && leak_count < max_leaks) memcpy(leaks[leak_count++], last, sizeof last);
  memcpy(last, name, sizeof last);
}

}  // namespace

extern "C" int mkstemp(char* name) {
  using mkstemp_fn = int (*)(char*);
  static mkstemp_fn const real = reinterpret_cast<mkstemp_fn>(dlsym(RTLD_NEXT, "mkstemp"));
  bool const ours = strlen(name) == tmpl_length && strncmp(name, tmpl_prefix, sizeof tmpl_prefix - 1) == 0;
  int fd = real(name);
  if (fd >= 0 && ours) note(name);
  return fd;
}

namespace temp_watch {

long created() {
  std::lock_guard<std::mutex> hold(lock);
  return made;
}

std::vector<std::string> left() {
  std::lock_guard<std::mutex> hold(lock);
  std::vector<std::string> names(leaks, leaks + leak_count);
  leak_count = 0;
  if (exists(last)) names.emplace_back(last);
  last[0] = '\0';
  return names;
}

}  // namespace temp_watch
