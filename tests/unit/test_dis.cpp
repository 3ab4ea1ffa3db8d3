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

}  // namespace

TEST(DisDecode, OnlyTextsThatGiveTheWordAgainReencode) {
  dis_word_type d = dis_decode(arch("zqs24-1"), 0xE3710040);
  EXPECT_TRUE(d.valid && d.reencodes);
  EXPECT_EQ(d.text, "JBS R3, 0x7, 0x40");
  EXPECT_EQ(d.operands, (std::vector<std::string>{"R3", "0x7", "0x40"}));
  EXPECT_EQ(d.address_operand, (std::vector<bool>{false, false, true}));

  d = dis_decode(arch("zqs24-1"), 0);  // NOP without its trailing blank
  EXPECT_TRUE(d.reencodes);
  EXPECT_EQ(d.text, "NOP");
  // Bits outside every field: the text is another word's.
  EXPECT_FALSE(dis_decode(arch("zqs24-1"), 0x0ABCDEF0).reencodes);
  EXPECT_FALSE(dis_decode(arch("zqs24-2"), 0xE0001000).reencodes);
  EXPECT_FALSE(dis_decode(arch("zqs24-1"), 0x00123456).reencodes);  // a lit24 word
  // Two mnemonics of one code: the tree's name assembles to it.
  EXPECT_TRUE(dis_decode(arch("zqs24-1"), 0xA0070000).reencodes);
  EXPECT_TRUE(dis_decode(arch("zqs24-3"), 0xA1C05000).reencodes);  // split register fields

  d = dis_decode(arch("zqs24-1"), 0xB9000000);
  EXPECT_FALSE(d.valid);
  EXPECT_EQ(d.text, "Invalid instruction code 0xB9000000. Argument 1 of instruction ARD is not of type AREG");
}

TEST(DisDecode, EncoderChecksOfTheOperands) {
  arch_type& a = arch("zqs24-1");
  EXPECT_TRUE(dis_encodes_to(a, "JMP", {"0x28"}, 0xE0000028));
  EXPECT_TRUE(dis_encodes_to(a, "movl", {"r0", "h#5"}, 0x10000005));
  EXPECT_FALSE(dis_encodes_to(a, "JMP", {"0x2A"}, 0xE0000028));      // not a multiple of 4
  EXPECT_FALSE(dis_encodes_to(a, "JMP", {"0x4000"}, 0xE0000000));    // out of range
  EXPECT_FALSE(dis_encodes_to(a, "ARD", {"STA", "R0", "0x0"}, 0xB8000000));  // not an AREG
  EXPECT_FALSE(dis_encodes_to(a, "MOVL", {"R0"}, 0x10000000));       // too few operands
  EXPECT_FALSE(dis_encodes_to(a, "FOO", {}, 0));
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
