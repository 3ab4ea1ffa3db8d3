// The C interface gives exactly the results and texts of the C++ interface,
// cuts texts to the caller's buffer, and assembles whole files into the words
// that the tool writes into its memory image.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "asm_dis.h"
#include "asm_objects.h"
#include "asm_zqs_c.h"
#include "test_single_support.h"

namespace {

// The C++ function's text, or its thrown text; ok tells which.
template <typename F>
std::string cpp_text(F f, bool& ok) {
  try {
    ok = true;
    return f();
  } catch (std::string const& e) {
    ok = false;
    return e;
  }
}

// Temporary source names differ from call to call.
std::string mask_temp(std::string const& s) {
  return std::regex_replace(s, std::regex("/tmp/asm_zqs_[A-Za-z0-9]{6}"), "TMP");
}

char const* const archs[] = {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1", "zqs9"};

TEST(CInterface, DisassemblyAndRegisterNamesMatchTheCppInterface) {
  std::mt19937 gen(16);
  char buf[512];
  for (char const* arch : archs) {
    for (int i = 0; i < 20000; ++i) {
      uint32_t w = i < 256 ? (uint32_t)i << 24 : gen();
      bool ok;
      std::string want = cpp_text([&] { return disassemble_single_instr(arch, w); }, ok);
      ASSERT_EQ(zqs_disassemble_word(arch, w, buf, sizeof buf), ok ? 0 : 1) << arch << " " << w;
      ASSERT_EQ(want, buf);
    }
    for (uint32_t adr = 0; adr < 300; ++adr) {
      bool ok;
      std::string want = cpp_text([&] { return get_reg_map_symbol(arch, adr); }, ok);
      ASSERT_EQ(zqs_register_name(arch, adr, buf, sizeof buf), ok ? 0 : 1);
      ASSERT_EQ(want, buf);
    }
  }
}

TEST(CInterface, AssemblyMatchesTheCppInterface) {
  char const* lines[] = {"movl r0, 5", "jbs r3, 7, 0x40", "nop", "", "foo r0", "movl r9, 1",
                         "l: nop", ".cmdline -W", "movl r0, 1/0", "nop\nnop", ".str 0, \"ab\""};
  char buf[1024];
  for (char const* arch : archs)
    for (char const* line : lines) {
      bool ok;
      unsigned int want = 0;
      std::string text = cpp_text(
          [&] {
            want = assemble_single_instr(arch, line);
            return std::string();
          },
          ok);
      uint32_t w = 0xDEAD;
      ASSERT_EQ(zqs_assemble_line(arch, line, &w, buf, sizeof buf), ok ? 0 : 1) << line;
      EXPECT_EQ(mask_temp(text), mask_temp(buf)) << arch << ": " << line;
      if (ok) {
        EXPECT_EQ(want, w) << line;
      }
    }
}

TEST(CInterface, TextsAreCutToTheBuffer) {
  std::string full = disassemble_single_instr("zqs24-1", 0xE3710040);
  for (size_t size = 0; size <= full.size() + 2; ++size) {
    std::vector<char> buf(size + 1, '#');
    zqs_disassemble_word("zqs24-1", 0xE3710040, size ? buf.data() : nullptr, size);
    if (size == 0) continue;
    size_t n = std::min(size - 1, full.size());
    EXPECT_EQ(std::string(buf.data()), full.substr(0, n));
    EXPECT_EQ(buf[size], '#') << "wrote past the buffer of " << size;
  }
  char two[2];
  EXPECT_EQ(zqs_register_name("zqs24-1", 16, two, sizeof two), 1);
  EXPECT_STREQ(two, "R");
}

TEST(CInterface, ArchitecturesInRegistrationOrder) {
  std::vector<std::string> names;
  for (size_t i = 0; zqs_architecture(i); ++i) names.push_back(zqs_architecture(i));
  EXPECT_EQ(names, (std::vector<std::string>{"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"}));
  EXPECT_EQ(zqs_architecture(5), nullptr);
  EXPECT_EQ(zqs_architecture((size_t)-1), nullptr);
}

// In a scratch directory of its own.
class CFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/c_iface_XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    old_ = cwd;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_.c_str()), 0);
    ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }
  static void write(char const* name, char const* text) { std::ofstream(name, std::ios::binary) << text; }
  static std::string read(char const* name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

 private:
  std::string dir_, old_;
};

