"""Source literals shared by the generators of the stub and the callers."""


def escaped(text):
    """text between double quotes in C or C#: ASCII as is (quotes and
    backslashes escaped), every other character as a universal character name."""
    out = []
    for char in text:
        if char in '"\\':
            out.append("\\" + char)
        elif " " <= char <= "~":
            out.append(char)
        elif ord(char) > 0xFFFF:
            out.append(f"\\U{ord(char):08X}")
        else:
            out.append(f"\\u{ord(char):04X}")
    return '"' + "".join(out) + '"'
