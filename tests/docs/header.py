"""The exports of include/vcxcap.h as the document checks read them: each
export's name and its arguments' C types and names, in the header's order; and
its constants."""
import re


def split_arguments(text):
    """The arguments of a parameter list, "void" and "" giving none."""
    text = " ".join(text.split())
    return [] if text in ("", "void") else [part.strip() for part in text.split(",")]


def type_of(argument):
    """The type of "type name": everything before the last word."""
    return " ".join(argument.replace("*", "* ").split()[:-1]).replace(" *", "*")


def name_of(argument):
    return argument.replace("*", " ").split()[-1]


def exports(path):
    """[(name, [(C type, argument name), ...]), ...] for every export."""
    text = open(path, encoding="utf-8").read()
    return [(name, [(type_of(a), name_of(a)) for a in split_arguments(arguments)])
            for name, arguments in re.findall(r"int VCXAPI (vcx_\w+)\((.*?)\);", text, re.S)]


def constants(path):
    """[(name, value), ...] for every VCX_ constant: an int, or a list of the
    strings of an initializer."""
    text = open(path, encoding="utf-8").read().replace("\\\n", " ")
    result = []
    for name, value in re.findall(r"^#define (VCX_\w+)[ \t]+(.+)$", text, re.M):
        value = value.strip()
        if re.fullmatch(r"-?\d+", value):
            result.append((name, int(value)))
        elif value.startswith("{"):
            result.append((name, re.findall(r'"([^"]*)"', value)))
        else:
            raise SystemExit(f"header.py: constant {name} is neither an int nor a list of strings")
    return result
