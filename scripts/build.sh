#!/usr/bin/env bash
# Configures and builds vcxcap for the given architectures (default: both)
# into build/<arch>. Tests are built for x86_64 only: the 32-bit build is
# checked by its export table, since no 32-bit program runs here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)
jobs=$(nproc)

for arch in "${archs[@]}"; do
    tests=ON
    [ "$arch" = x86_64 ] || tests=OFF
    cmake -S "$root" -B "$root/build/$arch" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DVCX_BUILD_TESTS=$tests >/dev/null
    cmake --build "$root/build/$arch" -j"$jobs"
done
