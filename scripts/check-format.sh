#!/usr/bin/env bash
# Fails when a C or C++ source of the project is not formatted by the
# repository's .clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h' | grep -Ev '^(build|out)/' || true)
[ ${#files[@]} -gt 0 ] || { echo "check-format: no sources found" >&2; exit 1; }
clang-format --dry-run -Werror "${files[@]}"
echo "check-format: ${#files[@]} files formatted"
