#!/usr/bin/python3
"""Checks that the declarations of docs/usage-from-other-languages.md match the
public header: every export of the .def file declared once in C#, Python
ctypes and Delphi, with the header's number of arguments and, argument by
argument, the type that has the C type's width and meaning in that language;
cdecl everywhere. Also checks that docs/api.md names every export.

usage: check-usage-doc.py vcxcap.h vcxcap.def usage-from-other-languages.md api.md
"""
import re
import sys

from header import exports, split_arguments, type_of

# C type in the header -> the types that stand for it in each language.
TYPES = {
    "int": ({"int"}, {"c_int"}, {"Integer"}),
    "double": ({"double"}, {"c_double"}, {"Double"}),
    "float": ({"float"}, {"c_float"}, {"Single"}),
    "vcx_intptr": ({"IntPtr"}, {"c_ssize_t"}, {"NativeInt"}),
    "char*": ({"IntPtr", "byte[]"}, {"c_char_p", "c_void_p"}, {"PAnsiChar"}),
    "const char*": ({"[MarshalAs(UnmanagedType.LPStr)] string"}, {"c_char_p"}, {"PAnsiChar"}),
    "const wchar_t*": ({"[MarshalAs(UnmanagedType.LPWStr)] string"}, {"c_wchar_p"}, {"PWideChar"}),
    "void*": ({"byte[]", "IntPtr"}, {"c_void_p"}, {"Pointer"}),
    "int*": ({"ref int"}, {"POINTER(c_int)"}, {"var Integer"}),
}
LANGUAGES = ("C#", "Python", "Delphi")


def header_exports(path):
    return {name: [c_type for c_type, _ in arguments] for name, arguments in exports(path)}


def csharp(text):
    for line in text.splitlines():
        match = re.search(r"static extern int (vcx_\w+)\((.*)\);", line)
        if match:
            if "CallingConvention = CallingConvention.Cdecl" not in line:
                yield match.group(1), None, "not cdecl"
            yield match.group(1), [type_of(a) for a in split_arguments(match.group(2))], None


def python(text):
    if "ctypes.CDLL(" not in text or "ctypes.WinDLL(" in text:
        yield "(library)", None, "not loaded with ctypes.CDLL"
    for name, arguments in re.findall(r'declare\("(vcx_\w+)"(.*?)\)\n', text, re.S):
        yield name, split_arguments(arguments.lstrip(",")), None


def delphi(text):
    pattern = r"function (vcx_\w+)(?:\((.*?)\))?: Integer; (\w+); external VcxcapDll;"
    for name, arguments, convention in re.findall(pattern, text):
        if convention != "cdecl":
            yield name, None, "not cdecl"
        types = []
        for group in filter(None, (g.strip() for g in arguments.split(";"))):
            names, kind = group.rsplit(":", 1)
            prefix = "var " if names.startswith("var ") else ""
            types += [prefix + kind.strip()] * len(names.replace("var ", "").split(","))
        yield name, types, None


def main(header, definition, usage, api):
    exports = header_exports(header)
    listed = re.findall(r"^\s+(vcx_\w+)", open(definition).read(), re.M)
    problems = []
    if sorted(listed) != sorted(exports):
        problems.append(f"the header declares {sorted(exports)}, the .def lists {sorted(listed)}")
    text = open(usage, encoding="utf-8").read()
    for index, (language, declarations) in enumerate(
            zip(LANGUAGES, (csharp(text), python(text), delphi(text)))):
        seen = {}
        for name, types, problem in declarations:
            if problem:
                problems.append(f"{language}: {name}: {problem}")
                continue
            if name in seen:
                problems.append(f"{language}: {name} declared twice")
            seen[name] = types
        for name, c_types in exports.items():
            if name not in seen:
                problems.append(f"{language}: {name} not declared")
                continue
            if len(seen[name]) != len(c_types):
                problems.append(f"{language}: {name} takes {len(seen[name])} arguments, "
                                f"the header {len(c_types)}")
                continue
            for position, (c_type, declared) in enumerate(zip(c_types, seen[name])):
                if declared not in TYPES[c_type][index]:
                    problems.append(f"{language}: {name} argument {position + 1} is {declared}, "
                                    f"for C {c_type} one of {sorted(TYPES[c_type][index])}")
        for name in seen.keys() - exports.keys():
            problems.append(f"{language}: {name} is no export")
    reference = open(api, encoding="utf-8").read()
    problems += [f"api.md: {name} not described" for name in exports
                 if f"`int {name}(" not in reference and f"int {name}(" not in reference]
    for problem in problems:
        print(f"check-usage-doc: {problem}", file=sys.stderr)
    if not problems:
        print(f"check-usage-doc: {len(exports)} exports declared alike in "
              f"{', '.join(LANGUAGES)} and described in api.md")
    # Each export in each language and in api.md counts once.
    subjects = [f"{place}: {name}" for place in LANGUAGES + ("api.md",) for name in exports]
    failed = sum(any(re.match(re.escape(subject) + r"\b", p) for p in problems)
                 for subject in subjects)
    print(f"check-usage-doc: {len(subjects) - failed} passed, {failed} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
