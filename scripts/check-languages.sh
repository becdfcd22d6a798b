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
exports=$(grep -c '^int VCXAPI vcx_' "$work/stub.c")
cp "$build/bin/vcxcap.dll" "$work/real/"

# An all-exports program ($2) and its check name ($1): run it against the stub.
run_calls() {
    local passed=0
    run "$work/$1.out" "$work/stub" "${@:2}" "$arch"
    tr -d '\r' <"$work/$1.out" | grep -v "^$1-$arch: [0-9]* passed"
    passed=$(tr -d '\r' <"$work/$1.out" | sed -n "s/^$1-$arch: \([0-9]*\) passed, [0-9]* failed$/\1/p")
    report "$1-$arch" "${passed:-0}" $((exports - ${passed:-0}))
}

# An example program run against the real DLL: it must list the camera and copy its frame.
run_example() {
    local check=$1-example-$arch
    shift
    if run "$work/$check.out" "$work/real" "$@" &&
        tr -d '\r' <"$work/$check.out" | grep -qx 'vcxcam Virtual Camera' &&
        tr -d '\r' <"$work/$check.out" | grep -qx 'frame of 921600 bytes'; then
        report "$check" 1 0
    else
        echo "$check: the example printed:"
        tr -d '\r' <"$work/$check.out"
        report "$check" 0 1
    fi
}

registered=$("${wine[@]}" winepath -w "$build/bin/vcxcam.dll" | tr -d '\r')
VCX_WINE=${wine[0]} "$root/tests/integration/support/register-vcxcam.sh" "$build/bin/vcxcam.dll" >/dev/null

# Delphi: the document's unit, the generated calls and the example, in Delphi mode.
if [ -d "$rtl" ]; then
    mkdir -p "$work/delphi"
    python3 "$docs/usage_doc.py" "$document" pascal 0 >"$work/delphi/vcxcap.pas"
    python3 "$docs/usage_doc.py" "$document" pascal 1 >"$work/delphi/grab.pas"
    python3 "$docs/make_pascal.py" "$header" >"$work/delphi/exportcheck.pas"
    cp "$docs/support/checksupport.pas" "$work/delphi/"
    compile() { # program, output folder
        "${pascal[@]}" -n -Mdelphi -Sew -Fu"$rtl" -FU"$work/delphi" -FE"$2" "$work/delphi/$1" \
            >"$work/delphi/$1.log" 2>&1 || { cat "$work/delphi/$1.log"; return 1; }
    }
    if compile exportcheck.pas "$work/stub"; then
        run_calls delphi exportcheck.exe
    else
        report "delphi-$arch" 0 "$exports"
    fi
    if compile grab.pas "$work/real"; then
        run_example delphi grab.exe
    else
        report "delphi-example-$arch" 0 1
    fi
else
    report "delphi-$arch" 0 0 1
    report "delphi-example-$arch" 0 0 1
fi

# C#: the document's class, the generated calls and the example, run by dotnet.exe.
mkdir -p "$work/csharp"
python3 "$docs/usage_doc.py" "$document" csharp 0 >"$work/csharp/Vcxcap.cs"
{
    echo "using System; using System.Runtime.InteropServices;"
    echo "public static class Example {"
    python3 "$docs/usage_doc.py" "$document" csharp 1
    echo "}"
} >"$work/csharp/Example.cs"
python3 "$docs/make_csharp.py" "$header" >"$work/csharp/Calls.cs"
mcs_compile() { # output, sources...
    mcs -nologo -warnaserror+ -platform:$platform -out:"$1" "${@:2}" >"$work/csharp/mcs.log" 2>&1 ||
        { cat "$work/csharp/mcs.log"; return 1; }
}
runtime_config() { # folder, program
    local version; version=$(ls "$dotnet/shared/Microsoft.NETCore.App")
    printf '{"runtimeOptions": {"framework": {"name": "Microsoft.NETCore.App", "version": "%s"}}}\n' \
        "$version" >"$1/${2%.exe}.runtimeconfig.json"
}
if ! mcs_compile "$work/stub/exportcheck.exe" "$work/csharp/Vcxcap.cs" "$docs/support/Support.cs" \
    "$work/csharp/Calls.cs"; then
    report "csharp-$arch" 0 "$exports"
elif [ ! -f "$dotnet/dotnet.exe" ]; then
    report "csharp-$arch" 0 0 1
else
    runtime_config "$work/stub" exportcheck.exe
    run_calls csharp "$dotnet/dotnet.exe" exportcheck.exe
fi
if ! mcs_compile "$work/real/grab.exe" "$work/csharp/Vcxcap.cs" "$work/csharp/Example.cs"; then
    report "csharp-example-$arch" 0 1
elif [ ! -f "$dotnet/dotnet.exe" ]; then
    report "csharp-example-$arch" 0 0 1
else
    runtime_config "$work/real" grab.exe
    run_example csharp "$dotnet/dotnet.exe" grab.exe
fi

# Python: the document's ctypes declarations under Linux, against the stub built for Linux.
if [ "$arch" = x86_64 ]; then
    mkdir -p "$work/linux"
    if gcc -std=c99 -O1 -Wall -Wextra -Werror -D__cdecl= -fPIC -shared -I"$root/include" \
        -I"$docs/support" -o "$work/linux/vcxcap.dll" "$work/stub.c" "$docs/support/stub_support.c"; then
        LD_LIBRARY_PATH=$work/linux python3 "$docs/check_python.py" "$header" "$document" || status=1
    else
        report python-linux 0 "$exports"
    fi
fi
exit $status
