// The expression evaluator: arithmetic, validity, and which pass warns.
#include <gtest/gtest.h>

#include "asm_passes.h"

namespace {

std::pmr::memory_resource* const heap = std::pmr::new_delete_resource();

asm_expr* num(std::string text) {
  asm_expr* e = new_expr(heap, "num", nullptr, nullptr);
  e->data = text;
  return e;
}
asm_expr* ident(std::string text) {
  asm_expr* e = new_expr(heap, "ident", nullptr, nullptr);
  e->data = text;
  return e;
}
asm_expr* op(char const* name, asm_expr* l, asm_expr* r = nullptr) { return new_expr(heap, name, l, r); }

struct Eval : ::testing::Test {
  asm_passes p;
  void SetUp() override { asm_module::clear_msg_list(); }
  void TearDown() override { asm_module::clear_msg_list(); }
  // Evaluates and frees the tree; returns the value, sets valid.
  unsigned int eval(asm_expr* e, bool& valid, bool first_pass = true, bool reg_allowed = false,
                    bool report_undefined = false, unsigned int arg = 1) {
    unsigned int v = p.expression_walker(e, valid, "t.zqs", 3, arg, reg_allowed, report_undefined, first_pass);
    delete_expr_tree(heap, e);
    return v;
  }
  std::string msgs() { return asm_module::print_msg_list(); }
};

TEST_F(Eval, ArithmeticWrapsAndWarnsInItsPass) {
  bool valid;
  EXPECT_EQ(eval(op("sub", num("1"), num("2")), valid, true), 0xFFFFFFFFu);
  EXPECT_TRUE(valid);
  EXPECT_EQ(msgs(), "");  // the underflow is a pass-2 warning
  EXPECT_EQ(eval(op("sub", num("1"), num("2")), valid, false), 0xFFFFFFFFu);
  EXPECT_EQ(msgs(), "WARNING t.zqs:3> Subtratcion operator causes unsigned 32-bit underflow.\n");
  asm_module::clear_msg_list();

  EXPECT_EQ(eval(op("add", num("0xFFFFFFFF"), num("1")), valid, false), 0u);
  EXPECT_EQ(eval(op("mul", num("0x10000"), num("0x10000")), valid, false), 0u);
  EXPECT_EQ(msgs(), "");  // overflows are pass-1 warnings
  EXPECT_EQ(eval(op("add", num("0xFFFFFFFF"), num("1")), valid, true), 0u);
  EXPECT_EQ(eval(op("mul", num("0x10000"), num("0x10000")), valid, true), 0u);
  EXPECT_EQ(msgs(),
            "WARNING t.zqs:3> Addition operator causes unsigned 32-bit overflow.\n"
            "WARNING t.zqs:3> Multiplication operator causes unsigned 32-bit overflow.\n");
}

TEST_F(Eval, UnaryDivisionAndPower) {
  bool valid;
  EXPECT_EQ(eval(op("neg", num("1")), valid), 0xFFFFFFFFu);
  EXPECT_EQ(eval(op("not", num("0")), valid), 0xFFFFFFFFu);
  EXPECT_EQ(eval(op("div", num("7"), num("2")), valid), 3u);
  EXPECT_EQ(eval(op("mod", num("7"), num("2")), valid), 1u);
  EXPECT_EQ(eval(op("pow", num("2"), num("31")), valid), 0x80000000u);
  EXPECT_EQ(eval(op("pow", num("0"), num("0")), valid), 1u);
  EXPECT_EQ(eval(op("and", num("12"), num("10")), valid), 8u);
  EXPECT_EQ(eval(op("or", num("12"), num("10")), valid), 14u);
  EXPECT_EQ(eval(op("xor", num("12"), num("10")), valid), 6u);
  EXPECT_EQ(msgs(), "");
  EXPECT_EQ(eval(op("pow", num("2"), num("32")), valid), 0u);
  EXPECT_EQ(eval(op("pow", num("0"), num("3")), valid), 0u);
  EXPECT_EQ(eval(op("pow", num("0xFFFFFFFF"), num("0xFFFFFFFF")), valid), 0u);
  EXPECT_EQ(eval(op("div", num("7"), num("0")), valid, true, false, false, 2), 0u);
  EXPECT_TRUE(valid);
  EXPECT_EQ(eval(op("mod", num("7"), num("0")), valid, true, false, false, 2), 0u);
  EXPECT_EQ(msgs(),
            "WARNING t.zqs:3> Power operator causes unsigned 32-bit overflow.\n"
            "WARNING t.zqs:3> Power operator causes unsigned 32-bit overflow.\n"
            "WARNING t.zqs:3> Power operator causes unsigned 32-bit overflow.\n"
            "ERROR t.zqs:3> Division by zero in argument 2.\n"
            "ERROR t.zqs:3> Division by zero in argument 2.\n");
}

TEST_F(Eval, SymbolsAndValidity) {
  p.ir.sym_tab["loop"] = sym_type{0x40, STO_LABEL, true};
  p.ir.sym_tab["r1"] = sym_type{1, STO_REG, false};
  p.ir.sym_tab["sp"] = sym_type{3, STO_USER_REG, true};
  p.ir.sym_tab["later"] = sym_type{0, STO_VAR, false};
  bool valid;
  EXPECT_EQ(eval(op("add", ident("LoOp"), num("4")), valid), 0x44u);
  EXPECT_TRUE(valid);
  EXPECT_EQ(eval(op("add", ident("later"), num("4")), valid), 4u);
  EXPECT_FALSE(valid);
  EXPECT_EQ(eval(op("neg", ident("later")), valid), 0u);
  EXPECT_FALSE(valid);
  EXPECT_EQ(eval(ident("foo"), valid), 0u);  // silently undetermined
  EXPECT_FALSE(valid);
  EXPECT_EQ(msgs(), "");
  EXPECT_EQ(eval(ident("foo"), valid, false, false, true, 1), 0u);
  EXPECT_EQ(eval(ident("r1"), valid, true, false, false, 2), 0u);
  EXPECT_EQ(msgs(),
            "ERROR t.zqs:3> Found undefined symbol 'FOO' in argument 1.\n"
            "ERROR t.zqs:3> Register symbol 'R1' cannot be used as variable expressions in argument 2.\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(eval(ident("r1"), valid, true, true), 1u);
  EXPECT_FALSE(valid);  // architecture registers are never assignable
  EXPECT_EQ(eval(ident("SP"), valid, true, true), 3u);
  EXPECT_TRUE(valid);
  EXPECT_EQ(eval(op("string", nullptr), valid), 0u);
  EXPECT_FALSE(valid);
  EXPECT_EQ(msgs(), "");
}

TEST_F(Eval, BadConstantNamesItsArgument) {
  bool valid;
  EXPECT_EQ(eval(op("add", num("1"), num("b#102")), valid, true, false, false, 2), 1u);
  EXPECT_FALSE(valid);
  EXPECT_EQ(msgs(), "ERROR t.zqs:3> Argument 2: Found bad character '2' in binary constant.\n");
}

// Messages come out in source order: the left operand's before the right's.
TEST_F(Eval, MessageOrderIsLeftToRight) {
  bool valid;
  eval(op("add", op("div", num("1"), num("0")), ident("x")), valid, false, false, true);
  EXPECT_EQ(msgs(),
            "ERROR t.zqs:3> Division by zero in argument 1.\n"
            "ERROR t.zqs:3> Found undefined symbol 'X' in argument 1.\n");
}

// A million-operand chain, both left- and right-leaning, without deep recursion.
TEST_F(Eval, MillionOperands) {
  asm_expr* left = num("1");
  for (int i = 1; i < 1000000; ++i) left = op("add", left, num("1"));
  bool valid;
  EXPECT_EQ(eval(left, valid), 1000000u);
  EXPECT_TRUE(valid);
  asm_expr* right = num("3");
  for (int i = 1; i < 1000000; ++i) right = op("sub", num("2"), right);
  EXPECT_EQ(eval(right, valid, true), 0xFFFFFFFFu);  // 2-(2-(...(2-3)))
}

}  // namespace
