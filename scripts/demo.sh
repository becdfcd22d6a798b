#!/usr/bin/env bash
# Builds vcxcap for x86_64 and runs the example host under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
prefix="$root/build/x86_64/wineprefix"
"$root/scripts/wineprefix.sh" "$prefix"
cd "$root/build/x86_64/bin"
WINEPREFIX="$prefix" WINEDEBUG=-all wine vcxcap_demo.exe
