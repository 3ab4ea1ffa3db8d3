prog.ifs prog.def: prog.zqs
