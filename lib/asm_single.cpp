// Single-instruction interface for host tools: assemble one source line into
// one code word, disassemble one code word, name a register by its address.
//
// Every failure reaches the host as a thrown std::string. Nothing here writes
// to standard output. Each call holds the library's lock (asm_lock.h).
#include "asm_zqs.h"

#include <cerrno>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <vector>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

#include "asm_dis.h"
#include "asm_lock.h"
#include "asm_passes.h"

namespace {

char const* const INTERNAL_ERROR = "ASM-ZQS INTERNAL ERROR occured.";

// Creates a new, unique, empty file for writing and returns its stream;
// name receives the file's path. Throws the two creation texts on failure and
// never leaves a file behind when it throws.
FILE* create_temp_file(std::string& name) {
#ifdef _WIN32
  // Same name pattern in the user's temporary directory. _mktemp_s only
  // proposes a free name, so the file is created exclusively and a name that
  // someone else took in between is simply tried again.
  char dir[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof dir, dir);
  std::string base = (n > 0 && n < sizeof dir) ? std::string(dir, n) : std::string(".\\");
  std::string pattern = base + "asm_zqs_XXXXXX";
  name = pattern;
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (_mktemp_s(buf.data(), buf.size()) != 0) break;
    name = buf.data();
    int fd = _open(buf.data(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
      FILE* f = _fdopen(fd, "wb");
      if (!f) {
        _close(fd);
        remove(name.c_str());
        throw "ASM-ZQS unable to create temporary file " + name + ".";
      }
      return f;
    }
    if (errno != EEXIST) break;
  }
  throw "ASM-ZQS unable to create temporary file descriptor of file " + name + ".";
#else
  char buf[] = "/tmp/asm_zqs_XXXXXX";
  int fd = mkstemp(buf);
  name = buf;
  if (fd < 0) throw "ASM-ZQS unable to create temporary file descriptor of file " + name + ".";
  FILE* f = fdopen(fd, "w");
  if (!f) {
    close(fd);
    remove(buf);
    throw "ASM-ZQS unable to create temporary file " + name + ".";
  }
  return f;
#endif
}

// Removes the temporary file when the call ends, however it ends.
class temp_file_guard {
 public:
  explicit temp_file_guard(std::string name) : name_(std::move(name)) {}
  ~temp_file_guard() { release(); }
  temp_file_guard(temp_file_guard const&) = delete;
  temp_file_guard& operator=(temp_file_guard const&) = delete;
  void release() {
    if (!name_.empty()) remove(name_.c_str());
    name_.clear();
  }

 private:
  std::string name_;
};

}  // namespace

// The registered architecture of that name, without adding one. The registry
// is filled on the first miss only: host tools call these functions millions
// of times, and a pass driver per call would cost more than the work itself.
arch_type& find_arch(std::string const& arch) {
  auto it = asm_arch::arch_map.find(arch);
  if (it == asm_arch::arch_map.end()) {
    asm_arch fill;
    it = asm_arch::arch_map.find(arch);
  }
  if (it == asm_arch::arch_map.end())
    throw "ASM-ZQS architecture \"" + arch + "\" is not available.";
  return it->second;
}

std::string disassemble_word(arch_type& a, unsigned int code) {
  decoded_type d = decode(a, code);
  if (!d.valid) throw std::move(d.reason);
  std::string text;
  text.reserve(48);
  print_decoded(text, d);
  return text;
}

unsigned int assemble_single_instr(std::string arch, std::string line) {
  asm_api_lock lock(asm_api_mutex());
  asm_passes p;

  std::string name;
  FILE* f = create_temp_file(name);
  temp_file_guard tmp(name);
  // The whole line goes to the file, bytes after an embedded NUL included, so
  // the scanner sees exactly what the host passed.
  // A buffer of our own spares the stream a size query of the new file; a
  // line that fits goes out in one write.
  char buf[4096];
  setvbuf(f, buf, _IOFBF, sizeof buf);
  bool written = fwrite(line.data(), 1, line.size(), f) == line.size();
  written = fputc('\n', f) != EOF && written;
  if (fclose(f) != 0 || !written) throw "ASM-ZQS unable to create temporary file " + name + ".";

  try {
    asm_module::clear_msg_list();
    // argv[0] is never read by the option parser.
    char const* argv[4] = {nullptr, "-arch", arch.c_str(), name.c_str()};
    p.parse_cmd_line(4, argv, "", 0);
    p.run_frontend();
    p.run_assemble_pass1();
    p.run_assemble_pass2();
  } catch (std::string const& e) {
    tmp.release();
    if (e == MSG_FATAL_THROW || e == PASS_ERROR_THROW) throw asm_module::print_msg_list();
    throw std::string(INTERNAL_ERROR);
  } catch (...) {
    tmp.release();
    throw std::string(INTERNAL_ERROR);
  }
  tmp.release();

  if (p.ir.asm_list.size() != 1)
    throw std::string("ERROR> Assembly result must evaluate to a single 32-bit data word.");
  return p.ir.asm_list.front().code;
}

std::string disassemble_single_instr(std::string arch, unsigned int code) {
  asm_api_lock lock(asm_api_mutex());
  return disassemble_word(find_arch(arch), code);
}

std::string get_reg_map_symbol(std::string arch, unsigned int address) {
  asm_api_lock lock(asm_api_mutex());
  arch_type& a = find_arch(arch);
  auto set = a.rev_reg_map.find("oreg");
  if (set != a.rev_reg_map.end()) {
    auto reg = set->second.find(address);
    if (reg != set->second.end()) return reg->second;
  }
  throw "Register address " + num2hexstr(address) + " is unused in target architecture \"" + arch +
      "\".";
}
