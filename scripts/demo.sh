#!/usr/bin/env bash
# The demonstration of the README, on a fresh Debian 12 machine: installs what
# is needed, builds vcxcap, its command-line tool and the vcxcam virtual
# camera for x86_64, creates a private Wine prefix, registers the camera
# there, lists the devices and saves a snapshot of the camera.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x86_64"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vcxcap_cli vcxcam

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
"$root/scripts/wineprefix.sh" "$WINEPREFIX"
# No sound here: Wine's ALSA driver would only complain while the audio
# categories are listed.
export WINEDLLOVERRIDES="winealsa.drv="
cd "$build/bin"
wine regsvr32 /s vcxcam.dll
echo "$ vcxcap-cli devices"
wine vcxcap-cli.exe devices
echo "$ vcxcap-cli snap 0 snapshot.bmp"
wine vcxcap-cli.exe snap 0 snapshot.bmp
echo "demo: the picture is $build/bin/snapshot.bmp"
