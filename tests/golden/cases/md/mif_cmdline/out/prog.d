prog.c: prog.zqs
