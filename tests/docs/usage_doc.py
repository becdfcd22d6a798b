"""The code blocks of docs/usage-from-other-languages.md, so that the checks
compile and run the document's own declarations and examples.

usage: usage_doc.py DOCUMENT LANGUAGE INDEX   prints block INDEX (from 0) of
                                              the fenced blocks marked LANGUAGE
"""
import re
import sys


def blocks(path, language):
    """The fenced code blocks marked ```language, in the document's order."""
    text = open(path, encoding="utf-8").read()
    return re.findall(r"^```" + re.escape(language) + r"\n(.*?)^```$", text, re.S | re.M)


if __name__ == "__main__":
    document, language, index = sys.argv[1:4]
    found = blocks(document, language)
    if int(index) >= len(found):
        sys.exit(f"usage_doc: {document} has {len(found)} {language} blocks, no block {index}")
    sys.stdout.write(found[int(index)])