// The words of a MIF image (address = index * 4).
std::vector<std::pair<uint32_t, uint32_t>> mif_words(std::string const& text) {
  std::vector<std::pair<uint32_t, uint32_t>> v;
  std::regex line("  ([0-9A-F]*) : ([0-9A-F]+);");
  for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i)
    v.emplace_back((uint32_t)std::stoul((*i)[1].str().empty() ? "0" : (*i)[1].str(), nullptr, 16) * 4,
                   (uint32_t)std::stoul((*i)[2].str(), nullptr, 16));
  return v;
}

// The listing text names address operands by the program's labels (as first
// written), and says where a word is no instruction or does not come back.
TEST_F(CFiles, ListingTextOfWords) {
  write("l.zqs", "Start: nop\n jmp Start\n movl r0, 0\n");
  char const* argv[] = {"l.zqs"};
  zqs_program* p = nullptr;
  ASSERT_EQ(zqs_assemble_file(1, argv, &p), 0);
  char text[200];
  struct { char const* arch; uint32_t word; zqs_program* labels; int rc; char const* want; } cases[] = {
      {"zqs24-1", 0xE0000000, p, 0, "JMP Start"},
      {"zqs24-1", 0xE0000000, nullptr, 0, "JMP 0x0"},
      {"zqs24-1", 0x10000000, p, 0, "MOVL R0, 0x0"},  // a number, not an address
      {"zqs24-1", 0x0ABCDEF0, p, 0, "NOP  ; the text assembles to another word"},
      {"zqs24-1", 0xA0090000, p, 0, ".var 0xA0090000  ; Invalid instruction code 0xA0090000. Bad bit slice 16 to 19."},
      {"zqs16-1", 0x02000000, nullptr, 0,
       ".var 0x02000000  ; Invalid instruction code 0x2000000. Bits 25 to 31 must be zero for this architecture."},
      {"zqs99", 0, p, 1, "ASM-ZQS architecture \"zqs99\" is not available."},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(zqs_listing_text(c.arch, c.word, c.labels, text, sizeof text), c.rc) << c.want;
    EXPECT_STREQ(text, c.want);
  }
  zqs_program_free(p);
}

// A program's architecture (as the run used it), its listing (dis-zqs's) and
// the listing's parts per word; empty names are refused, not taken for NULL.
TEST_F(CFiles, ProgramArchitectureAndListing) {
  write("q.zqs", ".cmdline -arch \"zqs24-2\"\nnop\n");
  write("l.zqs", "Start: nop\n jmp Start\n .org 0x10\n .var 0xA0090000\nend:\n");
  char const* args[] = {"q.zqs", "l.zqs", "missing.zqs"};
  zqs_program* p[3];
  for (int i = 0; i < 3; ++i) EXPECT_EQ(zqs_assemble_file(1, args + i, &p[i]), i / 2);
  EXPECT_STREQ(zqs_program_arch(p[0]), "zqs24-2");
  EXPECT_STREQ(zqs_program_arch(p[2]), "");
  EXPECT_STREQ(zqs_program_listing(p[1]),
               "Start:\n0x00000000  0x00000000  NOP\n0x00000004  0xE0000000  JMP Start\n"
               "; gap: 2 words, 0x00000008 to 0x0000000C\n0x00000010  0xA0090000  .var 0xA0090000  ; "
               "Invalid instruction code 0xA0090000. Bad bit slice 16 to 19.\nend:  ; 0x00000014, no word there\n");
  EXPECT_STREQ(zqs_program_listing(p[2]), "");
  EXPECT_STREQ(zqs_program_listing_part(p[1], 0), "Start:\n0x00000000  0x00000000  NOP\n");
  std::string parts;
  for (size_t i = 0; zqs_program_listing_part(p[1], i); ++i) parts += zqs_program_listing_part(p[1], i);
  EXPECT_EQ(parts, zqs_program_listing(p[1]));
  for (zqs_program* q : p) zqs_program_free(q);
  EXPECT_EQ(zqs_read_image("l.zqs", "", nullptr, &p[0]), 1);
  EXPECT_STREQ(zqs_program_report(p[0]), "ASM-ZQS definitions file name must not be empty.");
  EXPECT_EQ(zqs_read_image("l.zqs", nullptr, "", &p[1]), 1);
  EXPECT_STREQ(zqs_program_report(p[1]), "ASM-ZQS architecture name must not be empty.");
  zqs_program_free(p[0]);
  zqs_program_free(p[1]);
}

