// The disassembler walk: texts of each instruction set and every rejection text.
#include <gtest/gtest.h>

#include "asm_arch.h"

namespace {

std::string dis(char const* name, unsigned int code) {
  asm_arch a;
  arch_type& r = asm_arch::arch_map.at(name);
  try {
    return r.disasm_tree_walker(r.disasm_tree, code);
  } catch (std::string const& e) {
    return "! " + e;
  }
}

TEST(Disasm, Zqs24_1) {
  EXPECT_EQ(dis("zqs24-1", 0x10000005), "MOVL R0, 0x5");
  EXPECT_EQ(dis("zqs24-1", 0xE3710040), "JBS R3, 0x7, 0x40");
  EXPECT_EQ(dis("zqs24-1", 0x00000000), "NOP ");
  EXPECT_EQ(dis("zqs24-1", 0xE0040000), "RET ");
  EXPECT_EQ(dis("zqs24-1", 0xA0070000), "MWRL R0, 0x0");
  EXPECT_EQ(dis("zqs24-1", 0xA0080000), "MWRIL R0, R0");
  EXPECT_EQ(dis("zqs24-1", 0xE0003FFC), "JMP 0x3FFC");
  EXPECT_EQ(dis("zqs24-1", 0xB0C001FF), "ARD R0, ZERO, 0x1FF");
  EXPECT_EQ(dis("zqs24-1", 0x1CFFFFFF), "MOVL TBU_TS0, 0xFFFFFF");
  EXPECT_EQ(dis("zqs24-1", 0xF9A0ABCD), "WURM ACB, CTRG, 0xABCD");
  EXPECT_EQ(dis("zqs24-1", 0xB00001FF), "ARD R0, R0, 0x1FF");
  EXPECT_EQ(dis("zqs24-1", 0xBCC00000), "ARD ZERO, ZERO, 0x0");
  EXPECT_EQ(dis("zqs24-1", 0x1FFFFFFF), "MOVL MHB, 0xFFFFFF");
  EXPECT_EQ(dis("zqs24-1", 0xFF70FFFF), "WURM MHB, R7, 0xFFFF");
  EXPECT_EQ(dis("zqs24-1", 0xF0000000), "WURM R0, R0, 0x0");
  // Bits outside every field are ignored.
  EXPECT_EQ(dis("zqs24-1", 0xA5000003), "MOV R5, R0");
}

TEST(Disasm, Zqs24_1Rejections) {
  EXPECT_EQ(dis("zqs24-1", 0xA0090000), "! Invalid instruction code 0xA0090000. Bad bit slice 16 to 19.");
  EXPECT_EQ(dis("zqs24-1", 0xD0030000), "! Invalid instruction code 0xD0030000. Bad bit slice 16 to 19.");
  EXPECT_EQ(dis("zqs24-1", 0xB9000000),
            "! Invalid instruction code 0xB9000000. Argument 1 of instruction ARD is not of type AREG");
  EXPECT_EQ(dis("zqs24-1", 0xB0900000),
            "! Invalid instruction code 0xB0900000. Argument 2 of instruction ARD is not of type AREG");
  EXPECT_EQ(dis("zqs24-1", 0xB0F40000),
            "! Invalid instruction code 0xB0F40000. Argument 2 of instruction ARDI is not of type AREG");
  EXPECT_EQ(dis("zqs24-1", 0xB0010018),
            "! Invalid instruction code 0xB0010018. Argument 3 of instruction AWR is out of valid range 0x0 to 0x17.");
  EXPECT_EQ(dis("zqs24-1", 0xC0060019),
            "! Invalid instruction code 0xC0060019. Argument 2 of instruction SHR is out of valid range 0x0 to 0x18.");
  asm_arch a;
  arch_type& r = asm_arch::arch_map.at("zqs24-1");
  try {
    r.disasm_tree_walker(nullptr, 0);
    FAIL() << "no throw";
  } catch (std::string const& e) {
    EXPECT_EQ(e, "ZQS architecture has invalid disam_tree.");
  }
}

TEST(Disasm, Zqs24_2) {
  EXPECT_EQ(dis("zqs24-2", 0xA0070000), "MWRL R0, 0x0");
  EXPECT_EQ(dis("zqs24-2", 0xC00D0000), "MINS R0, R0");
  EXPECT_EQ(dis("zqs24-2", 0xD5630000), "ASL R5, R6");
  EXPECT_EQ(dis("zqs24-2", 0xE0001000), "JMP 0x0");
  EXPECT_EQ(dis("zqs24-2", 0xE0000FFC), "JMP 0xFFC");
  // The optional third operand is printed even when it holds its default.
  EXPECT_EQ(dis("zqs24-2", 0xA1230000), "MRDI R1, R2, 0x0");
  EXPECT_EQ(dis("zqs24-2", 0x1E000000),
            "! Invalid instruction code 0x1E000000. Argument 1 of instruction MOVL is not of type OREG");
  EXPECT_EQ(dis("zqs24-2", 0xC0080000), "! Invalid instruction code 0xC0080000. Bad bit slice 16 to 19.");
  EXPECT_EQ(asm_arch::arch_map.at("zqs24-2").instr_map.count("mwr24"), 0u);
  EXPECT_EQ(asm_arch::arch_map.at("zqs24-2").instr_map.count("lit32"), 0u);
}

TEST(Disasm, Zqs24_3) {
  EXPECT_EQ(dis("zqs24-3", 0xA1C05000), "MOV RS1, AXIMI");
  EXPECT_EQ(dis("zqs24-3", 0xC0080018), "MULU R0, R0, 0x18");
  EXPECT_EQ(dis("zqs24-3", 0xE6765000), "JBSI RS6, 0x17");
  EXPECT_EQ(dis("zqs24-3", 0xE6F65000),
            "! Invalid instruction code 0xE6F65000. Argument 2 of instruction JBSI is out of valid range 0x0 to 0x17.");
  EXPECT_EQ(dis("zqs24-3", 0xA00D1000), "MRDIO R0, RS0");
  // 29 to 31 exist only in the next version.
  EXPECT_EQ(dis("zqs24-3", 0xA1D05000),
            "! Invalid instruction code 0xA1D05000. Argument 2 of instruction MOV is not of type XOREG");
  EXPECT_EQ(dis("zqs24-3", 0xA1F01000),
            "! Invalid instruction code 0xA1F01000. Argument 2 of instruction MOV is not of type XOREG");
  EXPECT_EQ(dis("zqs24-3", 0xC0080000),
            "! Invalid instruction code 0xC0080000. Argument 3 of instruction MULU is out of valid range 0x1 to 0x18.");
  EXPECT_EQ(dis("zqs24-3", 0xF0111000),
            "! Invalid instruction code 0xF0111000. Argument 2 of instruction WURMX is not of type WXREG");
  EXPECT_EQ(dis("zqs24-3", 0xE0097FFC), "! Invalid instruction code 0xE0097FFC. Bad bit slice 16 to 19.");
}

TEST(Disasm, Zqs24_4) {
  EXPECT_EQ(dis("zqs24-4", 0xA1E05000), "MOV RS1, TIOI");
  EXPECT_EQ(dis("zqs24-4", 0xA1F05000), "MOV RS1, TIOSL");
  EXPECT_EQ(dis("zqs24-4", 0xE000FFFC), "JMP 0xFFFC");
  EXPECT_EQ(dis("zqs24-4", 0xA1B3FFFC), "MRDI R1, R3, 0xFFFC");
  EXPECT_EQ(dis("zqs24-4", 0xA08D0000),
            "! Invalid instruction code 0xA08D0000. Argument 2 of instruction MRDIO is not of type BAREG");
  // The greg field is bits 22..20: bit 23 lies outside it.
  EXPECT_EQ(dis("zqs24-4", 0xA0880000), "MWRIL R0, R0");
  EXPECT_EQ(asm_arch::arch_map.at("zqs24-4").instr_map.count("mwr24"), 0u);
  EXPECT_EQ(asm_arch::arch_map.at("zqs24-3").instr_map.at("jmp").arg_type_lst[0].hi_val, 0x7FFFu);
  EXPECT_EQ(asm_arch::arch_map.at("zqs24-4").instr_map.at("jmp").arg_type_lst[0].hi_val, 0xFFFFu);
}

TEST(Disasm, Zqs16_1) {
  EXPECT_EQ(dis("zqs16-1", 0x00100005), "MOVL R0, 0x5");
  EXPECT_EQ(dis("zqs16-1", 0x01800C00), "PUSH R0");
  EXPECT_EQ(dis("zqs16-1", 0x01F00800), "RET ");
  EXPECT_EQ(dis("zqs16-1", 0x01FCFFFF), "WURM TRG, MHB, 0x3FF");
  EXPECT_EQ(dis("zqs16-1", 0x00A30FFF), "BRD R3, 0x3FFC");
  EXPECT_EQ(dis("zqs16-1", 0x01C00C10), "MULU R0, R0, 0x10");
  EXPECT_EQ(dis("zqs16-1", 0x01800400), "! Invalid instruction code 0x1800400. Bad bit slice 10 to 11.");
  EXPECT_EQ(dis("zqs16-1", 0x01500000), "! Invalid instruction code 0x1500000. Bad bit slice 20 to 24.");
  EXPECT_EQ(dis("zqs16-1", 0x001D0000),
            "! Invalid instruction code 0x1D0000. Argument 1 of instruction MOVL is not of type OREG");
  EXPECT_EQ(dis("zqs16-1", 0x01B00811),
            "! Invalid instruction code 0x1B00811. Argument 2 of instruction SHR is out of valid range 0x0 to 0x10.");
  // The walk itself looks only at the tree's bits; the width check belongs to the caller.
  EXPECT_EQ(dis("zqs16-1", 0x02000000), "NOP ");
}

}  // namespace
