#!/usr/bin/env bash
# Creates the private Wine prefix the tests run in (once; later calls reuse it).
set -euo pipefail
prefix=${1:?usage: wineprefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
echo "wine prefix ready: $prefix"
