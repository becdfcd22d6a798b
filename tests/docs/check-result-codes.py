#!/usr/bin/env python3
"""The failure codes of every export agree in the three places that state them.

The public header documents each export's negative results in the comment
before its declaration, the API reference in its row, its paragraph or its
tables, and the command-line tool keeps a table of their meanings for the
exports it calls. This check reads the three and fails, naming the export and
the codes, where one names a code another does not.

  check-result-codes.py HEADER API_MD RESULTS_CPP
"""
import re
import sys

CODE = r"-(\d{1,3})"


def expand_ranges(text):
    """'-1 .. -7' stands for every code from -1 to -7."""

    def spell(match):
        first, last = int(match.group(1)), int(match.group(2))
        return ", ".join(f"-{n}" for n in range(first, last + 1))

    return re.sub(r"-(\d{1,3})\s*\.\.\s*-(\d{1,3})", spell, text)


def header_codes(path):
    """Export name -> the negative codes its comment lists.

    A code is a negative number that starts a comment line (not followed by
    ':', which makes it an argument value such as '-1: returns'), or follows
    '; ', ', ', ': ', '/ ', '(', 'or ' or two spaces (the header's columns).
    Numbers inside prose ('below -1', '-2147483648 for a rate') do not count.
    """
    text = open(path, encoding="utf-8").read()
    codes = {}
    for match in re.finditer(r"/\*((?:(?!\*/).)*)\*/\s*((?:int VCXAPI vcx_\w+\([^;]*;\s*)+)",
                             text, re.S):
        comment = expand_ranges(match.group(1))
        found = set()
        for line in comment.splitlines():
            line = re.sub(r"^\s*\*", "", line)
            for code in re.finditer(r"^\s*" + CODE + r"(?![\d:])", line):
                found.add(-int(code.group(1)))
            for code in re.finditer(r"(;\s+|,\s+|:\s+|/\s+|\(|\bor\s+|\S\s\s+)" + CODE +
                                    r"(?!\d)", line):
                found.add(-int(code.group(2)))
        # "The same as vcx_X": X's codes.
        same = re.match(r"\s*The same as (vcx_\w+)\b", match.group(1))
        if same and not found:
            found = codes.get(same.group(1), set())
        for name in re.findall(r"int VCXAPI (vcx_\w+)\(", match.group(2)):
            codes[name] = found
    return codes


def table_cells(line):
    return [cell.strip() for cell in line.strip().strip("|").split("|")]


def cell_codes(cell):
    return {-int(n) for n in re.findall(r"(?<![\w.])" + CODE + r"(?!\d)", expand_ranges(cell))}


def column_exports(cell):
    """The exports a column heading names: `vcx_A`, `vcx_B`, and `...Size` for vcx_BSize."""
    names = []
    for token in re.findall(r"`(vcx_\w+|\.\.\.Size)`", cell):
        names.append(names[-1] + "Size" if token == "...Size" else token)
    return names


def applies(name, cell):
    """A cell marked '(list only)' or '(lists only)' is no size query's."""
    return not (re.search(r"\(lists? only\)", cell) and name.endswith("Size"))


def api_codes(path):
    """Export name -> the negative codes the API reference gives it.

    An export's codes are the bold ones in its row of a family table or in
    its paragraph, and the first-column codes of the tables after it: a table
    whose headings name exports gives each column's exports the rows whose
    cell is not '—'; a plain code table belongs to the exports just described
    (the paragraphs before it, or every row of the family table before it).
    """
    codes = {}
    group = []  # the exports just described
    group_closed = True  # a code table has followed the group: the next export starts another
    columns = None  # the exports of each column of the table being read
    in_table = False
    for line in open(path, encoding="utf-8"):
        stripped = line.strip()
        if stripped.startswith("#"):
            group, group_closed, columns, in_table = [], True, None, False
            continue
        if not stripped.startswith("|"):
            in_table, columns = False, None
            start = re.match(r"`int (vcx_\w+)\(", stripped)
            if start:
                group = ([] if group_closed else group) + [start.group(1)]
                group_closed = False
                codes.setdefault(start.group(1), set())
            if not group_closed:
                for name in group:
                    codes[name].update(-int(n) for n in re.findall(r"\*\*" + CODE + r"\*\*", stripped))
            continue
        cells = table_cells(stripped)
        row = re.match(r"`int (vcx_\w+)\(", cells[0])
        if row:
            if not in_table or group_closed:
                group, group_closed = [], False
            in_table = True
            group.append(row.group(1))
            codes.setdefault(row.group(1), set()).update(
                -int(n) for n in re.findall(r"\*\*" + CODE + r"\*\*", stripped))
            continue
        if not in_table:
            in_table = True
            named = [column_exports(cell) for cell in cells[1:]]
            columns = named if any(named) else None
            # The exports before a table with columns of its own are told apart there.
            group_closed = group_closed or columns is not None
            continue
        if all(set(cell) <= set("-: ") for cell in cells):
            continue
        first = cell_codes(cells[0])
        if not first or not re.fullmatch(r"[-\d /.]+", cells[0]):
            continue
        if columns:
            for names, cell in zip(columns, cells[1:]):
                if cell not in ("—", ""):
                    for name in names:
                        if applies(name, cell):
                            codes.setdefault(name, set()).update(first)
        else:
            for name in group:
                if applies(name, stripped):
                    codes[name].update(first)
            group_closed = True
    return codes


def cli_codes(path):
    """Export name -> the negative codes the tool has a meaning for."""
    text = open(path, encoding="utf-8").read()
    tables = {}
    for match in re.finditer(r"constexpr Meaning (k\w+)\[\] = \{(.*?)\n\};", text, re.S):
        tables[match.group(1)] = {int(n) for n in re.findall(r"\{(-\d+),", match.group(2))}
    exports = {}
    for name, table in re.findall(r'ExportTable\{"(vcx_\w+)", (k\w+)\}', text):
        exports[name] = (table, tables[table])
    return exports


def main(header, api, results):
    failures = []
    declared = header_codes(header)
    documented = api_codes(api)
    meanings = cli_codes(results)
    for name in sorted(declared):
        ours = {c for c in declared[name] if c < 0}
        theirs = {c for c in documented.get(name, set()) if c < 0}
        if name not in documented:
            failures.append(f"{name}: not in the API reference")
        elif ours != theirs:
            failures.append(f"{name}: only the header has {sorted(ours - theirs, reverse=True)}, "
                            f"only the API reference {sorted(theirs - ours, reverse=True)}")
    by_table = {}
    for name, (table, _) in meanings.items():
        by_table.setdefault(table, []).append(name)
    for name, (table, known) in sorted(meanings.items()):
        if name not in declared:
            failures.append(f"{name}: the tool's table names an export the header lacks")
            continue
        missing = {c for c in declared[name] if c < 0} - known
        if missing:
            failures.append(f"{name}: the tool has no meaning for {sorted(missing)}")
        sharing = set().union(*(declared.get(other, set()) for other in by_table[table]))
        extra = {c for c in known if c < 0} - sharing
        if extra:
            failures.append(f"{name}: the tool's {table} has {sorted(extra)}, which no export "
                            f"using it documents")
    for failure in failures:
        print(failure)
    print(f"{len(declared)} exports checked: {len(failures)} disagreements")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
