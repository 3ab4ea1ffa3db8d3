#!/usr/bin/env python3
"""dis-zqs --filter, through examples/gtkwave-zqs-filter, driven as a waveform viewer
drives it: a value sent, its answer read (an answer kept in a buffer fails by the
timeout), only then the next value. Usage: filter_pipe.py DIS-ZQS ASM-ZQS"""
import os, select, subprocess, sys, tempfile

dis, asm = (os.path.abspath(a) for a in sys.argv[1:3])
wrapper = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../examples/gtkwave-zqs-filter")
CASES = [("10000005", "MOVL R0, 0x5"), ("0xe0000004", "JMP LOOP"), ("xxxxxxxx", "xxxxxxxx"),
         ("0x1z2Zzzzz", "0x1z2Zzzzz"), ("100000000", "100000000"), ("-5", "-5"), ("", ""),
         ("A0090000", ".var 0xA0090000  ; Invalid instruction code 0xA0090000. Bad bit slice 16 to 19.")]
with tempfile.TemporaryDirectory() as work:
    with open(os.path.join(work, "p.zqs"), "w") as f:
        f.write("start: nop\nloop:  jmp loop\n")
    subprocess.run([asm, "-ofmt", "vmem", "-odef", "p.svh", "p.zqs"], cwd=work, check=True)
    env = dict(os.environ, ZQS_DEFS=os.path.join(work, "p.svh"), PATH=os.path.dirname(dis) + ":" + os.environ["PATH"])
    proc = subprocess.Popen([wrapper], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    for sent, want in CASES:
        proc.stdin.write(sent + "\n")
        proc.stdin.flush()
        got = proc.stdout.readline() if select.select([proc.stdout], [], [], 20)[0] else "(no answer in 20 s)"
        if got != want + "\n":
            sys.exit("FAIL: %r gave %r, not %r" % (sent, got, want))
    proc.stdin.close()
    if proc.wait(20) != 0 or proc.stdout.read():
        sys.exit("FAIL: status %d or output after the last answer" % proc.returncode)
print("%d values filtered one by one" % len(CASES))
