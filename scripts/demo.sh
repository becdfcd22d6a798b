#!/usr/bin/env bash
# Builds vcxcap and the vcxcam virtual camera for x86_64, registers the camera
# in a private Wine prefix and runs the example host there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x86_64"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vcxcap_demo vcxcam

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
"$root/scripts/wineprefix.sh" "$WINEPREFIX"
cd "$build/bin"
wine regsvr32 /s vcxcam.dll
wine vcxcap_demo.exe
