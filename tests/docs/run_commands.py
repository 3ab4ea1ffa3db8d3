#!/usr/bin/env python3
"""Runs the command blocks of the README and of the manual pages' EXAMPLES.

usage: run_commands.py SOURCE_DIR BUILD_DIR WORK_DIR [DOCUMENT...]  (paths relative to SOURCE_DIR)

The source tree is copied to WORK_DIR/clone (without build trees and .git),
with `build` there a link to BUILD_DIR, so the commands run as in a fresh
clone after the first build, without building again; BUILD_DIR (asm-zqs,
dis-zqs, zqs-gen) comes first on PATH. Each document runs in one shell of its
own, in a clone of its own, its blocks in order, so that files and exported
variables carry from one block to the next.

Blocks and marks:
  README (Markdown): a fenced block tagged `sh` is run line by line (a line
  ending in a backslash continues); one tagged `console` runs its lines that
  start with "$ " and compares what they print (standard output and error)
  with the lines up to the next command. Other tags are text. A fence needs a
  tag, so that no command block goes unchecked by mistake.
  Manual pages: every .EX/.EE block of EXAMPLES is a sh block.
  A mark before a block, `<!-- doc-test: MARK -->` in Markdown or
  `.\\" doc-test: MARK` in roff, changes it:
    skip REASON  the next block is not run (needs a display, the network, or
                 is the test suite itself);
    file NAME    the next block is written to the file NAME;
    run COMMAND  COMMAND runs here (setup the reader need not see).
"""
import os
import re
import shutil
import subprocess
import sys

MARK = re.compile(r'^(?:<!--\s*doc-test:\s*(.*?)\s*-->|\.\\"\s*doc-test:\s*(.*?))\s*$')


class Block:
    def __init__(self, doc, line, kind, text, mark):
        self.doc, self.line, self.kind, self.text, self.mark = doc, line, kind, text, mark


def markdown_blocks(path, name):
    """(blocks, hidden commands) of a Markdown file, in order, as Block items."""
    lines = open(path, encoding="utf-8").read().split("\n")
    items, mark, i = [], None, 0
    while i < len(lines):
        line = lines[i]
        m = MARK.match(line)
        fence = re.match(r"^(\s*)(```+)\s*(\S*)\s*$", line)
        if m:
            mark = directive(m.group(1) or m.group(2), name, i + 1, items, mark)
        elif fence:
            indent, ticks, tag = fence.groups()
            if not tag:
                sys.exit(f"{name}:{i + 1}: a fenced block needs a tag (sh, console, text, ...)")
            body, i = [], i + 1
            while i < len(lines) and lines[i].strip() != ticks:
                body.append(lines[i][len(indent):] if lines[i].startswith(indent) else lines[i])
                i += 1
            items.append(Block(name, i - len(body), tag, body, mark))
            mark = None
        i += 1
    return items


ROFF_ESCAPES = [(r"\-", "-"), (r"\e", "\\"), (r"\(aq", "'"), (r"\(dq", '"'),
                (r"\(ga", "`"), (r"\(ti", "~"), (r"\(ha", "^"), (r"\&", "")]


def roff_text(line):
    parts = line.split("\\e")  # a backslash in the text
    for i, part in enumerate(parts):
        for esc, ch in ROFF_ESCAPES[:1] + ROFF_ESCAPES[2:]:
            part = part.replace(esc, ch)
        if "\\" in part:
            sys.exit(f"unknown roff escape in example line: {line}")
        parts[i] = part
    return "\\".join(parts)


def man_blocks(path, name):
    """The .EX blocks of the EXAMPLES section of a manual page as sh blocks."""
    lines = open(path, encoding="utf-8").read().split("\n")
    items, mark, in_examples, i = [], None, False, 0
    while i < len(lines):
        line = lines[i]
        m = MARK.match(line)
        if line.startswith(".SH"):
            in_examples = line.split(None, 1)[1].strip('"') == "EXAMPLES"
        elif in_examples and m:
            mark = directive(m.group(1) or m.group(2), name, i + 1, items, mark)
        elif in_examples and line.startswith(".EX"):
            body, i = [], i + 1
            while i < len(lines) and not lines[i].startswith(".EE"):
                body.append(roff_text(lines[i]))
                i += 1
            items.append(Block(name, i - len(body), "sh", body, mark))
            mark = None
        i += 1
    return items


