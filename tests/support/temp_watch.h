// The library's temporary files as this process created them. The test program
// defines mkstemp (temp_watch.cpp) and so sees every file the library makes,
// also when the library is a shared one, without looking at other processes'
// files in /tmp.
#ifndef TEMP_WATCH_H
#define TEMP_WATCH_H

#include <string>
#include <vector>

namespace temp_watch {

// How many temporary files of the library this process has created.
long created();

// The library's temporary files of this process that still exist: the last one
// and any earlier one found still there when the next was made. Reported once.
std::vector<std::string> left();

}  // namespace temp_watch

#endif
