#!/usr/bin/python3
"""Writes the C# calls of the all-exports check: a method per row of calls.py
that calls the export through the document's class Vcxcap with the row's
values, between two stack marks, and hands the answer to support/Support.cs.

usage: make_csharp.py vcxcap.h > Calls.cs
"""
import sys

import calls
from literals import escaped


def cs_bytes(data):
    return "new byte[] { " + ", ".join(str(b) for b in data) + " }"


def argument(kind, position, setup):
    """The expression passed; setup receives the statements it needs first."""
    if isinstance(kind, calls.Int):
        return str(kind.value)
    if isinstance(kind, calls.Double):
        return f"{kind.value!r}"
    if isinstance(kind, calls.Float):
        return f"{kind.value!r}f"
    if isinstance(kind, calls.Number):
        return f"Row.Number({kind.value64}L, {kind.value32})"
    if isinstance(kind, calls.WideAddress):
        return f"row.WideAddress({escaped(kind.text)})"
    if isinstance(kind, (calls.WideText, calls.AnsiText)):
        return escaped(kind.text)
    if isinstance(kind, calls.IntRef):
        setup.append(f"int i{position} = row.IntRef({kind.before}, {kind.after});")
        return f"ref row.Ints[i{position}]"
    if isinstance(kind, calls.Bytes):
        setup.append(f"var b{position} = row.Bytes({kind.size}, {kind.fill}, "
                     f"{cs_bytes(kind.after)});")
        return f"b{position}"
    if isinstance(kind, calls.TextOut):
        setup.append(f"var b{position} = row.Text({cs_bytes(kind.initial)}, "
                     f"{cs_bytes(kind.appended)});")
        return f"b{position}"
    raise SystemExit(f"make_csharp.py: no argument for {kind}")


def method(call):
    setup = [f'var row = new Row("{call.name}");']
    passed = [argument(kind, position, setup)
              for position, (_, kind) in enumerate(call.arguments, 1)]
    body = setup + [
        "int mark = Stub.vcxstub_StackMark();",
        f"int answer = Vcxcap.{call.name}({', '.join(passed)});",
        "int markAfter = Stub.vcxstub_StackMark();",
        f"row.Finish(answer, {call.result}, mark, markAfter);",
    ]
    return (f"    static void Check_{call.name}()\n    {{\n" +
            "".join(f"        {line}\n" for line in body) + "    }\n")


def constants(header_path):
    lines = ['var row = new Row("constants");']
    for name, value in calls.constants(header_path):
        if isinstance(value, int):
            lines.append(f'row.Constant("{name}", Vcxcap.{name}, {value});')
        else:
            lines.append(f'row.Constant("{name}", string.Join(",", Vcxcap.{name}), '
                         f'{escaped(",".join(value))});')
    lines.append("row.Finish(0, 0, 0, 0);")
    return ("    static void Check_constants()\n    {\n" +
            "".join(f"        {line}\n" for line in lines) + "    }\n")


def main(header_path):
    rows = calls.calls(header_path)
    print("// Made by tests/docs/make_csharp.py from vcxcap.h and tests/docs/calls.py.")
    print("public static class Calls\n{")
    print("    public static void All()\n    {")
    for call in rows:
        print(f"        Check_{call.name}();")
    print("        Check_constants();\n    }\n")
    print("\n".join([method(call) for call in rows] + [constants(header_path)]) + "}")


if __name__ == "__main__":
    main(sys.argv[1])
