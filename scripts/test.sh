#!/usr/bin/env bash
# Sets up the machine, checks formatting, builds both architectures and runs
# every test: the export checks of both DLLs, each architecture's release zip
# as a host project uses it, and the unit, integration and endurance tests
# under Wine (through ctest, in a virtual X display for the windowed
# renderers).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
"$root/scripts/build.sh" x86_64 i686

for arch in x86_64 i686; do
    objdump="$arch-w64-mingw32-objdump"
    "$root/scripts/check-exports.sh" "$root/build/$arch/bin/vcxcap.dll" "$root/src/vcxcap.def" "$objdump"
    "$root/scripts/check-exports.sh" "$root/build/$arch/bin/vcxcam.dll" "$root/vcxcam/src/vcxcam.def" "$objdump"
done

export WINEDEBUG=-all WINEPREFIX="$root/build/x86_64/wineprefix"
"$root/scripts/wineprefix.sh" "$WINEPREFIX"
for arch in x86_64 i686; do
    "$root/scripts/check-package.sh" "$root/build/$arch" "$arch"
done

cd "$root/build/x86_64"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)" "$@"
