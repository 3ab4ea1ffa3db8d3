// One entry of the symbol table.
#ifndef ASM_SYM_H
#define ASM_SYM_H

enum STO_TYPE { STO_VAR = 0, STO_REG = 1, STO_USER_REG = 2, STO_LABEL = 3 };

struct sym_type {
  unsigned int value = 0;
  STO_TYPE type = STO_VAR;
  bool assignable = false;  // the value counts as determined in expressions
};

#endif