def directive(text, name, line, items, mark):
    """Handles one mark; returns the mark the next block gets."""
    word, _, rest = text.partition(" ")
    if word == "run":
        items.append(Block(name, line, "sh", [rest], None))
        return mark
    if word in ("skip", "file") and rest:
        return (word, rest)
    sys.exit(f"{name}:{line}: unknown doc-test mark: {text}")


def join_continued(lines):
    """Logical command lines: a line ending in a backslash continues."""
    out, cur = [], ""
    for line in lines:
        cur += line + "\n"
        if not line.endswith("\\"):
            out.append(cur.rstrip("\n"))
            cur = ""
    if cur:
        out.append(cur.rstrip("\n"))
    return out


def quote(s):
    return "'" + s.replace("'", "'\\''") + "'"


def script_for(items):
    """A bash script that runs the blocks and stops at the first failure."""
    out = ["fail() { echo \"doc-test: $1\" >&2; exit 1; }"]
    for b in items:
        where = f"{b.doc}:{b.line}"
        if b.mark and b.mark[0] == "skip":
            out.append(f"echo {quote('skipped ' + where + ': ' + b.mark[1])}")
            continue
        if b.mark and b.mark[0] == "file":
            out.append(f"cat > {quote(b.mark[1])} <<'DOC_TEST_EOF'\n" + "\n".join(b.text) +
                       "\nDOC_TEST_EOF")
            continue
        if b.kind == "sh":
            for n, cmd in enumerate(join_continued(b.text)):
                if cmd.strip() and not cmd.lstrip().startswith("#"):
                    out.append(f"echo {quote('+ ' + cmd)}\n{cmd}\n"
                               f"s=$?; [ $s = 0 ] || fail {quote(where + ': status ')}$s")
        elif b.kind == "console":
            cmds, cur = [], None
            for line in b.text:
                if line.startswith("$ "):
                    cur = [line[2:], []]
                    cmds.append(cur)
                elif cur:
                    cur[1].append(line)
            for cmd, expected in cmds:
                want = "\n".join(expected) + "\n" if expected else ""
                out.append(f"echo {quote('+ ' + cmd)}\n{{ {cmd}\n}} >.doc_out 2>&1\n"
                           f"s=$?; cat .doc_out; [ $s = 0 ] || fail {quote(where + ': status ')}$s\n"
                           f"printf %s {quote(want)} | cmp -s - .doc_out || "
                           f"fail {quote(where + ': output differs from the text of the block')}")
    out.append("rm -f .doc_out")
    return "\n".join(out) + "\n"


def clone(src, dst, build):
    def ignore(d, names):
        if os.path.abspath(d) != os.path.abspath(src):
            return []
        return [n for n in names if n.startswith("build") or n == ".git"]
    shutil.copytree(src, dst, symlinks=True, ignore=ignore)
    os.symlink(build, os.path.join(dst, "build"))


def main():
    src, build, work = (os.path.abspath(a) for a in sys.argv[1:4])
    docs = sys.argv[4:] or ["README.md", "docs/guide.md", "docs/man/asm-zqs.1", "docs/man/dis-zqs.1",
                            "docs/man/asm_zqs.3"]
    shutil.rmtree(work, ignore_errors=True)
    env = dict(os.environ, PATH=build + os.pathsep + os.environ["PATH"],
               PYTHONDONTWRITEBYTECODE="1")
    for k in ("ASM_ZQS_BUILD", "ZQS_LIBRARY", "PYTHONPATH", "CPATH", "LIBRARY_PATH",
              "LD_LIBRARY_PATH", "PKG_CONFIG_PATH", "MAKEFLAGS"):
        env.pop(k, None)
    failed = 0
    for doc in docs:
        path = os.path.join(src, doc)
        items = markdown_blocks(path, doc) if doc.endswith(".md") else man_blocks(path, doc)
        if not any(b.kind in ("sh", "console") and not b.mark for b in items):
            sys.exit(f"{doc}: no command block found")
        dst = os.path.join(work, re.sub(r"\W", "_", doc))
        clone(src, dst, build)
        print(f"== {doc}", flush=True)
        if subprocess.call(["bash", "-c", script_for(items)], cwd=dst, env=env,
                           stdin=subprocess.DEVNULL) != 0:
            failed += 1
    if failed:
        sys.exit(f"{failed} document(s) with a failing command block")
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
