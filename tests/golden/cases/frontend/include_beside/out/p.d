p.c: p.zqs \
 sub/a.inc \
 other/e.inc \
 sub/b.inc \
 other/b.inc \
 sub/deep/c.inc \
 sub/deep/d.inc

sub/a.inc:

other/e.inc:

sub/b.inc:

other/b.inc:

sub/deep/c.inc:

sub/deep/d.inc:
