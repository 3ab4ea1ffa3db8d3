#!/usr/bin/env python3
"""Generates large, realistic assembler sources for the benchmarks.

  gen_program.py zqs N DIR [--mix MIX] [--seed S]
      writes DIR/main.zqs (and DIR/m_*.zqs include files) for the zqs24-1
      instruction set; all files together have exactly N lines. Assemble with
      -adrmax 0xFFFFFC (big programs run past the default address limit).
  gen_program.py gas N FILE [--seed S]
      writes an x86-64 source of N lines with a similar mix for GNU as.

Mixes (zqs only):
  normal    every directive and instruction kind: labels every few lines,
            .define/.set, .register, .org, .var, .str, includes, comments,
            register, numeric and label operands (the default)
  labels    a label on every line
  includes  about one include file per 20 lines
  org       a .org gap after every few words
  errors    every other line an error (undefined symbol), no output
The program always assembles without errors except with --mix errors.
"""

import argparse
import os
import random

OREGS = ["r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "sta", "acb"]
AREGS = ["r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "zero"]
ALU_IMM = ["movl", "addl", "subl", "andl", "orl", "xorl", "atul", "atsl", "btl"]
ALU_REG = ["mov", "add", "sub", "neg", "and", "or", "xor", "atu", "ats", "bt",
           "mrdi", "mwri", "awri"]
WORDS = ["init", "loop", "next", "done", "wait", "send", "recv", "copy", "fill",
         "scan", "tick", "poll", "exit", "skip"]
COMMENTS = ["save the result", "count down", "next element", "wait for the device",
            "status bit set?", "clear the flag", "load the base address",
            "keep the old value", "two bytes per word", "back to the main loop"]


def num(rng, hi):
    """A literal up to hi in one of the number syntaxes."""
    v = rng.randint(0, hi)
    form = rng.randrange(8)
    if form == 0:
        return "0x%X" % v
    if form == 1:
        return "h#%x" % v
    if form == 2:
        return "$%x" % v
    if form == 3 and v <= 255:
        return "b#" + bin(v)[2:]
    if form == 4 and 32 <= v < 127 and chr(v) not in "'\\":
        return "'%s'" % chr(v)
    return str(v)


class Zqs:
    """State of one generated program: address counter, names, files."""

    def __init__(self, rng, mix):
        self.rng = rng
        self.mix = mix
        self.adr = 0            # address counter in bytes
        self.labels = []        # labels defined so far (for backward references)
        self.pending = []       # labels referenced before their definition
        self.consts = []        # .define / .set names
        self.uregs = []         # .register names
        self.n = 0              # unique counter for names

    def name(self, prefix):
        self.n += 1
        return "%s%d" % (prefix, self.n)

    def label_ref(self):
        """A label, backward or forward; forward ones are defined soon after."""
        rng = self.rng
        if self.labels and rng.random() < 0.7:
            return rng.choice(self.labels[-50:])
        lbl = self.name(rng.choice(WORDS) + "_")
        self.pending.append(lbl)
        return lbl

    def operand_expr(self):
        """A numeric operand expression of at most 24 bits."""
        rng = self.rng
        k = rng.randrange(6)
        if k == 0 and self.consts:
            return rng.choice(self.consts[-20:])
        if k == 1 and self.consts:
            return "%s + %s" % (rng.choice(self.consts[-20:]), num(rng, 255))
        if k == 2:
            return "%s * 4 + %s" % (num(rng, 1000), num(rng, 3))
        return num(rng, 0xFFFFF)

    def instruction(self):
        rng = self.rng
        k = rng.randrange(20)
        o = lambda: rng.choice(OREGS + self.uregs[-4:])
        a = lambda: rng.choice(AREGS)
        if self.mix == "errors" and rng.random() < 0.5:
            return "addl    %s, undefined_%d" % (o(), rng.randrange(1000))
        if k < 6:
            return "%-7s %s, %s" % (rng.choice(ALU_IMM), o(), self.operand_expr())
        if k < 10:
            return "%-7s %s, %s" % (rng.choice(ALU_REG), o(), o())
        if k == 10:
            return "movl    %s, %s" % (o(), self.label_ref())
        if k == 11:
            return "%-7s %s, %s & 0x3FFC" % (rng.choice(["mrd", "mwr", "mwrl"]), o(),
                                            self.label_ref())
        if k == 12:
            return "%-7s %s & 0x3FFC" % (rng.choice(["jmp", "call"]), self.label_ref())
        if k == 13:
            return "%-7s %s, %d, %s & 0x3FFC" % (rng.choice(["jbs", "jbc"]), o(),
                                                rng.randrange(16), self.label_ref())
        if k == 14:
            return "%-7s %s, %s, %s" % (rng.choice(["ard", "nard"]), a(), a(), num(rng, 0x1FF))
        if k == 15:
            return "wurm    %s, %s, %s" % (o(), o(), num(rng, 0xFFFF))
        if k == 16:
            return "%-7s %s, %d" % (rng.choice(["shr", "shl"]), o(), rng.randrange(25))
        if k == 17:
            return "%-7s %s" % (rng.choice(["push", "pop"]), o())
        if k == 18:
            return rng.choice(["nop", "ret"])
        return rng.choice(["lit24   %s" % self.label_ref(), "lit32   0x%08X" % rng.getrandbits(32)])

    def line(self):
        """One source line (without line end) and the words it places."""
        rng = self.rng
        r = rng.random()
        if self.mix == "labels" or r < 0.08:
            lbl = self.pending.pop(0) if self.pending else self.name("l")
            self.labels.append(lbl)
            if rng.random() < 0.5:
                return "%s: %s" % (lbl, self.instruction()), 1
            return "%s:" % lbl, 0
        if self.mix == "org" and r < 0.2:
            self.adr = (self.adr + 4 + 0x3F) & ~0x3F
            return "        .org    0x%X" % self.adr, 0
        if r < 0.10:
            return "; " + rng.choice(COMMENTS), 0
        if r < 0.13:
            return "", 0
        if r < 0.15:
            c = self.name("C_")
            if rng.random() < 0.5:
                text = ".define %-10s %s" % (c, num(rng, 0xFFFF))
            else:
                text = ".set    %s, %s" % (c, self.operand_expr())
            self.consts.append(c)
            return text, 0
        if r < 0.155:
            u = self.name("ur")
            self.uregs.append(u)
            return ".register %s %s" % (u, rng.choice(["1", "2", "5", "3", "4 + 2", "0x6"])), 0
        if r < 0.157:
            self.adr = (self.adr + 4 + 0xFF) & ~0xFF
            return "        .org    0x%X       ; next block" % self.adr, 0
        if r < 0.19:
            if rng.random() < 0.5:
                return "        .var    %s, %d" % (num(rng, 255), rng.choice([8, 16, 24])), 1
            return "        .var    %s" % num(rng, 0xFFFFFF), 1
        if r < 0.20:
            text = rng.choice(COMMENTS)
            k = rng.choice([1, 2, 3])
            # the text, the line feed and the terminating zero, k bytes per word
            return '        .str    "%s\\n", %d' % (text, k), (len(text) + 2 + k - 1) // k
        ins = "        " + self.instruction()
        if rng.random() < 0.25:
            ins = "%-40s; %s" % (ins, rng.choice(COMMENTS))
        return ins, 1

    def close(self):
        """Definitions of the labels still referenced but not yet defined."""
        out = []
        while self.pending:
            out.append("%s: nop" % self.pending.pop(0))
            self.adr += 4
        return out


def gen_zqs(n, directory, mix, seed):
    rng = random.Random(seed)
    os.makedirs(directory, exist_ok=True)
    g = Zqs(rng, mix)
    head = ["; generated benchmark program (%d lines, mix %s)" % (n, mix),
            ".define BASE 0x100", ".set    STEP, 4", ".register acc 7", ""]
    g.consts += ["BASE", "STEP"]
    g.uregs.append("acc")
    budget = n - len(head)
    # Modules: each an include file of its own; the main file includes them in turn.
    per_module = 20 if mix == "includes" else max(200, n // 50)
    modules = []
    main = list(head)
    while budget > 0:
        if budget < per_module + 40 or (mix != "includes" and len(modules) >= 2000):
            # a line adds at most one forward reference
            while budget - len(g.pending) >= 2:
                text, words = g.line()
                g.adr += 4 * words
                main.append(text)
                budget -= 1
            break
        name = "m_%d.zqs" % len(modules)
        lines = ["; module %d" % len(modules)]
        # Every label a module refers to ahead is defined in it before its end.
        while len(lines) + len(g.pending) < per_module:
            text, words = g.line()
            g.adr += 4 * words
            lines.append(text)
        lines += g.close()
        modules.append((name, lines))
        main.append('.include "%s"' % name)
        budget -= len(lines) + 1
    tail = g.close()
    main += tail
    budget -= len(tail)
    main += [""] * max(budget, 0)
    with open(os.path.join(directory, "main.zqs"), "w") as f:
        f.write("\n".join(main) + "\n")
    for name, lines in modules:
        with open(os.path.join(directory, name), "w") as f:
            f.write("\n".join(lines) + "\n")
    total = len(main) + sum(len(l) for _, l in modules)
    return total, g.adr


def gen_gas(n, path, seed):
    rng = random.Random(seed)
    regs = ["%eax", "%ebx", "%ecx", "%edx", "%esi", "%edi", "%r8d", "%r9d"]
    out = ["# generated benchmark program (%d lines)" % n, "\t.text", ".set BASE, 0x100",
           "\t.globl main", "main:"]
    labels = ["main"]
    k = 0
    while len(out) < n - 1:
        r = rng.random()
        if r < 0.08:
            k += 1
            labels.append("l%d" % k)
            out.append("l%d:" % k)
        elif r < 0.18:
            out.append("# " + rng.choice(COMMENTS))
        elif r < 0.21:
            out.append("")
        elif r < 0.23:
            k += 1
            out.append(".set C_%d, %d" % (k, rng.randrange(65536)))
        elif r < 0.26:
            out.append("\t.long\t%s" % rng.choice(["0x%X" % rng.getrandbits(32), labels[-1]]))
        elif r < 0.27:
            out.append('\t.ascii\t"%s\\n"' % rng.choice(COMMENTS))
        else:
            j = rng.randrange(7)
            if j == 6:
                ins = "\t%s\t%s" % (rng.choice(["jmp", "call", "jne"]), rng.choice(labels[-50:]))
            elif j < 3:
                ins = "\tmovl\t$%d, %s" % (rng.randrange(1 << 20), rng.choice(regs))
            elif j == 3:
                ins = "\taddl\t%s, %s" % (rng.choice(regs), rng.choice(regs))
            elif j == 4:
                ins = "\tsubl\t$BASE+%d, %s" % (rng.randrange(256), rng.choice(regs))
            else:
                ins = "\tmovl\t$%s, %s" % (rng.choice(labels[-50:]), rng.choice(regs))
            if rng.random() < 0.25:
                ins = "%-32s# %s" % (ins, rng.choice(COMMENTS))
            out.append(ins)
    out.append("\tret")
    with open(path, "w") as f:
        f.write("\n".join(out[:n]) + "\n")
    return min(len(out), n)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("kind", choices=["zqs", "gas"])
    ap.add_argument("lines", type=int)
    ap.add_argument("dest")
    ap.add_argument("--mix", default="normal",
                    choices=["normal", "labels", "includes", "org", "errors"])
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    if a.kind == "zqs":
        total, adr = gen_zqs(a.lines, a.dest, a.mix, a.seed)
        print("%s: %d lines, %d bytes of address space" % (a.dest, total, adr))
    else:
        total = gen_gas(a.lines, a.dest, a.seed)
        print("%s: %d lines" % (a.dest, total))


if __name__ == "__main__":
    main()
