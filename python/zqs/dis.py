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
import sys
from typing import Iterator, List, Optional

from . import AssemblyError, Program, listing_text, read_image

__all__ = ["listing", "main"]


def _hex8(value: int) -> str:
    return "0x%08X" % value


def _label_line(name: str, address: int, at_word: bool) -> str:
    return name + ":" if at_word else "%s:  ; %s, no word there" % (name, _hex8(address))


def listing(program: Program) -> Iterator[str]:
    """The lines of the listing of a read image (without line ends)."""
    labels = sorted(program.labels.items(), key=lambda item: item[1])  # stable: file order
    next_label = 0
    last: Optional[int] = None
    for address, word in program.words.items():
        if last is not None and address > last + 4:
            start = last + 4
            yield "; gap: %d words, %s to %s" % ((address - start) // 4, _hex8(start),
                                                  _hex8(address - 4))
        last = address
        while next_label < len(labels) and labels[next_label][1] <= address:
            name, at = labels[next_label]
            yield _label_line(name, at, at == address)
            next_label += 1
        text = listing_text(word, program.arch, program)
        yield "%s  %s  %s" % (_hex8(address), _hex8(word), text)
    for name, at in labels[next_label:]:
        yield _label_line(name, at, False)


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(prog="python3 -m zqs.dis", prefix_chars="-",
                                     description="List a ZQS memory image as dis-zqs does.")
    parser.add_argument("-arch", default=None,
                        help="architecture (default: the one the image names, else zqs24-1)")
    parser.add_argument("-defs", metavar="DFILE", help="definitions file with the labels")
    parser.add_argument("image", metavar="IMAGE", help="C array, IFS or MIF image")
    args = parser.parse_args(argv)
    try:
        program = read_image(args.image, args.defs, args.arch)
    except (AssemblyError, ValueError) as e:
        print("zqs.dis: %s" % e, file=sys.stderr)
        return 1
    out = sys.stdout
    for line in listing(program):
        out.write(line + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
