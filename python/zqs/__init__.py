"""ZQS assembler and disassembler for Python, over the C interface of libasm_zqs.

    >>> import zqs
    >>> hex(zqs.assemble("movl r0, 5"))
    '0x10000005'
    >>> zqs.disassemble(0x10000005)
    'MOVL R0, 0x5'
    >>> prog = zqs.assemble_file("examples/demo.zqs", include_dirs=["examples"])
    >>> prog.labels["loop"], len(prog.words)
    (8, 23)

The shared library is found through $ZQS_LIBRARY, next to the package, or in the prefix the
package was installed into (see `zqs._lib.library_candidates`). Failures reported by the
library raise `AssemblyError`; arguments of the wrong type or value raise `TypeError` or
`ValueError`, an unknown architecture `ValueError`.
"""

from __future__ import annotations

import ctypes
import operator
import os
import re
import weakref
from dataclasses import dataclass, field
from typing import Dict, Iterable, List, NamedTuple, Optional, Sequence, Tuple, Union

from . import _lib

__all__ = ["ARCHITECTURES", "AssemblyError", "Diagnostic", "Message", "Program", "Source",
           "assemble",
           "listing_text",
           "assemble_file", "disassemble", "parse_report", "read_image", "register_name"]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_lib_handle = _lib.load()


def _architectures() -> Tuple[str, ...]:
    names = []
    i = 0
    while True:
        name = _lib_handle.zqs_architecture(i)
        if name is None:
            return tuple(names)
        names.append(name.decode())
        i += 1


#: The architectures of the library, in registration order; the first is the default.
ARCHITECTURES: Tuple[str, ...] = _architectures()
DEFAULT_ARCH = "zqs24-1"


class Message(NamedTuple):
    """One message of an assembler report: level ("FATAL ERROR", "ERROR", "WARNING",
    "INFO"), file ("" when it has no position), line (0 then) and text."""
    level: str
    file: str
    line: int
    text: str


@dataclass(frozen=True)
class Diagnostic:
    """One message of an assembly with its place in the source.

    level is "fatal error", "error" or "warning"; code its code ("ZQS0000" when it has
    none); message the text; file the source as the run opened it (relative to the
    working directory when below it); line, column, end_line and end_column the stretch
    it is about (1-based byte columns, end_column inclusive). file and line are None for a
    message about no file, the columns None for one without a column. included_from holds
    the (file, line) of each .include that led to the file, outermost first."""
    level: str
    code: str
    message: str
    file: Optional[str] = None
    line: Optional[int] = None
    column: Optional[int] = None
    end_line: Optional[int] = None
    end_column: Optional[int] = None
    included_from: Tuple[Tuple[str, int], ...] = ()


class AssemblyError(Exception):
    """A failure reported by the library: an assembly with errors, a word that is no
    instruction, an unused register address, an image that cannot be read.

    `str(error)` is the library's text without its final line end; `.messages` holds the
    messages parsed from it (empty when the text is a single failure text without a level,
    such as a disassembler's); `.diagnostics` the messages of a failed `assemble_file`
    with their columns and include chains, as `Program.diagnostics` (empty otherwise)."""

    def __init__(self, text: str, diagnostics: Tuple[Diagnostic, ...] = ()) -> None:
        text = text.rstrip("\n")
        super().__init__(text)
        self.text = text
        self.messages: Tuple[Message, ...] = parse_report(text)
        self.diagnostics: Tuple[Diagnostic, ...] = tuple(diagnostics)


_MSG_LINE = re.compile(r"(FATAL ERROR|ERROR|WARNING|INFO)(?: (.*?):(\d+))?> (.*)")
_READER_WARNING = re.compile(r"warning: (.*):(\d+): (.*)")  # an image reader's
_SUMMARY = re.compile(r"asm-zqs finished with \d+ error\(s\) and \d+ warning\(s\)\.")


def parse_report(report: str) -> Tuple[Message, ...]:
    """Split an assembler report into its messages (the summary line and empty lines are
    dropped); an image reader's "warning: FILE:LINE: text" lines are warnings too. A
    line that starts no message (a message text holding a line end) continues the one
    before it."""
    out: List[Message] = []
    for raw in report.split("\n"):
        m = _MSG_LINE.fullmatch(raw)
        r = None if m else _READER_WARNING.fullmatch(raw)
        if m:
            level, file, line, text = m.groups()
            out.append(Message(level, file or "", int(line or 0), text))
        elif r:
            out.append(Message("WARNING", r.group(1), int(r.group(2)), r.group(3)))
        elif raw and out and not _SUMMARY.fullmatch(raw):
            last = out[-1]
            out[-1] = last._replace(text=last.text + "\n" + raw)
    return tuple(out)