// Labels of a hand-written definitions file, two at one address out of name
// order: the C interface keeps the file's order, so it names the address as
// dis-zqs does.
TEST_F(CFiles, ImageLabelsKeepTheOrderOfTheDefinitionsFile) {
  write("p.zqs", "zz:\naa: nop\n jmp zz\n");
  char const* argv[] = {"asm-zqs", "-ofmt", "ifs", "-odef", "p.def", "-o", "p.ifs", "p.zqs"};
  ASSERT_EQ(asm_zqs_main(8, argv), 0);
  std::string defs = read("p.def");
  size_t aa = defs.find("AEI ASSIGN LABEL_ZQS0_MEM_AA"), zz = defs.find("AEI ASSIGN LABEL_ZQS0_MEM_ZZ");
  ASSERT_TRUE(aa != std::string::npos && zz > aa);
  std::string aa_line = defs.substr(aa, zz - aa);
  defs.erase(aa, zz - aa);
  defs.insert(defs.find('\n', aa) + 1, aa_line);
  write("p.def", defs.c_str());

  zqs_program* p = nullptr;
  ASSERT_EQ(zqs_read_image("p.ifs", "p.def", "zqs24-1", &p), 0) << zqs_program_report(p);
  char const* name = nullptr;
  ASSERT_EQ(zqs_program_label(p, 0, &name, nullptr), 0);
  EXPECT_STREQ(name, "ZZ");
  char text[64];
  ASSERT_EQ(zqs_listing_text("zqs24-1", 0xE0000000, p, text, sizeof text), 0);
  EXPECT_STREQ(text, "JMP ZZ");
  image_read_options opt;
  opt.def_file = "p.def";
  EXPECT_NE(dis_listing(read_image("p.ifs", opt)).find("JMP ZZ"), std::string::npos);
  zqs_program_free(p);
}

// Definitions of another memory label are read; the report holds the warning.
TEST_F(CFiles, ImageReportHoldsTheReadersWarnings) {
  write("p.ifs", "AEI WRITE $(#zqs0_mem+h#00000000)      h#00000000\n");
  write("p.def", "AEI ASSIGN OFFSET_ROM = 0\n");
  zqs_program* p = nullptr;
  ASSERT_EQ(zqs_read_image("p.ifs", "p.def", "zqs24-1", &p), 0);
  EXPECT_STREQ(zqs_program_report(p), "warning: p.def:1: the definitions are for 'ROM', not for the image's 'zqs0_mem'.\n");
  zqs_program_free(p);
}

