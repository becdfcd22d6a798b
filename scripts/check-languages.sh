#!/usr/bin/env bash
# Runs the declarations of docs/usage-from-other-languages.md, taken from the
# document itself, for one architecture of a build tree:
#
#   delphi-ARCH, csharp-ARCH    every export of the header called through the
#                               document's declarations against a stub DLL
#                               made from the header (tests/docs/README.md);
#                               the stub checks every argument, the caller
#                               every answer, out-value and stack mark
#   delphi-example-ARCH,        the document's example program against the
#   csharp-example-ARCH         tree's vcxcap.dll and its vcxcam camera: it
#                               must list the camera and copy a 640x480 frame
#   python-linux                (x86_64 only) the all-exports check with
#                               ctypes under Linux, against the stub built as
#                               a Linux shared library
#   wrong-declarations-ARCH     the all-exports checks of the guide with one
#                               declaration made wrong, a row of
#                               tests/docs/wrong-declarations.txt each: each
#                               must fail that export
#
# Free Pascal (in Delphi mode) and Mono's C# compiler build the programs; the
# C# ones run on a .NET runtime for Windows, all under Wine in the prefix of
# the environment (WINEPREFIX; the i686 ones through scripts/wine-i686.sh).
# Each check prints "<check>: N passed, N failed"; a check whose compiler or
# runtime could not be set up (scripts/setup-languages.sh says why) prints
# "<check>: 0 passed, 0 failed, 1 skipped" and does not fail the run.
#
#   check-languages.sh BUILD_DIR ARCH
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: check-languages.sh BUILD_DIR ARCH}
arch=${2:?usage: check-languages.sh BUILD_DIR ARCH}
cache=${VCX_LANGS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vcxlangs}
docs=$root/tests/docs
document=$root/docs/usage-from-other-languages.md
header=$root/include/vcxcap.h
case $arch in
x86_64)
    wine=(wine) triple=x86_64-w64-mingw32 platform=x64
    pascal=(ppcx64 -Twin64) rtl=$cache/fpc/x86_64-win64
    ;;
i686)
    wine=("$root/scripts/wine-i686.sh") triple=i686-w64-mingw32
    pascal=("$cache/fpc/ppcross386" -Twin32) rtl=$cache/fpc/i386-win32 platform=x86
    ;;
*)
    echo "check-languages.sh: unknown architecture $arch" >&2
    exit 2
    ;;
esac
dotnet=$cache/dotnet/$arch
work=$(mktemp -d)
registered=""
cleanup() {
    if [ -n "$registered" ]; then
        "${wine[@]}" regsvr32 /s /u "$registered" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
status=0

"$root/scripts/setup-languages.sh" "$arch"

report() { # check, passed, failed[, skipped]
    echo "$1: $2 passed, $3 failed${4:+, $4 skipped}"
    [ "$3" -eq 0 ] || status=1
}

# Runs a Windows program in its own folder, its output into the file $1.
run() {
    local out=$1 folder=$2
    shift 2
    (cd "$folder" && "${wine[@]}" "$@" >"$out" 2>&1)
}

# The stub DLL, made from the header, in the folder the all-exports programs run in.
mkdir -p "$work/stub" "$work/real"
python3 "$docs/make_stub.py" "$header" >"$work/stub.c" || exit 1
"$triple-gcc" -std=c99 -O1 -Wall -Wextra -Werror -fno-omit-frame-pointer -shared \
    -I"$root/include" -I"$docs/support" -o "$work/stub/vcxcap.dll" \
    "$work/stub.c" "$docs/support/stub_support.c" || exit 1
# The rows of each all-exports check: one per export, one for the constants.
rows=$(python3 "$docs/calls.py" "$header")
cp "$build/bin/vcxcap.dll" "$work/real/"

registered=$("${wine[@]}" winepath -w "$build/bin/vcxcam.dll" | tr -d '\r')
VCX_WINE=${wine[0]} "$root/tests/integration/support/register-vcxcam.sh" "$build/bin/vcxcam.dll" >/dev/null

mkdir -p "$work/linux"
linux_stub=no
gcc -std=c99 -O1 -Wall -Wextra -Werror -D__cdecl= -fPIC -shared -I"$root/include" \
    -I"$docs/support" -o "$work/linux/vcxcap.dll" "$work/stub.c" "$docs/support/stub_support.c" &&
    linux_stub=yes
[ -d "$rtl" ] && has_delphi=yes || has_delphi=no
[ -f "$dotnet/dotnet.exe" ] && has_dotnet=yes || has_dotnet=no

compile_pascal() { # folder with the sources, program, output folder
    "${pascal[@]}" -n -Mdelphi -Sew -Fu"$rtl" -FU"$1" -FE"$3" "$1/$2" >"$1/$2.log" 2>&1 ||
        { cat "$1/$2.log"; return 1; }
}
compile_csharp() { # output, sources...
    mcs -nologo -warnaserror+ -platform:$platform -out:"$1" "${@:2}" >"$work/mcs.log" 2>&1 ||
        { cat "$work/mcs.log"; return 1; }
}
runtime_config() { # program
    local version; version=$(ls "$dotnet/shared/Microsoft.NETCore.App")
    printf '{"runtimeOptions": {"framework": {"name": "Microsoft.NETCore.App", "version": "%s"}}}\n' \
        "$version" >"${1%.exe}.runtimeconfig.json"
}

# The all-exports check of language $1 on the guide $2: its output (a line per
# failing export and its tally "LANGUAGE-ARCH: N passed, N failed", or why it
# could not run) on stdout. The C# and Delphi programs run in the stub's folder.
all_exports() {
    local language=$1 guide=$2 dir=$work/$1
    rm -rf "$dir"
    mkdir -p "$dir"
    case $language in
    delphi)
        python3 "$docs/usage_doc.py" "$guide" pascal 0 >"$dir/vcxcap.pas"
        python3 "$docs/make_pascal.py" "$header" >"$dir/exportcheck.pas"
        cp "$docs/support/checksupport.pas" "$dir/"
        compile_pascal "$dir" exportcheck.pas "$dir" || return 0
        cp "$dir/exportcheck.exe" "$work/stub/"
        run "$dir/out" "$work/stub" exportcheck.exe "$arch"
        ;;
    csharp)
        python3 "$docs/usage_doc.py" "$guide" csharp 0 >"$dir/Vcxcap.cs"
        python3 "$docs/make_csharp.py" "$header" >"$dir/Calls.cs"
        compile_csharp "$work/stub/exportcheck.exe" "$dir/Vcxcap.cs" "$docs/support/Support.cs" \
            "$dir/Calls.cs" || return 0
        runtime_config "$work/stub/exportcheck.exe"
        run "$dir/out" "$work/stub" "$dotnet/dotnet.exe" exportcheck.exe "$arch"
        ;;
    python)
        LD_LIBRARY_PATH=$work/linux python3 "$docs/check_python.py" "$header" "$guide" >"$dir/out" 2>&1
        ;;
    esac
    tr -d '\r' <"$dir/out"
}

# Whether language $1 can run its all-exports check here.
runs() {
    case $1 in
    delphi) [ $has_delphi = yes ] ;;
    csharp) [ $has_dotnet = yes ] ;;
    python) [ "$arch" = x86_64 ] && [ $linux_stub = yes ] ;;
    esac
}

# The example program of the guide in language $1 against the real DLL: it
# must list the camera and copy its frame.
example() {
    local check=$1-example-$arch dir=$work/$1-example
    mkdir -p "$dir"
    case $1 in
    delphi)
        python3 "$docs/usage_doc.py" "$document" pascal 0 >"$dir/vcxcap.pas"
        python3 "$docs/usage_doc.py" "$document" pascal 1 >"$dir/grab.pas"
        compile_pascal "$dir" grab.pas "$work/real" || { report "$check" 0 1; return; }
        run "$dir/out" "$work/real" grab.exe
        ;;
    csharp)
        python3 "$docs/usage_doc.py" "$document" csharp 0 >"$dir/Vcxcap.cs"
        {
            echo "using System; using System.Runtime.InteropServices;"
            echo "public static class Example {"
            python3 "$docs/usage_doc.py" "$document" csharp 1
            echo "}"
        } >"$dir/Example.cs"
        compile_csharp "$work/real/grab.exe" "$dir/Vcxcap.cs" "$dir/Example.cs" ||
            { report "$check" 0 1; return; }
        runtime_config "$work/real/grab.exe"
        run "$dir/out" "$work/real" "$dotnet/dotnet.exe" grab.exe
        ;;
    esac
    if tr -d '\r' <"$dir/out" | grep -qx 'vcxcam Virtual Camera' &&
        tr -d '\r' <"$dir/out" | grep -qx 'frame of 921600 bytes'; then
        report "$check" 1 0
    else
        echo "$check: the example printed:"
        tr -d '\r' <"$dir/out"
        report "$check" 0 1
    fi
}

languages=(delphi csharp)
[ "$arch" = x86_64 ] && languages+=(python)
for language in "${languages[@]}"; do
    if ! runs "$language"; then
        report "$language-$arch" 0 0 1
        [ $language = python ] || report "$language-example-$arch" 0 0 1
        continue
    fi
    name=$language-$arch
    [ $language = python ] && name=python-linux
    out=$(all_exports "$language" "$document")
    grep -v "^$name: [0-9]* passed" <<<"$out"
    passed=$(sed -n "s/^$name: \([0-9]*\) passed, [0-9]* failed$/\1/p" <<<"$out")
    report "$name" "${passed:-0}" $((rows - ${passed:-0}))
    [ $language = python ] || example "$language"
done

# Each wrong declaration must fail its export (or the program's compilation).
caught=0 missed=0
while read -r language where export change; do
    case $language in "" | "#"*) continue ;; esac
    [ "$where" = all ] || [ "$where" = "$arch" ] || continue
    runs "$language" || continue
    sed "$change" "$document" >"$work/wrong.md"
    if cmp -s "$document" "$work/wrong.md"; then
        echo "wrong-declarations: $language $export: '$change' changes nothing in the guide"
        missed=$((missed + 1))
        continue
    fi
    out=$(all_exports "$language" "$work/wrong.md")
    if grep -q -e "^FAIL $export: " -e "error CS" -e "Error: " <<<"$out"; then
        caught=$((caught + 1))
    else
        echo "wrong-declarations: $language $export: '$change' was not caught; the check printed:"
        echo "$out"
        missed=$((missed + 1))
    fi
done <"$docs/wrong-declarations.txt"
report "wrong-declarations-$arch" $caught $missed
exit $status
