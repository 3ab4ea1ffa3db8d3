// Decoding words for the disassembler: which texts assemble back, and the
// source of images whose labels lie outside the words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm_arch.h"
#include "asm_dis.h"

namespace {

arch_type& arch(char const* name) {
  asm_arch registry;
  (void)registry;
  return asm_arch::arch_map.at(name);
}

// The registry's record of a word as the listing uses it: the text, marked
// where that text assembles to another word.
std::string shown(char const* name, unsigned int code, label_names_type const* names = nullptr) {
  decoded_type const d = decode(arch(name), code);
  if (!d.valid) return "! " + d.reason;
  std::string s;
  print_decoded(s, d, names);
  return reencodes(d, code) ? s : s + "(another word)";
}

}  // namespace

TEST(DisDecode, TextsAndWhetherTheyGiveTheWordAgain) {
  EXPECT_EQ(shown("zqs24-1", 0xE3710040), "JBS R3, 0x7, 0x40");
  EXPECT_EQ(shown("zqs24-1", 0), "NOP ");
  // Bits outside every field: the text is another word's.
  EXPECT_EQ(shown("zqs24-1", 0x0ABCDEF0), "NOP (another word)");
  EXPECT_EQ(shown("zqs24-2", 0xE0001000), "JMP 0x0(another word)");
  EXPECT_EQ(shown("zqs24-1", 0x00123456), "NOP (another word)");  // a lit24 word
  // Two mnemonics of one code: the tree's name assembles to it.
  EXPECT_EQ(shown("zqs24-1", 0xA0070000), "MWRL R0, 0x0");
  EXPECT_EQ(shown("zqs24-3", 0xA1C05000), "MOV RS1, AXIMI");  // split register fields
  EXPECT_EQ(shown("zqs24-1", 0xB9000000),
            "! Invalid instruction code 0xB9000000. Argument 1 of instruction ARD is not of type AREG");
  EXPECT_EQ(shown("zqs16-1", 0x02000000),
            "! Invalid instruction code 0x2000000. Bits 25 to 31 must be zero for this architecture.");
  // Labels name absolute addresses only, not an offset or a bit number.
  std::string const start = "START", seven = "SEVEN";
  label_names_type const names = {{0x40, &start}, {0x7, &seven}};
  EXPECT_EQ(shown("zqs24-1", 0xE3710040, &names), "JBS R3, 0x7, START");
  EXPECT_EQ(shown("zqs24-2", 0xA1230040, &names), "MRDI R1, R2, 0x40");
}

TEST(DisSource, LabelsAroundTheWordsAndCmdline) {
  image_type img;
  img.format = "c";
  img.arch_name = "zqs24-1";
  img.output_label = "rom";
  img.output_type = "const unsigned; int";
  img.words = {{0x10, 0xE0000008, 1}, {0x14, 0x0ABCDEF0, 2}, {0x20, 0, 3}};
  img.labels = {{"BELOW", 0x8, 1}, {"AT", 0x10, 2}, {"GAP", 0x18, 3}, {"END", 0x24, 4}};
  arch("zqs24-1");
  EXPECT_EQ(dis_source(img),
            ".cmdline -arch zqs24-1 -ofmt c -adrmax 0x00000024 -olbl rom -otyp \"const unsigned; int\"\n"
            "        .org 0x00000008\nBELOW:\n"
            "        .org 0x00000010\nAT:\n        JMP BELOW\n        .var 0x0ABCDEF0\n"
            "GAP:\n        .org 0x00000020\n        NOP\nEND:\n");
  img.labels.push_back({"at", 0x30, 9});
  img.def_name = "d.h";
  try {
    dis_source(img);
    FAIL();
  } catch (image_error const& e) {
    EXPECT_STREQ(e.what(), "d.h:9: label 'at' is defined twice.");
  }
}