class Source(NamedTuple):
    """The source line of a word: the file as the run named it, the line and its text."""
    file: str
    line: int
    text: str


@dataclass
class Program:
    """An assembled program or a read image.

    `words` maps byte address -> 32-bit word in address order; `labels` name -> address in
    address order; `sources` address -> (file, line) of the word's statement (file "" and
    line 0 for an image); `report` the text the assembler printed (with `-W`, which
    `assemble_file` passes, the warnings and the summary line) and `warnings` its warning
    messages. `diagnostics` holds every message of an `assemble_file` run as a
    `Diagnostic` with its code, columns and include chain, in the order of the run (also
    a file's further syntax errors after its first, which the report leaves out); it is
    empty for `read_image`.

    A Program that the package made holds the library's program for `listing_text`; its
    copies (copy.copy, copy.deepcopy) share it, and it is freed with the last of them. Such
    a Program cannot be pickled."""
    arch: str
    words: Dict[int, int] = field(default_factory=dict)
    labels: Dict[str, int] = field(default_factory=dict)
    sources: Dict[int, Tuple[str, int]] = field(default_factory=dict)
    report: str = ""
    warnings: Tuple[Message, ...] = ()
    diagnostics: Tuple[Diagnostic, ...] = ()

    def listing(self) -> str:
        """The listing of the words and labels exactly as dis-zqs prints it for an image:
        "ADDRESS  WORD  TEXT" lines (TEXT as `listing_text` gives it), label and gap lines.
        Only for a Program of `read_image` or `assemble_file`."""
        handle = getattr(self, "_handle", None)
        if handle is None:
            raise ValueError("listing needs a Program made by read_image or assemble_file")
        return _decode(_lib_handle.zqs_program_listing(handle.ptr))

    def source(self, address: int) -> Source:
        """The source line of the word at a byte address: file and line as in `sources`, and
        the line's text as the run read it, without its line end (for a Program of
        `read_image`: "", 0 and ""). KeyError when the program has no word there. Only for a
        Program of `read_image` or `assemble_file`."""
        handle = getattr(self, "_handle", None)
        if handle is None:
            raise ValueError("source needs a Program made by read_image or assemble_file")
        file, line, text = ctypes.c_char_p(), ctypes.c_uint(), ctypes.c_char_p()
        if _lib_handle.zqs_program_source(handle.ptr, _u32(address, "address"), ctypes.byref(file),
                                          ctypes.byref(line), ctypes.byref(text)) != 0:
            raise KeyError(address)
        return Source(os.fsdecode(file.value or b""), line.value, _decode(text.value))


# --- arguments ---------------------------------------------------------------------------

def _text(value: object, what: str) -> bytes:
    """A str argument as the C string the library takes."""
    if not isinstance(value, str):
        raise TypeError(f"{what} must be str, not {type(value).__name__}")
    data = value.encode("utf-8")
    if b"\0" in data:
        raise ValueError(f"{what} must not contain a NUL character")
    return data


def _path(value: object, what: str) -> bytes:
    """A file name argument (str, bytes or path object) as a C string."""
    try:
        data = os.fsencode(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{what} must be a path (str, bytes or os.PathLike), "
                        f"not {type(value).__name__}") from None
    if b"\0" in data:
        raise ValueError(f"{what} must not contain a NUL character")
    if not data:
        raise ValueError(f"{what} must not be empty")
    return data


