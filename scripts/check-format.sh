#!/usr/bin/env bash
# Fails when a C or C++ source of the project is not formatted by the
# repository's .clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(find include src tests vcxcam bench examples tools \
    \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -type f 2>/dev/null | sort)
[ ${#files[@]} -gt 0 ] || { echo "check-format: no sources found" >&2; exit 1; }
clang-format --dry-run -Werror "${files[@]}"
echo "check-format: ${#files[@]} files formatted"
