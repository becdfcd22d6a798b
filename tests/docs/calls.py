"""The calls of the other-language checks: one per export of the header, each
argument with the value the caller passes and what the stub checks it
against, what the stub writes back through it, and the export's answer. The
stub (make_stub.py) and every caller (make_csharp.py, make_pascal.py,
check_python.py) are made from this one table, so they always agree.

The header's constants are one more row of each check: every one declared
with the header's value.

An argument's kind follows from its C type (KINDS). Values are derived from
the export's name and the argument's position: no two arguments share one, so
an argument that reaches the wrong place, width or encoding shows. OVERRIDES
gives the kind of an argument whose C type does not tell what it carries.
"""
import zlib
from dataclasses import dataclass

import header

# Non-ASCII text every string carries: a code page character, a character
# beyond Latin-1, one beyond the 16-bit range (a UTF-16 surrogate pair).
WIDE_SAMPLE = "\u00e9\u2713\U0001d11e"
# Characters of the ANSI code page the checks run in (Windows-1252).
ANSI_SAMPLE = "\u00e9\u20ac"
ANSI_CODE_PAGE = "cp1252"
GUARD = 8  # bytes after every buffer that nothing may write


def _seed(*parts):
    return zlib.crc32(":".join(map(str, parts)).encode())


def _int32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value >= 1 << 31 else value


@dataclass
class Int:  # int
    value: int


@dataclass
class Double:  # double
    value: float


@dataclass
class Float:  # float: a value exact in single precision
    value: float


@dataclass
class Number:  # vcx_intptr carrying a number: one for each pointer width
    value64: int
    value32: int


@dataclass
class WideAddress:  # vcx_intptr carrying the address of a NUL-terminated UTF-16 text
    text: str


@dataclass
class WideText:  # const wchar_t*: NUL-terminated UTF-16
    text: str


@dataclass
class AnsiText:  # const char*: NUL-terminated, in the ANSI code page
    text: str

    def encoded(self):
        return self.text.encode(ANSI_CODE_PAGE)


@dataclass
class IntRef:  # int*: holds before on the way in, after on the way out
    before: int
    after: int


@dataclass
class Bytes:  # void*: size bytes of fill in, the bytes of after out
    size: int
    fill: int
    after: bytes


@dataclass
class TextOut:  # char*: a name list's buffer, initial text in, appended after it
    initial: bytes
    appended: bytes

    def capacity(self):
        return len(self.initial) + len(self.appended) + 1


def _int(name, position):
    return Int(_int32(_seed(name, position)))


def _double(name, position):
    return Double((_seed(name, position) % 10_000_000) / 64 - 50_000)


def _float(name, position):
    return Float((_seed(name, position) % 100_000) / 32 - 1000)


def _number(name, position):
    seed = _seed(name, position)
    return Number(0x7A00_0000_0000_0000 | seed << 16 | 0x5A5A, _int32(seed | 0x4000_0000))


def _wide(name, position):
    return WideText(f"{name} {position} {WIDE_SAMPLE}")


def _ansi(name, position):
    return AnsiText(f"C:\\{name} {position} {ANSI_SAMPLE}.bmp")


def _int_ref(name, position):
    return IntRef(_int32(_seed(name, position)), _int32(_seed(name, position, "out")))


def _bytes(name, position):
    seed = _seed(name, position)
    size = 44 + 4 * position
    return Bytes(size, seed & 0xFF, bytes((seed >> 8) + 7 * i & 0xFF for i in range(size)))


def _text_out(name, position):
    return TextOut(b"list \xe9 ", f"{name} {position} \u00e9\r\n".encode(ANSI_CODE_PAGE))


KINDS = {
    "int": _int,
    "double": _double,
    "float": _float,
    "vcx_intptr": _number,
    "const wchar_t*": _wide,
    "const char*": _ansi,
    "int*": _int_ref,
    "void*": _bytes,
    "char*": _text_out,
}

# (export, argument position from 1) -> kind, where the C type does not tell.
OVERRIDES = {
    # The file modes: the address of the file name; the compressor stays a number.
    ("vcx_Open", 4): lambda name, position: WideAddress(f"C:\\capture {WIDE_SAMPLE}.avi"),
}


@dataclass
class Call:
    name: str
    arguments: list  # [(argument name, kind), ...]
    result: int  # what the stub answers when every argument is right


def constants(header_path):
    """The header's constants, checked by each all-exports check as one more row."""
    return header.constants(header_path)


def calls(header_path):
    """One Call per export of the header, in its order."""
    result = []
    for name, arguments in header.exports(header_path):
        values = []
        for position, (c_type, argument) in enumerate(arguments, 1):
            make = OVERRIDES.get((name, position)) or KINDS.get(c_type)
            if make is None:
                raise SystemExit(f"calls.py: {name} argument {position} ({c_type} {argument}): "
                                 "no kind for this C type; add one to KINDS")
            values.append((argument, make(name, position)))
        result.append(Call(name, values, _int32(_seed(name))))
    return result


if __name__ == "__main__":
    import sys
    # The rows of an all-exports check: one per export and one for the constants.
    print(len(calls(sys.argv[1])) + 1)
