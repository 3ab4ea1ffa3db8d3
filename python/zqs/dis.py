"""The listing of a memory image, as dis-zqs prints it.

    python3 -m zqs.dis [-arch ARCH] [-defs DFILE] IMAGE

One line per word in address order: byte address, word and the disassembly
("0x00000010  0xE0000028  JMP 0x28"); a word that is no instruction as ".var" with the
disassembler's reason as a comment, and a comment where the text assembles to another
word; a line "; gap: N words, FROM to TO" where the addresses
leave a gap. With a definitions file, a line "NAME:" before the word at each label's address
(a label without a word there says so in a comment), and address operands (jumps, calls,
memory addresses) that equal a label's address written as its name (the first one there).
"""

from __future__ import annotations

import argparse
import os
import signal
import sys
from typing import Iterator, List, Optional

from . import AssemblyError, Program, read_image

__all__ = ["listing", "main"]


def listing(program: Program) -> Iterator[str]:
    """The lines of the listing of a read image (without line ends), made by the library."""
    return iter(program.listing().split("\n")[:-1])  # each line ends with "\n"


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(prog="python3 -m zqs.dis", prefix_chars="-",
                                     description="List a ZQS memory image as dis-zqs does.")
    parser.add_argument("-arch", default=None,
                        help="architecture (default: the one the image names, else zqs24-1)")
    parser.add_argument("-defs", metavar="DFILE", help="definitions file with the labels")
    parser.add_argument("image", metavar="IMAGE", help="C array, IFS, MIF or Verilog memory image")
    args = parser.parse_args(argv)
    try:
        program = read_image(args.image, args.defs, args.arch)
    except (AssemblyError, ValueError) as e:
        print("zqs.dis: %s" % e, file=sys.stderr)
        return 1
    sys.stdout.write(program.listing())
    sys.stdout.flush()
    return 0


def _command() -> int:
    """main() as a command: a reader that goes away early (`| head`) ends it quietly, as
    the signal ends other commands."""
    try:
        return main()
    except BrokenPipeError:
        # Nothing more can be written; nothing is left for the exit to flush either.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        if hasattr(signal, "SIGPIPE"):
            signal.signal(signal.SIGPIPE, signal.SIG_DFL)
            os.kill(os.getpid(), signal.SIGPIPE)
        return 1


if __name__ == "__main__":
    sys.exit(_command())
