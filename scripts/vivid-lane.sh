#!/usr/bin/env bash
# The test lane on a camera nobody here wrote: Wine's own DirectShow capture
# filter (its V4L2 back end) on the Linux kernel's vivid test driver, in a
# guest that boots Debian's own kernel (scripts/guest-vm.sh), running the
# library's tests that hold for any camera (tests/integration/any_camera)
# against two vivid webcams, at 5 and at 30 fps.
#
#   vivid-lane.sh [BUILD_DIR]        the x86_64 build tree (default build/x86_64)
#   vivid-lane.sh --check-faults [BUILD_DIR]
#                                    break the lane on purpose, once per way it
#                                    can break, and check that it says which
#
# Its last line is its verdict: "vivid-lane: passed", or "vivid-lane: FAILED:"
# and what failed (the guest did not boot, the kernel has no vivid module, a
# device delivered nothing, Wine did not start, a check failed: the first
# failing check). Exit status 0 when it passed.
#
# Set-up (cached, once): the guest's packages, kernel and initramfs
# (guest-vm.sh --setup, in ~/.cache/vcxguest), and a plain 64-bit Wine prefix
# (no vcxcam: the guest's devices are vivid's alone), made here because
# wineboot under the guest's emulation takes minutes.
#
# Settings: VIVID_LANE_FAULT (boot, hang, vivid or stream: break that stage),
# and guest-vm.sh's (GUEST_ACCEL, GUEST_MEMORY, GUEST_CACHE, ...).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vcxguest}

verdict() {
    echo "vivid-lane: FAILED: $*"
    exit 1
}

# Breaks the lane each way it can break; each must fail within a minute,
# saying which.
check_faults() {
    local fault expected start line status=0
    for fault in boot hang vivid stream; do
        case $fault in
        boot) expected="qemu ended before the guest was up|guest did not boot" ;;
        hang) expected="the guest did not boot within" ;;
        vivid) expected="has no vivid module" ;;
        stream) expected="delivered no frame within" ;;
        esac
        start=$SECONDS
        line=$(VIVID_LANE_FAULT=$fault "$0" "$@" 2>&1 | tail -n 1)
        if grep -Eq "^vivid-lane: FAILED: .*($expected)" <<<"$line" &&
            [ $((SECONDS - start)) -le 60 ]; then
            echo "vivid-lane: fault $fault: failed in $((SECONDS - start)) s as it should: ${line#vivid-lane: FAILED: }"
        else
            echo "vivid-lane: fault $fault: after $((SECONDS - start)) s: $line"
            status=1
        fi
    done
    return $status
}

if [ "${1:-}" = --check-faults ]; then
    shift
    check_faults "$@"
    exit
fi

build=$(cd "${1:-$root/build/x86_64}" && pwd) || verdict "no build tree ${1:-build/x86_64}"
bin=$build/bin
for program in vcxcap_any_camera_test.exe vcxcap-cli.exe vcxcap.dll; do
    [ -f "$bin/$program" ] || verdict "no $bin/$program: build the x86_64 tree first"
done
"$root/scripts/guest-vm.sh" --setup || verdict "the guest could not be set up"

prefix=$cache/wineprefix-$(dpkg-query -W -f='${Version}' wine64)
if [ ! -f "$prefix/.done" ]; then
    echo "vivid-lane: making the guest's Wine prefix $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    (export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
     timeout 300 wineboot -i >/dev/null 2>&1 && timeout 60 wineserver -w) ||
        verdict "wineboot could not make $prefix within 6 minutes"
    touch "$prefix/.done"
fi

out=$build/vivid-lane
rm -rf "$out"
mkdir -p "$out"
fault=${VIVID_LANE_FAULT:-}
append=
case $fault in
"" | vivid | stream) ;;
boot) append="rdinit=/nonexistent" ;; # the kernel finds no init: it panics
hang) append="rdinit=/bin/sh" ;;       # a shell waiting on the console: no boot
*) verdict "VIVID_LANE_FAULT must be boot, hang, vivid or stream" ;;
esac

start=$SECONDS
GUEST_OUT=$out GUEST_APPEND=$append GUEST_BOOT_TIMEOUT=${GUEST_BOOT_TIMEOUT:-40} \
    GUEST_TIMEOUT=${GUEST_TIMEOUT:-1500} \
    "$root/scripts/guest-vm.sh" "$root/scripts/vivid-guest.sh" "$bin" "$prefix" "$root" "$fault" \
    2>&1 | tee "$out/console.log"
status=${PIPESTATUS[0]}
echo "vivid-lane: $((SECONDS - start)) s in the guest"

if [ -f "$out/verdict" ]; then
    line=$(cat "$out/verdict")
    [ "$line" = ok ] && [ "$status" = 0 ] && { echo "vivid-lane: passed"; exit 0; }
    verdict "$line"
fi
line=$(grep '^guest-vm: ' "$out/console.log" | tail -n 1)
case $line in
"guest-vm: the guest ran "*) verdict "the guest's script ended without a verdict (status $status)" ;;
*) verdict "${line#guest-vm: }" ;;
esac
