#!/usr/bin/env bash
# The guest's half of scripts/vivid-lane.sh (run by guest-vm.sh, as root, in
# the guest): the kernel's vivid test driver as two webcams, /dev/video0 at
# 5 fps and /dev/video1 at 30 fps (vivid starts at 5; Wine's capture filter
# never sets a rate), then tests/integration/any_camera/check-any-camera.sh
# under Wine against them through Wine's own capture filter.
#
#   vivid-guest.sh BINDIR WINEPREFIX SOURCE_DIR [FAULT]
#
# Every stage has a timeout. The outcome is one line in /guest/out/verdict
# ("ok", or what failed), the checks' output in /guest/out/checks.log. FAULT
# (vivid or stream) breaks a stage on purpose, to check the lane's failure
# paths: the vivid module hidden, or every buffer the devices fill dropped.
bin=${1:?usage: vivid-guest.sh BINDIR WINEPREFIX SOURCE_DIR [FAULT]}
prefix=${2:?}
source=${3:?}
fault=${4:-}
out=/guest/out

say() { echo "[guest $(cut -d' ' -f1 /proc/uptime) s] $*"; }
verdict() {
    echo "$1" >"$out/verdict"
    say "$1"
    exit 1
}

# --- the devices -------------------------------------------------------------
if [ "$fault" = vivid ]; then
    mount -t tmpfs none "/lib/modules/$(uname -r)/kernel/drivers/media/test-drivers"
fi
# n_devs=2: two instances; node_types 0x1: a video capture node only;
# input_types 0x0: one webcam input each
timeout 30 modprobe vivid n_devs=2 node_types=0x1,0x1 num_inputs=1,1 input_types=0x0,0x0 ||
    verdict "kernel $(uname -r) has no vivid module (modprobe vivid failed)"
for d in 0 1; do
    [ -c /dev/video$d ] || verdict "vivid made no /dev/video$d"
done
timeout 10 v4l2-ctl -d0 --set-parm=5 >/dev/null && timeout 10 v4l2-ctl -d1 --set-parm=30 >/dev/null ||
    verdict "v4l2-ctl could not set the devices' rates"
if [ "$fault" = stream ]; then
    for d in 0 1; do v4l2-ctl -d$d -c percentage_of_dropped_buffers=100; done
fi
for d in 0 1; do
    timeout 20 v4l2-ctl -d$d --stream-mmap --stream-count=1 --stream-to=/dev/null >/dev/null 2>&1 ||
        verdict "vivid's /dev/video$d delivered no frame within 20 s"
done
say "vivid: /dev/video0 at 5 fps, /dev/video1 at 30 fps"

# --- Wine ----------------------------------------------------------------------
Xvfb :99 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
export DISPLAY=:99 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# The server stays up between the programs: each later one starts faster.
wineserver -p600
timeout 240 wine cmd /c exit </dev/null >/dev/null 2>&1 || verdict "Wine did not start within 240 s"
say "Wine up"

# --- the checks ------------------------------------------------------------------
timeout 1200 \
    "$source/tests/integration/any_camera/check-any-camera.sh" wine "$bin" /tmp/any-camera \
    0@5,1@30 colour-bars unreported 2>&1 | grep --line-buffered -v '^ALSA lib' | tee "$out/checks.log"
status=${PIPESTATUS[0]}
wineserver -k
case $status in
0) echo ok >"$out/verdict" ;;
124) verdict "the checks on vivid did not end within 1200 s" ;;
*) verdict "$(grep -c ': failed: ' "$out/checks.log") checks on vivid failed, the first: $(
    grep -m 1 ': failed: ' "$out/checks.log" | sed 's/^[^:]*: failed: //')" ;;
esac
