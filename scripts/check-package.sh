#!/usr/bin/env bash
# Installs a vcxcap build into a scratch prefix, builds a host project against
# it with find_package(vcxcap), checks the installed layout, and runs the host
# under Wine from the installed bin/ folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: check-package.sh BUILD_DIR ARCH}
arch=${2:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/install" >/dev/null
for f in bin/vcxcap.dll lib/libvcxcap.dll.a lib/vcxcap.lib include/vcxcap.h \
         lib/cmake/vcxcap/vcxcapConfig.cmake lib/cmake/vcxcap/vcxcapConfigVersion.cmake; do
    [ -f "$work/install/$f" ] || { echo "check-package: $f not installed" >&2; exit 1; }
done

cmake -S "$root/tests/package" -B "$work/consumer" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_PREFIX_PATH="$work/install" >/dev/null
cmake --build "$work/consumer" >/dev/null
cp "$work/consumer/consumer.exe" "$work/install/bin/"
if [ "$arch" = x86_64 ]; then
    out=$(cd "$work/install/bin" && wine consumer.exe | tr -d "\r")
    [ "$out" = 210 ] || { echo "check-package: consumer printed '$out'" >&2; exit 1; }
fi
echo "check-package: $arch install and find_package consumer ok"
