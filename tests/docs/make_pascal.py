#!/usr/bin/python3
"""Writes the Delphi program of the all-exports check: a procedure per row of
calls.py that calls the export through the document's unit vcxcap with the
row's values, between two stack marks, and hands the answer to
support/checksupport.pas. Compiled by Free Pascal in Delphi mode.

usage: make_pascal.py vcxcap.h > exportcheck.pas
"""
import sys

import calls


def pascal_string(text):
    """A Pascal literal of text: quoted ASCII runs, #$XXXX for every other
    UTF-16 unit (a literal with units above $FF is a UnicodeString)."""
    parts, run = [], ""
    for unit in _units(text):
        if 0x20 <= unit < 0x7F:
            run += chr(unit).replace("'", "''")
            continue
        if run:
            parts.append(f"'{run}'")
            run = ""
        parts.append(f"#${unit:04X}")
    if run:
        parts.append(f"'{run}'")
    return "".join(parts) or "''"


def _units(text):
    data = text.encode("utf-16-le")
    return [data[i] | data[i + 1] << 8 for i in range(0, len(data), 2)]


def pascal_bytes(data):
    return "[" + ", ".join(str(b) for b in data) + "]"


def argument(kind, position, setup):
    """The expression passed; setup receives the statements it needs first."""
    if isinstance(kind, calls.Int):
        return str(kind.value)
    if isinstance(kind, (calls.Double, calls.Float)):
        return f"{kind.value!r}"
    if isinstance(kind, calls.Number):
        return f"Number({kind.value64}, {kind.value32})"
    if isinstance(kind, calls.WideAddress):
        return f"Row.WideAddress({pascal_string(kind.text)})"
    if isinstance(kind, calls.WideText):
        return f"Row.Wide({pascal_string(kind.text)})"
    if isinstance(kind, calls.AnsiText):
        return f"Row.Ansi({pascal_string(kind.text)})"
    if isinstance(kind, calls.IntRef):
        setup.append(f"I{position} := Row.IntRef({kind.before}, {kind.after});")
        return f"Row.Ints[I{position}]"
    if isinstance(kind, calls.Bytes):
        return f"Row.Bytes({kind.size}, {kind.fill}, {pascal_bytes(kind.after)})"
    if isinstance(kind, calls.TextOut):
        return f"Row.Text({pascal_bytes(kind.initial)}, {pascal_bytes(kind.appended)})"
    raise SystemExit(f"make_pascal.py: no argument for {kind}")


def procedure(call):
    setup = [f"Row := TRow.Create('{call.name}');"]
    passed = [argument(kind, position, setup)
              for position, (_, kind) in enumerate(call.arguments, 1)]
    indices = [f"I{p}" for p, (_, k) in enumerate(call.arguments, 1) if isinstance(k, calls.IntRef)]
    variables = "  Row: TRow;\n  Mark, Answer, MarkAfter: Integer;\n"
    if indices:
        variables += f"  {', '.join(indices)}: Integer;\n"
    invocation = call.name + (f"({', '.join(passed)})" if passed else "")
    body = setup + [
        "Mark := vcxstub_StackMark;",
        f"Answer := {invocation};",
        "MarkAfter := vcxstub_StackMark;",
        f"Row.Finish(Answer, {call.result}, Mark, MarkAfter);",
    ]
    return (f"procedure Check_{call.name};\nvar\n{variables}begin\n" +
            "".join(f"  {line}\n" for line in body) + "end;\n")


def constants(header_path):
    lines = ["Row := TRow.Create('constants');"]
    for name, value in calls.constants(header_path):
        if isinstance(value, int):
            lines.append(f"Row.Constant('{name}', {name}, {value});")
        else:
            lines.append(f"Row.Constant('{name}', Joined({name}), "
                         f"{pascal_string(','.join(value))});")
    lines.append("Row.Finish(0, 0, 0, 0);")
    return ("procedure Check_constants;\nvar\n  Row: TRow;\nbegin\n" +
            "".join(f"  {line}\n" for line in lines) + "end;\n")


def main(header_path):
    rows = calls.calls(header_path)
    print("{ Made by tests/docs/make_pascal.py from vcxcap.h and tests/docs/calls.py. }")
    print("program exportcheck;\n\n{$APPTYPE CONSOLE}\n\nuses vcxcap, checksupport;\n")
    print("\n".join([procedure(call) for call in rows] + [constants(header_path)]))
    print("begin")
    for call in rows:
        print(f"  Check_{call.name};")
    print("  Check_constants;")
    print("  Summary(ParamStr(1));\nend.")


if __name__ == "__main__":
    main(sys.argv[1])
