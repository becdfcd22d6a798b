#!/usr/bin/env bash
# Checks a built DLL: it exports exactly the names of its .def file,
# undecorated, and imports only Windows system DLLs.
set -euo pipefail
dll=${1:?usage: check-exports.sh DLL DEF OBJDUMP}
def=${2:?}
objdump=${3:?}

expected=$(sed -n '/^EXPORTS/,$p' "$def" | tail -n +2 | awk 'NF {print $1}' | sort)
actual=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[/ {print $NF} t && /^$/ {t=0}' | sort)
if [ "$expected" != "$actual" ]; then
    echo "check-exports: $dll exports differ from $def" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    exit 1
fi

system='^(kernel32|user32|gdi32|ole32|oleaut32|advapi32|msvcrt|shell32|ws2_32|winmm|quartz|strmiids|uuid|msvfw32|api-ms-win-.*)\.dll$'
bad=$("$objdump" -p "$dll" | awk '/DLL Name:/ {print tolower($3)}' | grep -Ev "$system" || true)
if [ -n "$bad" ]; then
    echo "check-exports: $dll imports non-system DLLs: $bad" >&2
    exit 1
fi
echo "check-exports: $(basename "$dll") ok ($(echo "$actual" | wc -l) exports, system imports only)"
