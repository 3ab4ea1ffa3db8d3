p.c: p.zqs \
 sub/a.inc \
 x.inc \
 i/y.inc

sub/a.inc:

x.inc:

i/y.inc:
