%{
#include "asm_passes.h"
#include "parser_iface.h"
%}
%token TK_EOF
%%
file: TK_EOF { YYACCEPT; } ;
%%
