// The round trip as a property over random images: per architecture and image
// format, a random program (words of random bits masked to the instruction
// width, every instruction with random operands, gaps, labels, operands that
// hit labels) is assembled by the library's asm_zqs_main into an image and a
// definitions file; the image is read back, turned into source, assembled
// again, and must come back byte for byte. Listings are made too (they must
// not fail). All in one process, in a scratch directory.
//   roundtrip_random [N [SEED]]     (default 10000 images)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "asm_arch.h"
#include "asm_dis.h"
#include "asm_image.h"
#include "asm_objects.h"
#include "asm_zqs.h"

namespace {

std::mt19937 rng;
int failures = 0;

unsigned int rnd(unsigned int n) { return n ? (unsigned int)(rng() % n) : 0; }

std::string hex(unsigned long long v) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", v);
  return buf;
}

std::string slurp(std::string const& f) {
  std::ifstream in(f, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return in ? s.str() : std::string("<missing>");
}

void spit(std::string const& f, std::string const& text) { std::ofstream(f, std::ios::binary) << text; }

// A random operand of template a; address operands sometimes take a label's address.
std::string operand(arch_type& arch, arg_type const& a, std::vector<unsigned int> const& labels) {
  if (a.type == ATO_REG) {
    auto const& set = arch.reg_map.at(a.regtype);
    auto it = set.begin();
    std::advance(it, rnd((unsigned int)set.size()));
    return it->first;
  }
  unsigned int align = bit_mask(a.shft_val);
  if (a.shft_val == 2 && !labels.empty() && rnd(3) == 0) {
    unsigned int l = labels[rnd((unsigned int)labels.size())];
    if (l >= a.lo_val && l <= a.hi_val) return hex(l);
  }
  unsigned long long span = (unsigned long long)a.hi_val - a.lo_val + 1;
  unsigned int v = a.lo_val + (unsigned int)(((unsigned long long)rng() << 32 | rng()) % span);
  return hex(v & ~align);
}

struct program {
  std::string text;
  unsigned int words = 0;
};

program random_program(std::string const& arch_name, arch_type& arch) {
  program p;
  std::vector<std::string> mnemonics;
  for (auto const& i : arch.instr_map) mnemonics.push_back(i.first);
  std::sort(mnemonics.begin(), mnemonics.end());
  std::vector<unsigned int> labels;
  unsigned int adr = 0, n = rnd(40), label_no = 0;
  std::string& s = p.text;
  (void)arch_name;
  if (rnd(3) == 0) {
    adr = rnd(64) * 4;
    s += ".org " + hex(adr) + "\n";
  }
  for (unsigned int k = 0; k < n; ++k) {
    switch (rnd(10)) {
      case 0:  // a gap
        adr += (1 + rnd(20)) * 4;
        s += ".org " + hex(adr) + "\n";
        continue;
      case 1:  // a label
        s += "lbl_" + std::to_string(label_no++) + ":\n";
        labels.push_back(adr);
        continue;
      case 2:
      case 3: {  // random bits
        unsigned int w = rng();
        w = low_bits(w, arch.instr_width);
        s += ".var " + hex(w) + "\n";
        break;
      }
      default: {  // an instruction with random operands
        std::string const& m = mnemonics[rnd((unsigned int)mnemonics.size())];
        std::vector<arg_type> const& args = arch.instr_map.at(m).arg_type_lst;
        s += m;
        size_t count = args.size();
        while (count && args[count - 1].optarg_en && rnd(2)) --count;  // optional operands left out
        for (size_t i = 0; i < count; ++i) s += (i ? ", " : " ") + operand(arch, args[i], labels);
        s += "\n";
      }
    }
    adr += 4;
    ++p.words;
  }
  if (rnd(4) == 0) s += "lbl_end:\n";
  return p;
}

int assemble(std::vector<std::string> args) {
  std::vector<char const*> argv{"asm-zqs"};
  for (auto const& a : args) argv.push_back(a.c_str());
  asm_module::clear_msg_list();
  return asm_zqs_main((int)argv.size(), argv.data());
}

void fail(int n, std::string const& what, std::string const& src) {
  if (++failures <= 10) fprintf(stderr, "FAIL image %d: %s\n--- program:\n%s\n", n, what.c_str(), src.c_str());
}

// Image text without the include line (and the empty line after it) of -hinc.
std::string without_include(std::string s) {
  size_t p = s.find("\n#include \"");
  if (p == std::string::npos) return s;
  size_t e = s.find('\n', p + 1);
  return s.erase(p + 1, e + 2 - (p + 1));
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? atoi(argv[1]) : 10000;
  rng.seed(argc > 2 ? (unsigned int)atoi(argv[2]) : 15u);
  // Memory-backed where there is such a file system: the runs write many small files.
  std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string dir_template = base + "/dis_roundtrip_XXXXXX";
  char* dir = mkdtemp(&dir_template[0]);
  if (!dir || chdir(dir) != 0) {
    perror("scratch directory");
    return 2;
  }
  asm_arch registry;
  (void)registry;
  char const* const archs[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};
  char const* const formats[] = {"c", "ifs", "mif", "vmem"};
  size_t words = 0, labels = 0;
  for (int n = 0; n < count; ++n) {
    std::string arch_name = archs[n % 5], fmt = formats[(n / 5) % 4];
    arch_type& arch = asm_arch::arch_map.at(arch_name);
    program p = random_program(arch_name, arch);
    spit("p.zqs", p.text);
    std::vector<std::string> args{"-arch", arch_name, "-ofmt", fmt, "-adrmax", "0xFFFC", "-o", "img"};
    bool defs = fmt != "mif" && rnd(2);
    if (defs) args.insert(args.end(), {"-odef", "defs"});
    if (defs && fmt == "c" && rnd(2)) args.push_back("-hinc");
    if (fmt == "c" && rnd(2)) args.insert(args.end(), {"-otyp", "static const unsigned int", "-olbl", "rom_1"});
    args.push_back("p.zqs");
    remove("img");
    remove("img2");
    assemble(args);
    std::string image = slurp("img");
    if (image == "<missing>") {
      fail(n, "the random program does not assemble", p.text);
      continue;
    }
    try {
      image_read_options opt;
      if (defs) opt.def_file = "defs";
      image_type img = read_image("img", opt);
      words += img.words.size();
      labels += img.labels.size();
      dis_listing(img);
      spit("back.zqs", dis_source(img));
    } catch (image_error const& e) {
      fail(n, std::string("reading or disassembling: ") + e.what(), p.text);
      continue;
    }
    assemble({"-o", "img2", "back.zqs"});
    if (slurp("img2") != without_include(image))
      fail(n, "the image differs after the round trip; source:\n" + slurp("back.zqs"), p.text);
  }
  for (char const* f : {"p.zqs", "img", "img2", "defs", "back.zqs"}) remove(f);
  if (chdir("/") != 0 || rmdir(dir) != 0) perror("removing the scratch directory");
  printf("round trip of %d random images (%zu words, %zu labels): %d failures\n", count, words, labels, failures);
  return failures ? 1 : 0;
}
