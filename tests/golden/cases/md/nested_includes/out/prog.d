prog.c prog.h prog.log: prog.zqs \
 inc/a.inc \
 c.inc \
 lib/b.inc

inc/a.inc:

c.inc:

lib/b.inc:
