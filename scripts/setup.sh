#!/usr/bin/env bash
# Installs what building and testing vcxcap needs on a Debian 12 machine.
# Safe to run again. Never installs wine32: with it, the wine launcher picks
# the 32-bit loader instead of the 64-bit one the tests use.
#
#   setup.sh [PACKAGE...]   the project's packages, and those given (what a
#                           script needs only on some machines)
set -euo pipefail

packages=(
    cmake make
    mingw-w64
    wine wine64
    xvfb xauth
    googletest
    llvm
    clang-format
    python3-pil
    ffmpeg
    libcli11-dev
    # the i686 tests' private i386 root (scripts/wine-i686.sh)
    python3 xz-utils
    # the other-language checks (tests/languages, scripts/setup-languages.sh): Free Pascal
    # with the RTL's source (built for Windows there), Mono's C# compiler
    fp-compiler-3.2.2 fpc-source-3.2.2 mono-mcs
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    retry="$(dirname "$0")/apt-retry.sh"
    # An index that keeps failing (a mirror serving a stale one) is left
    # out: the install that follows fails when it needed it.
    $sudo "$retry" apt-get update ||
        echo "setup: warning: some package indexes did not download (above); going on without them" >&2
    $sudo env DEBIAN_FRONTEND=noninteractive "$retry" apt-get install -y "${missing[@]}"
fi

# The posix thread model gives std::thread and std::mutex to the cross compilers.
for triple in x86_64-w64-mingw32 i686-w64-mingw32; do
    command -v "$triple-g++-posix" >/dev/null || { echo "setup: $triple-g++-posix missing" >&2; exit 1; }
done
echo "setup: ready"