def _u32(value: object, what: str) -> int:
    try:
        n = operator.index(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{what} must be an int, not {type(value).__name__}") from None
    if not 0 <= n <= 0xFFFFFFFF:
        raise ValueError(f"{what} must be in 0..0xFFFFFFFF, not {n:#x}")
    return n


def _arch(arch: object) -> bytes:
    return _text(arch, "arch")


def _fail(arch: str, text: str) -> Exception:
    """The exception for a failure text: ValueError for an unknown architecture."""
    if arch not in ARCHITECTURES:
        return ValueError(text)
    return AssemblyError(text)


def _decode(data: Optional[bytes]) -> str:
    return "" if data is None else data.decode("utf-8", "replace")


def _with_buffer(call) -> Tuple[int, str]:
    """Runs call(buffer, size) and, while the text filled the buffer (and so may have been
    cut), runs it again with a larger one: the text comes back whole."""
    size = 1024
    while True:
        buf = ctypes.create_string_buffer(size)
        rc = call(buf, size)
        if len(buf.value) < size - 1:
            return rc, _decode(buf.value)
        size *= 8


# --- single words ------------------------------------------------------------------------

def assemble(line: str, arch: str = DEFAULT_ARCH) -> int:
    """Assemble one line of source into its 32-bit code word.

    Raises AssemblyError (with the parsed `.messages`) when the line has errors or does
    not give exactly one word."""
    c_arch, c_line = _arch(arch), _text(line, "line")
    word = ctypes.c_uint32()
    rc, text = _with_buffer(lambda buf, n: _lib_handle.zqs_assemble_line(
        c_arch, c_line, ctypes.byref(word), buf, n))
    if rc != 0:
        raise _fail(arch, text)
    return word.value


def disassemble(word: int, arch: str = DEFAULT_ARCH) -> str:
    """The assembler text of a code word, e.g. 'MOVL R0, 0x5' (a mnemonic without
    operands keeps its trailing blank: 'NOP ').

    Raises AssemblyError with the disassembler's reason when the word is no instruction."""
    c_arch, w = _arch(arch), _u32(word, "word")
    rc, text = _with_buffer(lambda buf, n: _lib_handle.zqs_disassemble_word(c_arch, w, buf, n))
    if rc != 0:
        raise _fail(arch, text)
    return text


def listing_text(word: int, arch: str = DEFAULT_ARCH, labels: Optional[Program] = None) -> str:
    """What dis-zqs lists for a word after its address and value: the text (no trailing
    blank) with address operands (jumps, calls, memory addresses) that equal a label of
    `labels` (a Program from read_image or assemble_file) written as its name, a note where
    the text assembles to another word, and ".var 0x........  ; REASON" for a word that is
    no instruction."""
    c_arch, w = _arch(arch), _u32(word, "word")
    handle = getattr(getattr(labels, "_handle", None), "ptr", None)
    rc, text = _with_buffer(lambda buf, n: _lib_handle.zqs_listing_text(c_arch, w, handle,
                                                                        buf, n))
    if rc != 0:
        raise _fail(arch, text)
    return text


def register_name(address: int, arch: str = DEFAULT_ARCH) -> str:
    """The name (lower case) of the register at a register address."""
    c_arch, a = _arch(arch), _u32(address, "address")
    rc, text = _with_buffer(lambda buf, n: _lib_handle.zqs_register_name(c_arch, a, buf, n))
    if rc != 0:
        raise _fail(arch, text)
    return text


# --- whole programs ----------------------------------------------------------------------

def _program(handle: ctypes.c_void_p) -> Program:
    lib = _lib_handle
    prog = Program(arch=_decode(lib.zqs_program_arch(handle)),
                   report=_decode(lib.zqs_program_report(handle)))
    address, word = ctypes.c_uint32(), ctypes.c_uint32()
    file, line = ctypes.c_char_p(), ctypes.c_uint()
    for i in range(lib.zqs_program_word_count(handle)):
        lib.zqs_program_word(handle, i, ctypes.byref(address), ctypes.byref(word),
                             ctypes.byref(file), ctypes.byref(line))
        prog.words[address.value] = word.value
        prog.sources[address.value] = (os.fsdecode(file.value or b""), line.value)
    name = ctypes.c_char_p()
    for i in range(lib.zqs_program_label_count(handle)):
        lib.zqs_program_label(handle, i, ctypes.byref(name), ctypes.byref(address))
        prog.labels[_decode(name.value)] = address.value
    prog.warnings = tuple(m for m in parse_report(prog.report) if m.level == "WARNING")
    prog.diagnostics = _diagnostics(handle)
    return prog


_LEVELS = ("fatal error", "error", "warning", "info")


def _diagnostics(handle: ctypes.c_void_p) -> Tuple[Diagnostic, ...]:
    """The messages the library kept for a zqs_program."""
    lib = _lib_handle
    level = ctypes.c_int()
    code, text, file = ctypes.c_char_p(), ctypes.c_char_p(), ctypes.c_char_p()
    nums = [ctypes.c_uint() for _ in range(4)]  # line, column, end_line, end_column
    site_file, site_line = ctypes.c_char_p(), ctypes.c_uint()
    out = []
    for i in range(lib.zqs_program_message_count(handle)):
        lib.zqs_program_message(handle, i, ctypes.byref(level), ctypes.byref(code),
                                ctypes.byref(text), ctypes.byref(file),
                                *(ctypes.byref(n) for n in nums))
        sites = []
        for k in range(lib.zqs_program_message_include_count(handle, i)):
            lib.zqs_program_message_include(handle, i, k, ctypes.byref(site_file),
                                            ctypes.byref(site_line))
            sites.append((os.fsdecode(site_file.value or b""), site_line.value))
        line, column, end_line, end_column = (n.value or None for n in nums)
        out.append(Diagnostic(_LEVELS[level.value] if 0 <= level.value < 4 else "error",
                              _decode(code.value), _decode(text.value),
                              os.fsdecode(file.value) if file.value else None,
                              line, column, end_line, end_column, tuple(sites)))
    return tuple(out)


class _Handle:
    """Owns one zqs_program of the library and frees it when the last Program that holds
    it is gone. Copies of a Program (copy.copy, copy.deepcopy) share it: the library's
    program never changes, so there is nothing to copy."""

    __slots__ = ("ptr", "__weakref__")

    def __init__(self, ptr: ctypes.c_void_p) -> None:
        self.ptr = ptr
        weakref.finalize(self, _lib_handle.zqs_program_free, ptr)

    def __copy__(self) -> "_Handle":
        return self

    def __deepcopy__(self, memo: dict) -> "_Handle":
        return self

    def __reduce__(self):
        raise TypeError("a zqs Program holds a library object and cannot be pickled")


def _run(call, given_arch: Optional[str]) -> Program:
    """Runs a library call that makes a zqs_program; raises on failure, frees always.
    The failure is a ValueError when the caller's architecture is unknown."""
    ptr = ctypes.c_void_p()
    rc = call(ctypes.byref(ptr))
    handle = _Handle(ptr)
    if rc != 0:
        report = _decode(_lib_handle.zqs_program_report(ptr)) if ptr else ""
        error = _fail(DEFAULT_ARCH if given_arch is None else given_arch, report.rstrip("\n"))
        if isinstance(error, AssemblyError) and ptr:
            error.diagnostics = _diagnostics(ptr)
        raise error
    prog = _program(ptr)
    # The library's copy of the labels serves listing_text; it lives as long as the
    # Program or any copy of it.
    prog._handle = handle
    return prog


def assemble_file(path: PathLike, arch: Optional[str] = None,
                  include_dirs: Iterable[PathLike] = (), max_addr: Optional[int] = None,
                  args: Sequence[str] = ()) -> Program:
    """Assemble a source file as `asm-zqs -W [args] [-arch ARCH] [-I DIR]... [-adrmax N]
    PATH` would, without writing the memory image (`-odef`, `-log`, `--xmldump` in `args`
    write their files as on the command line; `.cmdline` applies).

    `Program.arch` is the architecture the run used: `arch`, else an `-arch` of `args` or of
    the source's `.cmdline`, else the default. Raises AssemblyError with the report's
    messages when the run has errors."""
    if isinstance(args, (str, bytes)):
        raise TypeError("args must be a sequence of str, not a single string")
    argv = [b"-W"] + [_text(a, "args item") for a in args]
    if arch is not None:
        argv += [b"-arch", _arch(arch)]
    if isinstance(include_dirs, (str, bytes, os.PathLike)):
        raise TypeError("include_dirs must be a sequence of paths, not a single path")
    for d in include_dirs:
        argv += [b"-I", _path(d, "include_dirs item")]
    if max_addr is not None:
        argv += [b"-adrmax", b"%d" % _u32(max_addr, "max_addr")]
    source = _path(path, "path")
    # A name starting with '-' would be read as an option.
    argv.append(b"./" + source if source.startswith(b"-") else source)
    c_args = (ctypes.c_char_p * len(argv))(*argv)
    return _run(lambda out: _lib_handle.zqs_assemble_file(len(argv), c_args, out), arch)


def read_image(path: PathLike, defs: Optional[PathLike] = None,
               arch: Optional[str] = None) -> Program:
    """Read a memory image (C array, IFS, MIF or Verilog memory file, recognised from the
    content) and, with `defs`, the label names of a definitions file (C header, IFS
    definitions or SystemVerilog package).

    The words are checked against `arch`; None (the default) takes the architecture the
    image's head names, else the default, as dis-zqs does without -arch. `Program.arch` is
    the architecture used. Raises AssemblyError with the reader's message (file and line)
    when the image or the definitions cannot be read."""
    c_arch = None if arch is None else _arch(arch)
    c_path = _path(path, "path")
    c_defs = None if defs is None else _path(defs, "defs")
    return _run(lambda out: _lib_handle.zqs_read_image(c_path, c_defs, c_arch, out), arch)
