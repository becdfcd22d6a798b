#!/usr/bin/env bash
# Builds libjpeg-turbo, the JPEG codec of the vcxcam camera's MJPG frames and
# of its MJPEG decoder, as static libraries for the mingw-w64 toolchains, from
# Debian's own source package (bookworm: libjpeg-turbo 2.1.5), with its SIMD
# code assembled by Debian's nasm. Debian has no mingw build of it.
#
#   libjpeg.sh ARCH...          build for x86_64 and/or i686 unless cached
#   libjpeg.sh --prefix ARCH    the same for one ARCH, then print its install folder
#
# The source is fetched once with a private apt state (scripts/private-apt.sh:
# the machine's apt sources are not touched) and unpacked with Debian's
# patches; each architecture is built once into
#   $LIBJPEG_CACHE/<version>-<arch>   (default ~/.cache/libjpeg-turbo)
# holding include/ (jpeglib.h, turbojpeg.h, ...) and lib/ (libturbojpeg.a,
# libjpeg.a). A folder holding .done is complete and reused as it is.
#
# Settings (environment): LIBJPEG_CACHE, LIBJPEG_SIMD (1, the default: SIMD
# with nasm; 0: the C code only), JOBS (default: number of CPUs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cache=${LIBJPEG_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/libjpeg-turbo}
simd=${LIBJPEG_SIMD:-1}
jobs=${JOBS:-$(nproc)}

log() { printf '[libjpeg] %s\n' "$*" >&2; }
die() {
    log "error: $*"
    exit 1
}

print_prefix=0
if [ "${1:-}" = "--prefix" ]; then
    print_prefix=1
    shift
    [ $# -eq 1 ] || die "--prefix takes one architecture"
fi
[ $# -gt 0 ] || die "usage: libjpeg.sh [--prefix] x86_64|i686..."

# The unpacked source (Debian's patches applied), fetched once.
source_dir() {
    local found
    found=$(find "$cache/source" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo-*' 2>/dev/null | head -n 1)
    if [ -n "$found" ] && [ -f "$found/.done" ]; then
        echo "$found"
        return
    fi
    log "fetching Debian's libjpeg-turbo source"
    PRIVATE_APT_ROOT=$cache
    # shellcheck source=private-apt.sh
    . "$here/private-apt.sh"
    local mirror
    mirror=${DEBIAN_MIRROR:-$(debian_archive 'debian$')}
    [ -n "$mirror" ] || die "no Debian archive in /etc/apt/sources.list.d/debian.sources"
    private_apt_init src amd64 \
        "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main"
    rm -rf "$cache/source"
    mkdir -p "$cache/source"
    (cd "$cache/source" && private_apt src source --download-only libjpeg-turbo >/dev/null) ||
        die "apt-get source libjpeg-turbo failed"
    local dsc
    dsc=$(find "$cache/source" -maxdepth 1 -name 'libjpeg-turbo_*.dsc' | head -n 1)
    [ -n "$dsc" ] || die "the source package has no .dsc"
    local version
    version=$(sed -n 's/^Version: \(.*\)$/\1/p' "$dsc" | head -n 1)
    version=${version#*:}
    version=${version%-*}
    # apt checked the files against the archive's signed index; dpkg-source
    # cannot check the uploader's signature without debian-keyring, and says
    # so in its log.
    (cd "$cache/source" &&
        dpkg-source -x "$(basename "$dsc")" "libjpeg-turbo-$version" >"$cache/source/unpack.log" 2>&1) ||
        die "dpkg-source could not unpack $dsc; see $cache/source/unpack.log"
    touch "$cache/source/libjpeg-turbo-$version/.done"
    echo "$cache/source/libjpeg-turbo-$version"
}

build_arch() {
    local arch=$1 src=$2
    case "$arch" in
    x86_64 | i686) ;;
    *) die "unknown architecture $arch (x86_64 or i686)" ;;
    esac
    local version=${src##*/libjpeg-turbo-}
    local prefix=$cache/$version-$arch
    if [ -f "$prefix/.done" ]; then
        echo "$prefix"
        return
    fi
    command -v nasm >/dev/null || [ "$simd" = 0 ] || die "nasm is missing (scripts/setup.sh installs it)"
    log "building libjpeg-turbo $version for $arch (SIMD $simd)"
    local work=$cache/build-$arch
    rm -rf "$work" "$prefix"
    # The project's own toolchain file: the same compilers as the DLLs.
    cmake -S "$src" -B "$work" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_ASM_NASM_COMPILER=nasm \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
        -DWITH_TURBOJPEG=ON -DWITH_SIMD="$simd" -DREQUIRE_SIMD="$simd" \
        -DWITH_CRT_DLL=ON >"$work.log" 2>&1 ||
        die "configuring failed; see $work.log"
    cmake --build "$work" -j"$jobs" --target turbojpeg-static jpeg-static >>"$work.log" 2>&1 ||
        die "building failed; see $work.log"
    mkdir -p "$prefix/include" "$prefix/lib"
    cp "$src/turbojpeg.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$work/jconfig.h" \
        "$prefix/include/"
    cp "$work/libturbojpeg.a" "$work/libjpeg.a" "$prefix/lib/"
    cp "$src/LICENSE.md" "$prefix/"
    touch "$prefix/.done"
    rm -rf "$work"
    echo "$prefix"
}

src=$(source_dir)
for arch in "$@"; do
    prefix=$(build_arch "$arch" "$src")
done
if [ "$print_prefix" = 1 ]; then
    echo "$prefix"
fi
