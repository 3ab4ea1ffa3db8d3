"""Checks an lcov tracefile against the run it counts: each DA line's hits are the
executions of the line's words in the address trace (found through Program.source, which
must give the line's text as the file holds it), and the count the line's "hits N"
comment states. Usage: check_cover.py INFO TRACE SOURCE"""
import collections
import os
import re
import sys

import zqs

info, trace, source = sys.argv[1:]
prog = zqs.assemble_file(source)
expected = collections.Counter()
for address in (int(line, 16) for line in open(trace)):
    src = prog.source(address)
    with open(src.file) as f:
        assert f.read().split("\n")[src.line - 1] == src.text, src
    expected[(os.path.abspath(src.file), src.line)] += 1

actual, stated, path = {}, {}, None
for line in open(info):
    if line.startswith("SF:"):
        path = line[3:].rstrip("\n")
        for n, text in enumerate(open(path), 1):
            m = re.search(r"; hits (\d+)", text)
            if m:
                stated[(path, n)] = int(m.group(1))
    elif line.startswith("DA:"):
        n, hits = map(int, line[3:].split(","))
        actual[(path, n)] = hits

bad = {k: (v, expected.get(k, 0), stated.get(k)) for k, v in actual.items()
       if v != expected.get(k, 0) or v != stated.get(k)}
if bad or set(actual) != set(stated) or not set(expected) <= set(actual):
    sys.exit(f"tracefile disagrees (line: tracefile, trace, comment): {bad}")
print(f"{len(actual)} lines: hits equal the trace and the comments")
