#!/usr/bin/env bash
# Configures and builds vcxcap for the given architectures (default: both)
# into build/<arch>, tests included (the i686 tests run through
# scripts/wine-i686.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)
jobs=$(nproc)

for arch in "${archs[@]}"; do
    cmake -S "$root" -B "$root/build/$arch" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DVCX_BUILD_TESTS=ON >/dev/null
    cmake --build "$root/build/$arch" -j"$jobs"
done
