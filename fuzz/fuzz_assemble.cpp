// Whole assemblies from fuzzed sources. The first three bytes choose the run's
// options (architecture, output format, -log, --xmldump, -odef, --MD, -W, -adrmax and
// a few C options); the rest is the main source, split at its first NUL byte
// into the main file and an included file when the options say so.
//
// Each run happens in a private scratch directory that is emptied afterwards.
// Inputs that could make the tool write outside it (a path in a .cmdline or
// .include) or produce unbounded output (a large -adrmax inside .cmdline) are
// skipped: the tool would do as told, and the fuzzer runs as root.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "asm_objects.h"
#include "asm_zqs.h"
#include "fuzz_common.h"

namespace {

std::string scratch_dir;
std::string home_dir;

char const* const arch_names[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};
char const* const formats[] = {"c", "ifs", "mif", "vmem"};
// -adrmax values; all keep the memory image below 128 KiB.
char const* const adrmax_values[] = {nullptr, "0", "4", "0x100", "h#FFC", "$7FFC", "0x1FFFC", "d#65536"};

void write_file(std::string const& name, uint8_t const* data, size_t size) {
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) abort();
  if (size && fwrite(data, 1, size, f) != size) abort();
  if (fclose(f) != 0) abort();
}

// Removes every file the run left (with keep_sub, all but the include
// directory "sub"); the directory itself stays.
void empty_dir(std::string const& dir, bool keep_sub = false) {
  DIR* d = opendir(dir.c_str());
  if (!d) abort();
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.push_back(e->d_name);
  closedir(d);
  for (std::string const& n : names) {
    std::string path = dir + "/" + n;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      if (keep_sub && n == "sub") continue;
      empty_dir(path);
      rmdir(path.c_str());
    } else {
      unlink(path.c_str());
    }
  }
}

bool contains(uint8_t const* data, size_t size, char const* word) {
  size_t n = strlen(word);
  for (size_t i = 0; i + n <= size; ++i)
    if (memcmp(data + i, word, n) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_quiet_std_streams();
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) abort();
  home_dir = cwd;
  // A memory file system where there is one: every run creates and removes files.
  struct stat st;
  std::string base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
  std::string tmpl = base + "/fuzz_assemble_XXXXXX";
  if (!mkdtemp(&tmpl[0])) abort();
  scratch_dir = tmpl;
  // An include directory for -I; no run can write into it (that needs a path).
  if (mkdir((scratch_dir + "/sub").c_str(), 0755) != 0) abort();
  write_file(scratch_dir + "/sub/lib.zqs", (uint8_t const*)"lib_word: .var 1\n", 17);
  atexit([] {
    empty_dir(scratch_dir);
    rmdir(scratch_dir.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size < 3) return 0;
  uint8_t const sel = data[0], flags = data[1], extra = data[2];
  data += 3;
  size -= 3;
  bool const has_path = contains(data, size, "/") || contains(data, size, "\\");
  if (has_path && (contains(data, size, "cmdline") || contains(data, size, "include"))) return 0;
  if (contains(data, size, "adrmax")) return 0;

  size_t main_size = size;
  if (extra & 0x80) {
    uint8_t const* nul = (uint8_t const*)memchr(data, 0, size);
    if (nul) main_size = (size_t)(nul - data);
  }

  std::vector<std::string> args{"asm-zqs", "-arch", arch_names[sel % 5], "-ofmt", formats[(sel / 5) % 4]};
  if (flags & 0x01) args.insert(args.end(), {"-log", "prog.log"});
  if (flags & 0x02) args.push_back("--xmldump");
  if (flags & 0x04) args.insert(args.end(), {"-odef", "prog.h"});
  if (flags & 0x08) args.push_back("-W");
  if (char const* adr = adrmax_values[(flags >> 4) & 7]) args.insert(args.end(), {"-adrmax", adr});
  if (flags & 0x80) args.insert(args.end(), {"-o", "out.img"});
  if (extra & 0x01) args.push_back("-syzqs");
  if (extra & 0x02) args.push_back("-hinc");
  if (extra & 0x04) args.push_back("-xtern");
  if (extra & 0x08) args.insert(args.end(), {"-otyp", "uint32_t"});
  if (extra & 0x10) args.insert(args.end(), {"-olbl", "rom"});
  if (extra & 0x20) args.insert(args.end(), {"-I", "sub"});
  if (extra & 0x40) args.insert(args.end(), {"--MD", "prog.d"});
  args.push_back("prog.zqs");

  if (chdir(scratch_dir.c_str()) != 0) abort();
  write_file("prog.zqs", data, main_size);
  if (main_size < size) write_file("inc.zqs", data + main_size + 1, size - main_size - 1);
  else write_file("inc.zqs", (uint8_t const*)"nop\n", 4);

  std::vector<char const*> argv;
  for (std::string const& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  asm_module::clear_msg_list();
  int status = asm_zqs_main((int)args.size(), argv.data());
  if (status != 0 && status != 1) abort();
  // A run that reports a failure leaves none of its outputs behind.
  if (status == 1) {
    struct stat st;
    for (char const* out : {"prog.c", "prog.ifs", "prog.mif", "prog.vmem", "out.img", "prog.log", "prog.h", "prog.d"})
      if (stat(out, &st) == 0) abort();
  } else if (extra & 0x40) {
    struct stat st;
    if (stat("prog.d", &st) != 0) abort();  // a successful run writes its make rule
  }
  fflush(stdout);

  empty_dir(scratch_dir, true);
  if (chdir(home_dir.c_str()) != 0) abort();
  return 0;
}