// A host that called the library before must get a clean run: the messages of a
// failed line stay in the list until the next call, and must not count there.
TEST_F(CFiles, RunAfterAFailedLineReportsOnlyItsOwnMessages) {
  write("ok.zqs", "nop\n");
  EXPECT_FALSE(single_test::assemble_error("zqs24-1", "foo").empty());
  char const* argv[] = {"asm-zqs", "-o", "ok.c", "ok.zqs"};
  testing::internal::CaptureStdout();
  EXPECT_EQ(asm_zqs_main(4, argv), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(CFiles, WordsAreThoseOfTheMemoryImage) {
  write("io.inc", ".define IO_OUT 0x100\n.define IO_IN 0x104\n");
  write("prog.zqs",
        ".include \"io.inc\"\nstart: movl r0, 0\nloop: addl r0, 3\n mwr r0, IO_OUT\n jmp loop\n"
        " .org 0x40\ntext: .str \"Hello\", 2\nTable: .var 1, 8\n");
  char const* argv[] = {"asm-zqs", "-ofmt", "mif", "-o", "prog.mif", "prog.zqs"};
  asm_module::clear_msg_list();
  ASSERT_EQ(asm_zqs_main(6, argv), 0);
  std::vector<std::pair<uint32_t, uint32_t>> image = mif_words(read("prog.mif"));
  ASSERT_GT(image.size(), 5u);

  zqs_program* p = nullptr;
  ASSERT_EQ(zqs_assemble_file(5, argv + 1, &p), 0);
  ASSERT_EQ(zqs_program_word_count(p), image.size());
  for (size_t i = 0; i < image.size(); ++i) {
    uint32_t adr, w;
    char const* file;
    unsigned int line;
    ASSERT_EQ(zqs_program_word(p, i, &adr, &w, &file, &line), 0);
    EXPECT_EQ(adr, image[i].first);
    EXPECT_EQ(w, image[i].second);
    EXPECT_STREQ(file, "prog.zqs");
  }
  std::vector<std::pair<std::string, uint32_t>> labels;
  for (size_t i = 0; i < zqs_program_label_count(p); ++i) {
    char const* name;
    uint32_t adr;
    ASSERT_EQ(zqs_program_label(p, i, &name, &adr), 0);
    labels.emplace_back(name, adr);
  }
  EXPECT_EQ(labels, (std::vector<std::pair<std::string, uint32_t>>{
                        {"start", 0}, {"loop", 4}, {"text", 0x40}, {"Table", 0x4C}}));
  EXPECT_STREQ(zqs_program_report(p), "");
  zqs_program_free(p);
}

// The diagnostics options belong to the program: a host gets the report.
TEST_F(CFiles, DiagnosticsOptionsAreTheProgramsOnly) {
  write("a.zqs", "nop\n");
  char const* args[] = {"--diagnostics", "json", "a.zqs"};
  zqs_program* p = nullptr;
  EXPECT_EQ(zqs_assemble_file(3, args, &p), 1);
  std::string report = zqs_program_report(p);
  EXPECT_EQ(report.find("FATAL ERROR> Command line option '--diagnostics' not available."), 0u);
  zqs_program_free(p);
}

TEST_F(CFiles, ReportIsWhatTheToolPrints) {
  write("bad.zqs", ".include \"a.inc\"\nfoo r1\n");
  write("a.inc", "movl r0, 1\n.org 0\n");
  char const* runs[][4] = {{"asm-zqs", "bad.zqs"}, {"asm-zqs", "-W", "a.inc"},
                           {"asm-zqs", "--version"}, {"asm-zqs", "-h"}, {"asm-zqs", "-q"}};
  int counts[] = {2, 3, 2, 2, 2};
  for (int r = 0; r < 5; ++r) {
    asm_module::clear_msg_list();
    testing::internal::CaptureStdout();
    int want = asm_zqs_main(counts[r], runs[r]);
    std::string printed = testing::internal::GetCapturedStdout();
    zqs_program* p = nullptr;
    EXPECT_EQ(zqs_assemble_file(counts[r] - 1, runs[r] + 1, &p), want) << runs[r][1];
    EXPECT_EQ(printed, zqs_program_report(p)) << runs[r][1];
    if (want) {
      EXPECT_EQ(zqs_program_word_count(p), 0u);
    }
    zqs_program_free(p);
  }
}

TEST_F(CFiles, NoImageIsWrittenOrRemoved) {
  write("prog.zqs", "nop\n");
  write("prog.c", "keep me");
  char const* args[] = {"-log", "prog.log", "--MD", "prog.d", "prog.zqs"};
  zqs_program* p = nullptr;
  ASSERT_EQ(zqs_assemble_file(5, args, &p), 0);
  zqs_program_free(p);
  EXPECT_EQ(read("prog.c"), "keep me");
  EXPECT_NE(read("prog.log"), "");
  EXPECT_EQ(read("prog.d"), "prog.log: prog.zqs\n");  // the image is no target: it is not written
}

// Sources that fail only in pass 2, which has placed words by then: the call
// fails with the tool's report and hands out no word, no label, no rule.
TEST_F(CFiles, AFailedSecondPassHandsOutNothing) {
  for (char const* source : {"start: nop\n jmp nowhere\n", "start: nop\n.var W, 8\n.define W 1\n"}) {
    write("p.zqs", source);
    char const* argv[] = {"asm-zqs", "--MD", "p.d", "p.zqs"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(asm_zqs_main(4, argv), 1);
    std::string printed = testing::internal::GetCapturedStdout();
    zqs_program* p = nullptr;
    EXPECT_EQ(zqs_assemble_file(3, argv + 1, &p), 1) << source;
    EXPECT_EQ(zqs_program_report(p), printed);
    EXPECT_EQ(zqs_program_word_count(p) + zqs_program_label_count(p), 0u) << source;
    EXPECT_EQ(zqs_program_word(p, 0, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(access("p.d", F_OK), -1) << source;
    zqs_program_free(p);
  }
}

}  // namespace

namespace {

struct program_view {
  std::vector<std::tuple<uint32_t, uint32_t>> words;
  std::vector<std::pair<std::string, uint32_t>> labels;
};

program_view view(zqs_program const* p) {
  program_view v;
  for (size_t i = 0; i < zqs_program_word_count(p); ++i) {
    uint32_t adr, w;
    zqs_program_word(p, i, &adr, &w, nullptr, nullptr);
    v.words.emplace_back(adr, w);
  }
  for (size_t i = 0; i < zqs_program_label_count(p); ++i) {
    char const* name;
    uint32_t adr;
    zqs_program_label(p, i, &name, &adr);
    v.labels.emplace_back(name, adr);
  }
  return v;
}

// Every format the tool writes reads back into the words and labels that the
// assembly itself hands out (-syzqs keeps the names as written).
TEST_F(CFiles, ImagesReadBackIntoTheAssembledProgram) {
  write("prog.zqs",
        "Start: movl r0, 0\n .org 0x20\nloop: addl r0, 3\n jmp loop\nzEnd:\nAlpha: nop\n"
        " .org 0x40\ntext: .str \"Hi!\", 2\n");
  struct { char const* fmt; char const* image; char const* defs; } runs[] = {
      {"c", "prog.c", "prog.h"}, {"ifs", "prog.ifs", "prog.def"}, {"mif", "prog.mif", nullptr}};
  for (auto const& r : runs) {
    for (char const* arch : {"zqs24-1", "zqs16-1"}) {
      std::vector<char const*> args{"asm-zqs", "-syzqs", "-arch", arch, "-ofmt", r.fmt, "-o", r.image};
      if (r.defs) args.insert(args.end(), {"-odef", r.defs});
      args.push_back("prog.zqs");
      asm_module::clear_msg_list();
      ASSERT_EQ(asm_zqs_main((int)args.size(), args.data()), 0) << r.fmt;
      zqs_program *assembled = nullptr, *read = nullptr;
      ASSERT_EQ(zqs_assemble_file((int)args.size() - 1, args.data() + 1, &assembled), 0);
      ASSERT_EQ(zqs_read_image(r.image, r.defs, arch, &read), 0) << zqs_program_report(read);
      program_view a = view(assembled), b = view(read);
      if (std::string(r.fmt) == "c") {
        // The C array is dense: the gaps read back as zero words.
        std::vector<std::tuple<uint32_t, uint32_t>> dense;
        for (auto const& w : a.words) {
          while (!dense.empty() && std::get<0>(dense.back()) + 4 < std::get<0>(w))
            dense.emplace_back(std::get<0>(dense.back()) + 4, 0);
          dense.push_back(w);
        }
        a.words = dense;
      }
      EXPECT_EQ(a.words, b.words) << r.fmt << " " << arch;
      if (r.defs) {
        EXPECT_EQ(a.labels, b.labels) << r.fmt << " " << arch;
      } else {
        EXPECT_TRUE(b.labels.empty());
      }
      char const* file;
      unsigned int line = 1;
      ASSERT_EQ(zqs_program_word(read, 0, nullptr, nullptr, &file, &line), 0);
      EXPECT_STREQ(file, "");
      EXPECT_EQ(line, 0u);
      zqs_program_free(assembled);
      zqs_program_free(read);
    }
  }
}

}  // namespace
