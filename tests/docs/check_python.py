#!/usr/bin/python3
"""Runs the Python declarations of docs/usage-from-other-languages.md as
written, with ctypes, against the Linux build of the stub library (a file
named vcxcap.dll in a folder of LD_LIBRARY_PATH, which the document's
ctypes.CDLL("vcxcap.dll") then loads), and calls every export of the header
as calls.py says: each argument must reach the stub as it expects and every
out-value must come back. Linux has no calling-convention difference to show
and no ANSI code page; the code page stand-in is calls.ANSI_CODE_PAGE.

usage: LD_LIBRARY_PATH=STUB_DIR check_python.py vcxcap.h usage-from-other-languages.md
"""
import ctypes
import sys

import calls
import usage_doc


def argument(kind, keep):
    """The value passed for kind; keep holds what must outlive the call and
    the checks to run after it, as (description, got(), expected)."""
    if isinstance(kind, (calls.Int, calls.Double, calls.Float)):
        return kind.value
    if isinstance(kind, calls.Number):
        return kind.value64 if ctypes.sizeof(ctypes.c_void_p) == 8 else kind.value32
    if isinstance(kind, calls.WideAddress):
        text = ctypes.create_unicode_buffer(kind.text)
        keep.append(text)
        return ctypes.addressof(text)
    if isinstance(kind, calls.WideText):
        return kind.text
    if isinstance(kind, calls.AnsiText):
        return kind.encoded()
    if isinstance(kind, calls.IntRef):
        value = ctypes.c_int(kind.before)
        keep.append(("the int written back", lambda: value.value, kind.after))
        return ctypes.byref(value)
    if isinstance(kind, calls.Bytes):
        buffer = ctypes.create_string_buffer(bytes([kind.fill]) * (kind.size + calls.GUARD),
                                             kind.size + calls.GUARD)
        keep.append(("the buffer written back", lambda: buffer.raw,
                     kind.after + bytes([kind.fill]) * calls.GUARD))
        return buffer
    if isinstance(kind, calls.TextOut):
        size = kind.capacity() + calls.GUARD
        buffer = ctypes.create_string_buffer(kind.initial.ljust(size, b"\xee"), size)
        buffer[len(kind.initial)] = b"\0"
        expected = kind.initial + kind.appended + b"\0"
        keep.append(("the text written back", lambda: buffer.raw,
                     expected.ljust(size, b"\xee")))
        return buffer
    raise SystemExit(f"check_python.py: no argument for {kind}")


def check(vcx, call):
    """The problems of one call, none when it went right."""
    function = getattr(vcx, call.name, None)
    if function is None:
        return ["not in the library the declarations loaded"]
    if function.argtypes is None or function.restype is not ctypes.c_int:
        return ["not declared (no argtypes, or a result other than c_int)"]
    keep = []
    try:
        answer = function(*(argument(kind, keep) for _, kind in call.arguments))
    except (ctypes.ArgumentError, TypeError) as error:
        return [f"the call was refused: {error}"]
    problems = [] if answer == call.result else [f"answered {answer}, expected {call.result}"]
    for item in keep:
        if isinstance(item, tuple) and item[1]() != item[2]:
            problems.append(f"{item[0]} is {item[1]()!r}, expected {item[2]!r}")
    return problems


def check_constants(namespace, header_path):
    problems = []
    for name, value in calls.constants(header_path):
        if namespace.get(name) != value:
            problems.append(f"{name} is {namespace.get(name)!r}, expected {value!r}")
    return problems


def main(header_path, document):
    namespace = {}
    rows = calls.calls(header_path)
    try:
        exec(compile(usage_doc.blocks(document, "python")[0], f"{document} (Python)", "exec"),
             namespace)
    except Exception as error:  # the declarations themselves do not run
        print(f"FAIL the declarations: {type(error).__name__}: {error}")
        print(f"python-linux: 0 passed, {len(rows) + 1} failed")
        return 1
    passed = failed = 0
    for name, problems in [(call.name, check(namespace["vcx"], call)) for call in rows] + [
            ("constants", check_constants(namespace, header_path))]:
        for problem in problems:
            print(f"FAIL {name}: {problem}")
        passed += not problems
        failed += bool(problems)
    print(f"python-linux: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
