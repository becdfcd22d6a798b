#!/usr/bin/env bash
# Sets up the machine, checks formatting, builds both architectures and runs
# every test: the export checks of both DLLs, each architecture's release zip
# as a host project uses it, the usage guide's C#, Delphi and Python
# declarations run (scripts/check-languages.sh; its failures fail the run
# after ctest), and through ctest under Wine (in a virtual X display for the
# windowed renderers) the x86_64 tree's unit, integration and
# endurance tests, then the i686 tree's unit tests and its chosen integration
# tests (32-bit Wine natively where the kernel runs 32-bit code, else under
# qemu-user: scripts/wine-i686.sh, whose set-up is cached under
# ~/.cache/i386lab); and last the vivid lane (scripts/vivid-lane.sh): the
# tests that hold for any camera against Wine's own capture filter on the
# kernel's vivid driver, in a guest that boots Debian's kernel (its set-up is
# cached under ~/.cache/vcxguest).
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

status=0
export WINEDEBUG=-all
for arch in x86_64 i686; do
    export WINEPREFIX="$root/build/$arch/wineprefix" VCX_WINE_ARCH=$arch
    "$root/scripts/wineprefix.sh" "$WINEPREFIX"
    "$root/scripts/check-package.sh" "$root/build/$arch" "$arch"
    "$root/scripts/check-languages.sh" "$root/build/$arch" "$arch" || status=1
done
unset WINEPREFIX VCX_WINE_ARCH

for arch in x86_64 i686; do
    if [ "$arch" = i686 ]; then
        echo "test: the i686 tree, 32-bit Wine $("$root/scripts/wine-i686.sh" --runner)"
    else
        echo "test: the $arch tree"
    fi
    (cd "$root/build/$arch" &&
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)" "$@") ||
        status=1
done
echo "test: the vivid lane"
"$root/scripts/vivid-lane.sh" "$root/build/x86_64" || status=1
exit $status
