#!/usr/bin/python3
"""Writes the C source of a stub vcxcap library: every export of the header,
defined against the header itself, checks each argument against its row of
calls.py (support/stub_support.c prints what differs), writes back what the
row says through the pointers it was given, and answers the row's result.
Built as a Windows DLL for the C# and Delphi checks, as a Linux shared
library for the Python one.

usage: make_stub.py vcxcap.h > stub.c
"""
import sys

import calls
from literals import escaped


def c_wide(text):
    return "L" + escaped(text)


def c_bytes(data):
    """A C string literal of exactly these bytes (octal escapes beyond ASCII)."""
    return '"' + "".join(chr(b) if 32 <= b < 127 and chr(b) not in '"\\?' else f"\\{b:03o}"
                         for b in data) + '"'


def check(kind, position, name, argument):
    where = f"&call, {position}, \"{name}\", {argument}"
    if isinstance(kind, calls.Int):
        return f"stub_int({where}, {kind.value});"
    if isinstance(kind, calls.Double):
        return f"stub_double({where}, {kind.value!r});"
    if isinstance(kind, calls.Float):
        return f"stub_float({where}, {kind.value!r}f);"
    if isinstance(kind, calls.Number):
        return f"stub_number({where}, VCXSTUB_NUMBER({kind.value64}LL, {kind.value32}));"
    if isinstance(kind, calls.WideAddress):
        return (f"stub_wide_text(&call, {position}, \"{name}\", (const wchar_t*){argument}, "
                f"{c_wide(kind.text)});")
    if isinstance(kind, calls.WideText):
        return f"stub_wide_text({where}, {c_wide(kind.text)});"
    if isinstance(kind, calls.AnsiText):
        return f"stub_ansi_text({where}, {c_wide(kind.text)}, {c_bytes(kind.encoded())});"
    if isinstance(kind, calls.IntRef):
        return f"stub_int_ref({where}, {kind.before});"
    if isinstance(kind, calls.Bytes):
        return f"stub_bytes({where}, {kind.size}, {kind.fill});"
    if isinstance(kind, calls.TextOut):
        return f"stub_text_out({where}, {c_bytes(kind.initial)}, {kind.capacity()});"
    raise SystemExit(f"make_stub.py: no check for {kind}")


def write_back(kind, argument):
    if isinstance(kind, calls.IntRef):
        return f"stub_set_int({argument}, {kind.after});"
    if isinstance(kind, calls.Bytes):
        return f"stub_set_bytes({argument}, {c_bytes(kind.after)}, {kind.size});"
    if isinstance(kind, calls.TextOut):
        return f"stub_append_text({argument}, {c_bytes(kind.appended)});"
    return None


def function(call, c_types):
    parameters = ", ".join(f"{c_type} a{i}" for i, c_type in enumerate(c_types, 1)) or "void"
    lines = [f"int VCXAPI {call.name}({parameters}) {{",
             f"    StubCall call = {{\"{call.name}\", 0}};"]
    for position, (name, kind) in enumerate(call.arguments, 1):
        lines.append("    " + check(kind, position, name, f"a{position}"))
    lines.append("    if (call.failed) {")
    lines.append("        return VCXSTUB_MISMATCH;")
    lines.append("    }")
    for position, (_, kind) in enumerate(call.arguments, 1):
        action = write_back(kind, f"a{position}")
        if action:
            lines.append("    " + action)
    lines.append(f"    return {call.result};")
    lines.append("}")
    return "\n".join(lines)


def main(header_path):
    types = {name: [c_type for c_type, _ in arguments]
             for name, arguments in calls.header.exports(header_path)}
    print("/* Made by tests/docs/make_stub.py from vcxcap.h and tests/docs/calls.py. */")
    print('#include "stub_support.h"\n')
    for call in calls.calls(header_path):
        print(function(call, types[call.name]) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
