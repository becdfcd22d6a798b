#!/usr/bin/env bash
# Checks the release zip of a build as a host's developer gets it: makes it
# with the build's package target (vcxcap-<version>-win64.zip or -win32.zip),
# unpacks it, checks its layout, and builds two host projects against the
# unpacked folder with find_package(vcxcap): tests/package (the version) and
# the examples the zip carries. It then runs both under Wine from the
# unpacked bin/ folder (the i686 ones through scripts/wine-i686.sh), with the
# zip's vcxcam registered in the prefix of the environment for the while (and
# the zip's vcxcap-cli listing it).
#
#   check-package.sh BUILD_DIR ARCH
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: check-package.sh BUILD_DIR ARCH}
arch=${2:?}
work=$(mktemp -d)
registered=""
cleanup() {
    if [ -n "$registered" ]; then
        "$wine" regsvr32 /s /u "$registered" || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "check-package: $*" >&2
    exit 1
}

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
case $arch in
x86_64) system=win64 wine=wine ;;
i686) system=win32 wine=$root/scripts/wine-i686.sh ;;
*) fail "unknown architecture $arch" ;;
esac
name="vcxcap-$version-$system"
rm -f "$build/$name.zip"
cmake --build "$build" --target package >/dev/null
[ -f "$build/$name.zip" ] || fail "the package target made no $name.zip"
(cd "$work" && cmake -E tar xf "$build/$name.zip")
package="$work/$name"

for f in bin/vcxcap.dll bin/vcxcap-cli.exe bin/vcxcam.dll lib/libvcxcap.dll.a lib/vcxcap.lib \
         include/vcxcap.h lib/cmake/vcxcap/vcxcapConfig.cmake \
         lib/cmake/vcxcap/vcxcapConfigVersion.cmake examples/CMakeLists.txt examples/demo.c \
         share/doc/vcxcap/README.md share/doc/vcxcap/api.md \
         share/doc/vcxcap/usage-from-other-languages.md share/doc/vcxcap/vcxcam.md; do
    [ -f "$package/$f" ] || fail "$name.zip holds no $f"
done

for project in "$root/tests/package" "$package/examples"; do
    out="$work/build-$(basename "$project")"
    cmake -S "$project" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DCMAKE_PREFIX_PATH="$package" >/dev/null
    cmake --build "$out" >/dev/null
    cp "$out"/*.exe "$package/bin/"
done

cd "$package/bin"
out=$("$wine" consumer.exe | tr -d '\r')
[ "$out" = 210 ] || fail "consumer printed '$out'"
registered=$("$wine" winepath -w "$package/bin/vcxcam.dll" | tr -d '\r')
VCX_WINE=$wine "$root/tests/integration/support/register-vcxcam.sh" "$package/bin/vcxcam.dll" >/dev/null
out=$("$wine" vcxcap-cli.exe devices 2>/dev/null | tr -d '\r')
grep -q '^  0  vcxcam Virtual Camera$' <<<"$out" || fail "vcxcap-cli devices printed: $out"
out=$("$wine" vcxcap_demo.exe 2>/dev/null | tr -d '\r') || fail "the demo failed: $out"
grep -q '^frame: 640x480, 921600 bytes' <<<"$out" || fail "the demo printed: $out"
echo "check-package: $name.zip unpacked, examples and consumer built and run"
