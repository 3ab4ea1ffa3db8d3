"""Finding and loading the shared library, and the ctypes prototypes of its C interface."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import sys
from pathlib import Path
from typing import List, Optional

__all__ = ["Program_p", "load", "library_candidates"]

Program_p = ctypes.c_void_p  # zqs_program*, opaque
_u32 = ctypes.c_uint32
_u32_p = ctypes.POINTER(ctypes.c_uint32)
_str_p = ctypes.POINTER(ctypes.c_char_p)

# name -> (result type, argument types) of every function the package binds.
_PROTOTYPES = {
    "zqs_assemble_line": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_char_p, _u32_p,
                                         ctypes.c_char_p, ctypes.c_size_t]),
    "zqs_disassemble_word": (ctypes.c_int, [ctypes.c_char_p, _u32, ctypes.c_char_p,
                                            ctypes.c_size_t]),
    "zqs_register_name": (ctypes.c_int, [ctypes.c_char_p, _u32, ctypes.c_char_p,
                                         ctypes.c_size_t]),
    "zqs_architecture": (ctypes.c_char_p, [ctypes.c_size_t]),
    "zqs_assemble_file": (ctypes.c_int, [ctypes.c_int, _str_p, ctypes.POINTER(Program_p)]),
    "zqs_read_image": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_char_p,
                                      ctypes.POINTER(Program_p)]),
    "zqs_program_word_count": (ctypes.c_size_t, [Program_p]),
    "zqs_program_word": (ctypes.c_int, [Program_p, ctypes.c_size_t, _u32_p, _u32_p, _str_p,
                                        ctypes.POINTER(ctypes.c_uint)]),
    "zqs_program_source": (ctypes.c_int, [Program_p, _u32, _str_p, ctypes.POINTER(ctypes.c_uint),
                                          _str_p]),
    "zqs_program_label_count": (ctypes.c_size_t, [Program_p]),
    "zqs_program_label": (ctypes.c_int, [Program_p, ctypes.c_size_t, _str_p, _u32_p]),
    "zqs_program_report": (ctypes.c_char_p, [Program_p]),
    "zqs_program_message_count": (ctypes.c_size_t, [Program_p]),
    "zqs_program_message": (ctypes.c_int, [Program_p, ctypes.c_size_t,
                                           ctypes.POINTER(ctypes.c_int), _str_p, _str_p, _str_p]
                            + [ctypes.POINTER(ctypes.c_uint)] * 4),
    "zqs_program_message_include_count": (ctypes.c_size_t, [Program_p, ctypes.c_size_t]),
    "zqs_program_message_include": (ctypes.c_int, [Program_p, ctypes.c_size_t, ctypes.c_size_t,
                                                   _str_p, ctypes.POINTER(ctypes.c_uint)]),
    "zqs_program_arch": (ctypes.c_char_p, [Program_p]),
    "zqs_program_listing": (ctypes.c_char_p, [Program_p]),
    "zqs_listing_text": (ctypes.c_int, [ctypes.c_char_p, _u32, Program_p, ctypes.c_char_p,
                                        ctypes.c_size_t]),
    "zqs_program_free": (None, [Program_p]),
}


def _file_names() -> List[str]:
    """The names the library has on this platform, the versioned one first."""
    if sys.platform == "win32" or sys.platform == "cygwin":
        return ["asm_zqs.dll", "libasm_zqs.dll"]
    if sys.platform == "darwin":
        return ["libasm_zqs.0.dylib", "libasm_zqs.dylib"]
    return ["libasm_zqs.so.0", "libasm_zqs.so"]


def _install_libdirs(package_dir: Path) -> List[Path]:
    """Library directories of the prefix this package was installed into.

    `cmake --install` writes `_install.py` with the way from the package's directory up to
    the prefix and the prefix's library directory, so a moved prefix still finds its library.
    """
    try:
        from . import _install  # type: ignore[attr-defined]
    except ImportError:
        return []
    prefix = (package_dir / _install.TO_PREFIX).resolve()
    return [prefix / d for d in _install.LIBDIRS]


def library_candidates() -> List[Path]:
    """Where the library is looked for, in order: $ZQS_LIBRARY (a file), next to the
    package, the package's install prefix. The system's search path comes after these."""
    found: List[Path] = []
    env = os.environ.get("ZQS_LIBRARY")
    if env:
        found.append(Path(env))
    package_dir = Path(__file__).resolve().parent
    for d in [package_dir] + _install_libdirs(package_dir):
        found.extend(d / n for n in _file_names())
    return found


def _bind(lib: ctypes.CDLL) -> ctypes.CDLL:
    for name, (restype, argtypes) in _PROTOTYPES.items():
        fn = getattr(lib, name)
        fn.restype = restype
        fn.argtypes = argtypes
    return lib


def load() -> ctypes.CDLL:
    """Load the shared library with every function of the C interface bound.

    Raises OSError naming the places searched when there is none.
    """
    env = os.environ.get("ZQS_LIBRARY")
    tried = library_candidates()
    for path in tried:
        # An explicit $ZQS_LIBRARY that does not load is an error, not a reason to go on.
        if path.is_file() or (env and path == Path(env)):
            return _bind(ctypes.CDLL(str(path)))
    system: Optional[str] = ctypes.util.find_library("asm_zqs")
    if system:
        return _bind(ctypes.CDLL(system))
    raise OSError("zqs: shared library libasm_zqs not found; looked at "
                  + ", ".join(str(p) for p in tried)
                  + " and the system's library path; set ZQS_LIBRARY to its file name")
