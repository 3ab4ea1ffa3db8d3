"""Tests of the Python package zqs over the shared library of the build.

Environment (set by ctest): PYTHONPATH (the package), ZQS_LIBRARY, ZQS_ASM (asm-zqs),
ZQS_EXAMPLES (examples/), ZQS_DIS (dis-zqs, when it is built).
"""

import contextlib
import copy
import gc
import io
import os
import pickle
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest
from unittest import mock

import zqs
import zqs.dis

ASM = os.environ.get("ZQS_ASM")
DIS = os.environ.get("ZQS_DIS")
EXAMPLES = os.environ.get("ZQS_EXAMPLES", "examples")
FORMATS = ("c", "ifs", "mif", "vmem")
LABELS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "dpi", "tests",
                      "labels.zqs")


class ScratchDir(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zqs_py_")
        self.addCleanup(shutil.rmtree, self.dir)

    def write(self, name, text):
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def asm(self, *args):
        """Runs asm-zqs in the scratch directory; returns its standard output."""
        run = subprocess.run([ASM, *args], cwd=self.dir, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        return run.stdout

    def demo_image(self, fmt):
        """examples/demo assembled by asm-zqs: (image, definitions file: C header,
        IFS definitions or SystemVerilog package). A MIF run writes no definitions:
        its labels come from a C header."""
        image, defs = (os.path.join(self.dir, "demo." + e) for e in (fmt, fmt + ".def"))
        source = os.path.join(EXAMPLES, "demo.zqs")
        self.asm("-I", EXAMPLES, "-ofmt", fmt, "-o", image, source)
        self.asm("-I", EXAMPLES, "-ofmt", fmt if fmt in ("ifs", "vmem") else "c",
                 "-o", os.path.join(self.dir, "defs.out"), "-odef", defs, source)
        return image, defs


class SingleWords(unittest.TestCase):
    def test_known_words(self):
        self.assertEqual(zqs.ARCHITECTURES[0], "zqs24-1")
        self.assertEqual(set(zqs.ARCHITECTURES),
                         {"zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"})
        self.assertEqual(zqs.assemble("movl r0, 5"), 0x10000005)
        self.assertEqual(zqs.assemble("nop"), 0)
        self.assertEqual(zqs.disassemble(0x10000005), "MOVL R0, 0x5")
        self.assertEqual(zqs.disassemble(0xE3710040, arch="zqs24-1"), "JBS R3, 0x7, 0x40")
        self.assertEqual(zqs.register_name(12), "tbu_ts0")

    def test_disassembly_assembles_back(self):
        # Property, every architecture: a word's text assembles to a word with the same text.
        rng = random.Random(18)
        for arch in zqs.ARCHITECTURES:
            width = 25 if arch == "zqs16-1" else 32
            checked = 0
            for _ in range(400):
                word = rng.getrandbits(width)
                try:
                    text = zqs.disassemble(word, arch)
                except zqs.AssemblyError:
                    continue
                again = zqs.assemble(text, arch)
                self.assertEqual(zqs.disassemble(again, arch), text, (arch, hex(word)))
                checked += 1
            self.assertGreater(checked, 20, arch)

    def test_failures_carry_the_library_text(self):
        cases = [
            (lambda: zqs.disassemble(0xA0090000),
             "Invalid instruction code 0xA0090000. Bad bit slice 16 to 19."),
            (lambda: zqs.disassemble(0x02000000, "zqs16-1"), "Invalid instruction code "
             "0x2000000. Bits 25 to 31 must be zero for this architecture."),
            (lambda: zqs.register_name(16), 'Register address 0x10 is unused in target '
             'architecture "zqs24-1".'),
        ]
        for call, text in cases:
            with self.assertRaises(zqs.AssemblyError) as cm:
                call()
            self.assertEqual(str(cm.exception), text)
            self.assertEqual(cm.exception.messages, ())

    def test_assembly_error_messages(self):
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.assemble("")
        self.assertEqual(cm.exception.messages, (zqs.Message(
            "ERROR", "", 0, "Assembly result must evaluate to a single 32-bit data word."),))
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.assemble("movl r0, 0x1000000")
        (msg,) = cm.exception.messages
        self.assertEqual((msg.level, msg.line), ("ERROR", 1))
        self.assertTrue(msg.file.startswith("/tmp/asm_zqs_"), msg.file)
        self.assertIn("0x1000000", msg.text)
        self.assertIsInstance(cm.exception, Exception)

    def test_unknown_architecture(self):
        for call in (lambda: zqs.assemble("nop", "zqs99"), lambda: zqs.disassemble(0, "zqs99"),
                     lambda: zqs.register_name(12, "zqs99")):
            with self.assertRaises(ValueError):
                call()

    def test_bad_arguments(self):
        for call, error in [
            (lambda: zqs.assemble(5), TypeError),
            (lambda: zqs.assemble(b"nop"), TypeError),
            (lambda: zqs.assemble("nop", arch=None), TypeError),
            (lambda: zqs.assemble("nop\0movl r0, 1"), ValueError),
            (lambda: zqs.disassemble("0x10"), TypeError),
            (lambda: zqs.disassemble(1.0), TypeError),
            (lambda: zqs.disassemble(-1), ValueError),
            (lambda: zqs.disassemble(1 << 32), ValueError),
            (lambda: zqs.register_name(None), TypeError),
            (lambda: zqs.read_image(3), TypeError),
            (lambda: zqs.read_image(""), ValueError),
            (lambda: zqs.read_image("x.mif", arch=""), ValueError),
            (lambda: zqs.assemble_file("x.zqs", args="-W"), TypeError),
            (lambda: zqs.assemble_file("x.zqs", include_dirs="inc"), TypeError),
            (lambda: zqs.assemble_file("x.zqs", max_addr=-4), ValueError),
        ]:
            with self.assertRaises(error):
                call()

    def test_report_parsing(self):
        report = ("ERROR a:b.zqs:12> Value 1:2> 3\nFATAL ERROR> Missing source file name.\n"
                  "WARNING p.zqs:0> two\nlines\n\nasm-zqs finished with 2 error(s) and "
                  "1 warning(s).\n")
        self.assertEqual(zqs.parse_report(report), (
            zqs.Message("ERROR", "a:b.zqs", 12, "Value 1:2> 3"),
            zqs.Message("FATAL ERROR", "", 0, "Missing source file name."),
            zqs.Message("WARNING", "p.zqs", 0, "two\nlines")))
        self.assertEqual(zqs.parse_report(""), ())
        self.assertEqual(zqs.parse_report("warning: d:x.h:3: the definitions are for 'ROM'\n"),
                         (zqs.Message("WARNING", "d:x.h", 3, "the definitions are for 'ROM'"),))


class LongTexts(ScratchDir):
    def test_texts_longer_than_the_first_buffers_come_back_whole(self):
        for name in ("s" * 1000, "s" * 1030, "s" * 20000):  # up to two growths
            with self.assertRaises(zqs.AssemblyError) as cm:
                zqs.assemble("movl r0, " + name)
            self.assertTrue(str(cm.exception).endswith("symbol '%s' in argument 2." % name.upper()))
            prog = zqs.assemble_file(self.write("l.zqs", "%s: jmp %s\n" % (name, name)))
            self.assertEqual(zqs.listing_text(prog.words[0], labels=prog), "JMP " + name)


class ProgramLifetime(ScratchDir):
    def test_copies_share_the_library_program(self):
        # The library's program goes with the last of the Program and its copies, once.
        lib = mock.Mock(wraps=zqs._lib_handle)
        with mock.patch.object(zqs, "_lib_handle", lib):
            prog = zqs.assemble_file(self.write("c.zqs", "start: jmp start\n"))
            copies = [copy.copy(prog), copy.deepcopy(prog)]
            del prog
            gc.collect()
            self.assertEqual(lib.zqs_program_free.call_count, 0)
            for c in copies:
                self.assertEqual(zqs.listing_text(c.words[0], labels=c), "JMP start")
            self.assertRaises(TypeError, pickle.dumps, c)
            del copies, c
            gc.collect()
            self.assertEqual(lib.zqs_program_free.call_count, 1)


@unittest.skipUnless(ASM, "needs asm-zqs (ZQS_ASM)")
class Programs(ScratchDir):
    def test_assemble_file_matches_the_tool_in_every_format(self):
        prog = zqs.assemble_file(os.path.join(EXAMPLES, "demo.zqs"), include_dirs=[EXAMPLES])
        self.assertEqual(prog.arch, "zqs24-1")
        self.assertEqual(prog.warnings, ())
        self.assertEqual(list(prog.words), sorted(prog.words))
        self.assertEqual(list(prog.labels), ["start", "loop", "greet", "text", "table"])
        self.assertEqual(prog.words[prog.labels["start"]], zqs.assemble("movl r0, 0"))
        with open(os.path.join(EXAMPLES, "demo.zqs")) as f:
            loop_line = [n for n, text in enumerate(f, 1) if text.startswith("loop:")]
        file, line = prog.sources[prog.labels["loop"]]
        self.assertEqual([(os.path.basename(file), line)], [("demo.zqs", n) for n in loop_line])
        for fmt in FORMATS:
            image, defs = self.demo_image(fmt)
            read = zqs.read_image(image, defs)
            expected = prog.words
            if fmt == "c":  # an array has no gaps: zero words fill them
                expected = {a: prog.words.get(a, 0) for a in range(0, max(prog.words) + 4, 4)}
            self.assertEqual(read.words, expected, fmt)
            self.assertEqual({k.lower(): v for k, v in read.labels.items()}, prog.labels, fmt)
            self.assertEqual(set(read.sources.values()), {("", 0)})
            self.assertEqual((prog.diagnostics, read.diagnostics), ((), ()))
            self.assertEqual(zqs.read_image(image).labels, {})

    def test_source_lines(self):
        # Every word's line text as the file has it (CR LF and an include too).
        self.write("inc.zqs", "; inc\r\n  nop ; in the include\r\n")
        src = self.write("s.zqs", 'x: movl r1, 1\n.include "inc.zqs"\n.str "abc"\n')
        prog = zqs.assemble_file(src)
        lines = {f: open(f, newline="").read().split("\n") for f in {f for f, _ in prog.sources.values()}}
        for address, (file, line) in prog.sources.items():
            self.assertEqual(prog.source(address),
                             (file, line, lines[file][line - 1].rstrip("\r")))
        self.assertEqual(prog.source(4).text, "  nop ; in the include")
        self.assertRaises(KeyError, prog.source, 2)
        self.assertRaises(ValueError, prog.source, -1)
        image, _ = self.demo_image("ifs")
        self.assertEqual(zqs.read_image(image).source(0), ("", 0, ""))

    def test_options_arch_and_warnings(self):
        src = self.write("w.zqs", ".cmdline --version -arch zqs16-1\nlbl: jmp lbl\n")
        prog = zqs.assemble_file(src)
        self.assertEqual(prog.arch, "zqs16-1")
        self.assertEqual(prog.warnings, (zqs.Message(
            "WARNING", src, 1, "Option --version is ignored in .cmdline directive."),))
        self.assertIn("asm-zqs finished with 0 error(s) and 1 warning(s).", prog.report)
        [diag] = prog.diagnostics
        self.assertEqual((diag.level, diag.message, diag.file, diag.line, diag.included_from),
                         ("warning", "Option --version is ignored in .cmdline directive.", src,
                          1, ()))
        self.assertRegex(diag.code, r"^ZQS\d{4}$")
        self.assertEqual(prog.words, {0: zqs.assemble("jmp 0", "zqs16-1")})
        big = self.write("big.zqs", ".org 0x100\nnop\n")
        with self.assertRaises(zqs.AssemblyError):
            zqs.assemble_file(big, max_addr=0x10)
        self.assertEqual(list(zqs.assemble_file(big, max_addr=0x100).words), [0x100])
        self.assertEqual(zqs.assemble_file(big, arch="zqs24-3").arch, "zqs24-3")
        self.assertEqual(zqs.assemble_file(big, args=["-arch", "zqs24-2"]).arch, "zqs24-2")
        quoted = self.write("q.zqs", '.cmdline -arch "zqs24-2"\nnop\n')
        self.assertEqual(zqs.assemble_file(quoted).arch, "zqs24-2")
        self.asm("-ofmt", "mif", "-o", "q.mif", quoted)  # its head names zqs24-2
        self.assertEqual(zqs.read_image(os.path.join(self.dir, "q.mif")).arch, "zqs24-2")
        # A file name that starts like an option is still the source.
        dash = self.write("-x.zqs", "nop\n")
        self.addCleanup(os.chdir, os.getcwd())
        os.chdir(self.dir)
        self.assertEqual(zqs.assemble_file(os.path.basename(dash)).words, {0: 0})

    def test_assembly_errors(self):
        src = self.write("bad.zqs", "nop\nmovl r0, 0x1000000\njmp nowhere\n")
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.assemble_file(src)
        msgs = cm.exception.messages
        self.assertTrue(msgs)
        self.assertEqual({(m.level, m.file) for m in msgs}, {("ERROR", src)})
        self.assertEqual([m.line for m in msgs], [2, 3])
        self.assertTrue(str(cm.exception).startswith("ERROR " + src + ":"))
        diags = cm.exception.diagnostics
        self.assertEqual([(d.level, d.message, d.file, d.line) for d in diags],
                         [("error", m.text, src, m.line) for m in msgs])
        self.assertTrue(all(isinstance(d, zqs.Diagnostic) and d.code.startswith("ZQS")
                            for d in diags))
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.assemble_file(os.path.join(self.dir, "missing.zqs"))
        self.assertEqual(cm.exception.messages[0].level, "FATAL ERROR")
        self.assertEqual([(d.level, d.file, d.line, d.column) for d in cm.exception.diagnostics],
                         [("fatal error", None, None, None)])
        with self.assertRaises(ValueError):
            zqs.assemble_file(src, arch="zqs99")

    def test_read_image_errors(self):
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.read_image(os.path.join(self.dir, "missing.c"))
        self.assertIn("missing.c", str(cm.exception))
        junk = self.write("junk.txt", "this is no image\n")
        with self.assertRaises(zqs.AssemblyError) as cm:
            zqs.read_image(junk)
        self.assertIn("junk.txt", str(cm.exception))
        image, _ = self.demo_image("mif")
        with self.assertRaises(ValueError):
            zqs.read_image(image, arch="zqs99")


@unittest.skipUnless(ASM, "needs asm-zqs (ZQS_ASM)")
class Listing(ScratchDir):
    def listing(self, *args):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            self.assertEqual(zqs.dis.main(list(args)), 0)
        return out.getvalue()

    def test_demo_listing(self):
        image, defs = self.demo_image("ifs")
        lines = self.listing("-defs", defs, image).splitlines()
        self.assertEqual(lines[0], "START:")
        self.assertIn("0x00000024  0xE0000000  JMP START", lines)
        self.assertIn("; gap: 2 words, 0x00000038 to 0x0000003C", lines)
        self.assertTrue(lines[-1].startswith("0x00000060  0xFFFFFFFF  .var 0xFFFFFFFF  ; "))

    @unittest.skipUnless(DIS, "needs dis-zqs (ZQS_DIS)")
    def test_same_listing_as_dis_zqs(self):
        # The demo and a zqs16-1 program of corner cases (two labels on a word, labels in a
        # gap and past the end, a word that is no instruction), every format, without
        # labels, with a C header, with IFS definitions.
        for source in (os.path.join(EXAMPLES, "demo.zqs"), LABELS):
            for fmt in FORMATS:
                image = os.path.join(self.dir, "p." + fmt)
                self.asm("-I", EXAMPLES, "-ofmt", fmt, "-o", image, source)
                self.asm("-I", EXAMPLES, "-o", "h.c", "-odef", "p.h", source)
                self.asm("-I", EXAMPLES, "-ofmt", "ifs", "-o", "d.ifs", "-odef", "p.idef", source)
                for defs in (None, "p.h", "p.idef"):
                    args = ["-defs", os.path.join(self.dir, defs)] if defs else []
                    args.append(image)
                    run = subprocess.run([DIS, *args], capture_output=True, text=True)
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertEqual(self.listing(*args).splitlines(), run.stdout.splitlines(),
                                     (source, fmt, defs))

    @unittest.skipUnless(DIS, "needs dis-zqs (ZQS_DIS)")
    def test_random_images_list_as_dis_zqs_does(self):
        # Property, every architecture: random words with a label on each, so that many
        # numeric operands equal a label's address, address operands or not.
        rng = random.Random(1818)
        for arch in zqs.ARCHITECTURES:
            width = 25 if arch == "zqs16-1" else 32
            lines = [".cmdline -arch %s -adrmax 0xFFFF" % arch]
            # Every other word with bits 10..15 clear: small address fields, labels there.
            lines += ["l%d: .var 0x%X" % (i, rng.getrandbits(width) & (0xFFFF03FF if i % 2 else ~0))
                      for i in range(300)]
            self.write("r.zqs", "\n".join(lines) + "\n")
            self.asm("-ofmt", "ifs", "-o", "r.ifs", "-odef", "r.idef", "r.zqs")
            args = ["-defs", os.path.join(self.dir, "r.idef"), os.path.join(self.dir, "r.ifs")]
            run = subprocess.run([DIS, *args], capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            listing = self.listing(*args)
            self.assertEqual(listing.splitlines(), run.stdout.splitlines(), arch)
            named = re.findall(r"(?m)^0x[0-9A-F]{8}  0x[0-9A-F]{8}  [A-Z0-9]+ .*L\d+", listing)
            self.assertGreater(len(named), 0, arch)  # absolute addresses only: a few per image

    @unittest.skipUnless(DIS, "needs dis-zqs (ZQS_DIS)")
    def test_labels_defined_twice(self):
        # A hand-written header: one name twice at one address, one at two addresses.
        image, _ = self.demo_image("c")
        defs = self.write("dup.h", "#define OFFSET_ZQS0_MEM (0)\n" + "".join(
            "#define LABEL_ZQS0_MEM_%s (%d)\n" % d for d in [("A", 2), ("B", 0), ("A", 2), ("B", 5)]))
        dis = subprocess.run([DIS, "-defs", defs, image], capture_output=True, text=True).stdout
        self.assertEqual((dis.count("A:\n"), self.listing("-defs", defs, image)), (2, dis))

    @unittest.skipUnless(hasattr(signal, "SIGPIPE"), "needs SIGPIPE")
    def test_closed_output_ends_quietly(self):
        # As `python3 -m zqs.dis IMAGE | head`: the reader of the pipe is gone.
        image, _ = self.demo_image("mif")
        read_end, write_end = os.pipe()
        os.close(read_end)
        run = subprocess.run([sys.executable, "-m", "zqs.dis", image], stdout=write_end,
                             stderr=subprocess.PIPE)
        os.close(write_end)
        self.assertEqual((run.returncode, run.stderr), (-signal.SIGPIPE, b""))

    def test_unreadable_image(self):
        err = io.StringIO()
        with contextlib.redirect_stderr(err):
            self.assertEqual(zqs.dis.main([os.path.join(self.dir, "none.mif")]), 1)
        self.assertIn("none.mif", err.getvalue())


def resident_kib():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") // 1024


@unittest.skipUnless(os.path.exists("/proc/self/statm"), "needs /proc")
class Memory(unittest.TestCase):
    def test_100000_calls_keep_memory_flat(self):
        words = [0x10000005, 0xE3710040, 0xA0090000, 0]

        def calls(n):
            for i in range(n):
                k = i % 5
                try:
                    if k == 0:
                        zqs.assemble("movl r0, %d" % (i & 0xFFFF))
                    elif k == 1:
                        zqs.assemble("movl r0,")
                    elif k == 2:
                        zqs.register_name(i % 20)
                    else:
                        zqs.disassemble(words[i % 4])
                except zqs.AssemblyError:
                    pass

        calls(10000)
        before = resident_kib()
        calls(100000)
        grown = resident_kib() - before
        self.assertLess(grown, 2048, "resident size grew by %d KiB" % grown)


if __name__ == "__main__":
    unittest.main()
