#!/usr/bin/env bash
# What holds for any camera, in an empty work folder: runs
# vcxcap_any_camera_test.exe against the cameras named, then reads what it
# left with tools of their own, then runs vcxcap-cli's commands on the first
# camera as a user would:
#
#   check-any-camera.sh WINE BINDIR WORKDIR CAMERAS PICTURE RATES
#
# BINDIR holds the program, vcxcap-cli.exe and the DLLs; CAMERAS is
# "INDEX@FPS[,INDEX@FPS...]", each device's index and the rate it was set to;
# PICTURE is what the cameras show (colour-bars, vcxcam, or anything else
# for a picture left unchecked); RATES is "reported" (the formats state their
# rate and the camera runs at the one asked for) or "unreported" (the formats
# state none and the camera keeps the rate it was set to, whatever is asked).
# Checked with independent readers:
#   * each snapshot-*-WxH.bmp decodes (Pillow) to a picture of its camera;
#   * each recording-*.avi decodes cleanly (ffmpeg) and has frames (ffprobe);
#     one with a .expect ("WALL_SECONDS FRAMES FPS") lasts, as ffprobe reads
#     its header, the wall time within 5 %.
#
#   * vcxcap-cli's recording lasts its --seconds within 5 % and two frame
#     intervals;
#   * vcxcap-cli tells the rates: no "inf" in its lists, "rate not reported"
#     where the formats state none, no warning for --fps at the rate each
#     camera runs at, and (RATES unreported) a warning with the measured rate, within
#     10 % of the camera's, for --fps at three times it.
#
# Settings: CLI_SECONDS (default 3), the length of the CLI's watch and record.
set -euo pipefail
wine=${1:?usage: check-any-camera.sh WINE BINDIR WORKDIR CAMERAS PICTURE RATES}
bin=${2:?}
work=${3:?}
cameras=${4:?}
picture=${5:?}
rates=${6:?}
case $rates in
reported) listed='[0-9]+\.[0-9]{2} fps' interval='[1-9][0-9]* x 100 ns \([0-9]+\.[0-9]{2} fps\)' ;;
unreported) listed='rate not reported' interval='0 \(rate not reported\)' ;;
*) echo "check-any-camera.sh: RATES must be reported or unreported, not $rates" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
exe=$bin/vcxcap-cli.exe
seconds=${CLI_SECONDS:-3}

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8

# A BMP of the camera's picture, of that size when given.
check_picture() {
    /usr/bin/python3 "$here/check_picture.py" "$1" "$picture" ${2:+"$2" "$3"} 2>&1 >/dev/null |
        tail -n 1 || true
}
# shellcheck source=tests/integration/cli/expect.sh
. "$here/../cli/expect.sh"
# The last command's output has none of these words.
no_word() {
    local word
    for word; do
        ! grep -qw -- "$word" <<<"$output" || fail "vcxcap-cli says '$word': $(grep -w -- "$word" <<<"$output" | head -n 1)"
    done
}

# --- the program ---------------------------------------------------------
start=$SECONDS
VCX_TEST_CAMERAS=$cameras VCX_TEST_PICTURE=$picture "$wine" "$bin/vcxcap_any_camera_test.exe" ||
    fail "vcxcap_any_camera_test failed (above)"
echo "check-any-camera: the program took $((SECONDS - start)) s"
start=$SECONDS

# --- the files it left ------------------------------------------------------
shopt -s nullglob
snapshots=(snapshot-*.bmp)
[ ${#snapshots[@]} -gt 0 ] || fail "the program left no snapshot"
for bmp in "${snapshots[@]}"; do
    size=${bmp##*-}
    size=${size%.bmp}
    problem=$(check_picture "$bmp" "${size%x*}" "${size#*x}")
    if [ -z "$problem" ]; then
        echo "check-any-camera: $bmp: the camera's picture"
    else
        fail "$problem"
    fi
done

recordings=(recording-*.avi)
[ ${#recordings[@]} -gt 0 ] || fail "the program left no recording"
for avi in "${recordings[@]}"; do
    problem=$(check_file avi "$avi")
    [ -z "$problem" ] || { fail "$problem"; continue; }
    expectation=${avi%.avi}.expect
    [ -f "$expectation" ] || continue
    # (a line the program ended with CR LF)
    IFS=$' \t\r' read -r wall frames fps <"$expectation"
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$avi")
    verdict=$(awk -v d="$duration" -v w="$wall" \
        'BEGIN { r = d / w - 1; print (r <= 0.05 && r >= -0.05) ? "ok" : "off"; printf " %+.1f %%", 100 * r }')
    said="$avi: $frames frames at $fps fps over $wall s of wall time last ${duration} s:${verdict#* }"
    case $verdict in
    ok*) echo "check-any-camera: $said" ;;
    *) fail "$said, not within 5 %" ;;
    esac
done

echo "check-any-camera: its files took $((SECONDS - start)) s"

# --- the command-line tool on the first camera -------------------------------
d=${cameras%%@*}
rate=${cameras#*@}
rate=${rate%%,*}
expect 0 $'^video capture devices:$\n^  '"$d"'  .+$'             -  -- devices
expect 0 $'^  width +[1-9][0-9]*$\n^  height +-?[1-9][0-9]*$\n^  frame interval  '"$interval"'$' \
                                                               -  -- info "$d"
no_word inf nan
expect 0 '^camera properties of device '"$d"':$'                -  -- controls "$d"
# Brightness to its minimum and back to its default, when the camera has it:
# "  Brightness  NUMBER  MINIMUM  MAXIMUM  STEP  DEFAULT  VALUE  MODE  MODES"
read -r _ _ minimum _ _ default _ < <(grep -E '^  Brightness ' <<<"$output" || true) || true
if [ -n "${default:-}" ]; then
    expect 0 $'^Brightness = '"$minimum"$' \\(manual\\)$\n^Brightness = '"$default"$' \\(manual\\)$' \
                                                               -  -- set "$d" "brightness=$minimum" "brightness=$default"
fi
expect 0 '^saved a [0-9]+x[0-9]+ frame of device '"$d"' to snap.bmp$' 'bmp snap.bmp' -- snap "$d" snap.bmp
expect 0 '^watch '"$seconds"' s: [0-9]+ frames, [0-9.]+ fps'    -  -- watch "$d" --seconds "$seconds"
# the last second's rate, within half and twice the device's
watched=$(sed -nE 's/^watch [0-9]+ s: [0-9]+ frames, ([0-9.]+) fps.*/\1/p' <<<"$output" | tail -n 1)
awk -v r="${watched:-0}" -v f="$rate" 'BEGIN { exit !(r >= f / 2 && r <= 2 * f) }' ||
    fail "vcxcap-cli watch $d: ${watched:-no} fps, the device was set to $rate"
expect 0 '^recorded '"$seconds"' s of device '"$d"' to rec.avi'  'avi rec.avi' -- record "$d" rec.avi --seconds "$seconds"
# It plays as long as it recorded: within 5 %, with a frame interval of slack
# at each end (the first frame comes some time after the run begins).
if [ -f rec.avi ]; then
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 rec.avi)
    if awk -v d="${duration:-0}" -v s="$seconds" -v f="$rate" \
        'BEGIN { x = d - s; exit !((x < 0 ? -x : x) <= 0.05 * s + 2 / f) }'; then
        echo "check-any-camera: rec.avi: $seconds s recorded at $rate fps last $duration s"
    else
        fail "vcxcap-cli record $d rec.avi --seconds $seconds: the file lasts ${duration:-no} s"
    fi
fi

# Each camera's formats, and --fps at the rate it runs at (in its first
# format's size: in an emulated guest the larger ones come slower) goes
# without a warning; one that keeps its rate, asked for three times it, warns
# with the rate its frames arrive at.
for camera in ${cameras//,/ }; do
    expect 0 $'^capture formats of device '"${camera%@*}"$':$\n^  0  [0-9]+x[0-9]+  '"$listed"'  ' \
                                                               -  -- formats "${camera%@*}"
    no_word inf nan
    size=$(sed -nE 's/^  0  ([0-9]+x[0-9]+)  .*/\1/p' <<<"$output")
    size=${size:-640x480}
    expect 0 '^saved a '"$size"' frame of device '"${camera%@*}"' to at-rate.bmp$' "bmp at-rate.bmp ${size%x*} ${size#*x}" \
        -- snap "${camera%@*}" at-rate.bmp --width "${size%x*}" --height "${size#*x}" --fps "${camera#*@}"
    no_word warning
done
if [ "$rates" = unreported ]; then
    warned='^vcxcap-cli: warning: asked for '"$((3 * rate))"'\.00 fps, the frames arrive at [0-9]+\.[0-9]{2} fps \(measured; the format in force reports no rate\)$'
    expect 0 '^saved a 640x480 frame of device '"$d"' to off-rate.bmp$'$'\n'"$warned" \
        'bmp off-rate.bmp 640 480' -- snap "$d" off-rate.bmp --width 640 --height 480 --fps $((3 * rate))
    measured=$(sed -nE 's/.* the frames arrive at ([0-9.]+) fps.*/\1/p' <<<"$output")
    awk -v m="${measured:-0}" -v f="$rate" 'BEGIN { exit !(m >= 0.9 * f && m <= 1.1 * f) }' ||
        fail "vcxcap-cli snap $d --fps $((3 * rate)): measured ${measured:-no} fps, the device runs at $rate"
fi

if [ "$failures" -gt 0 ]; then
    echo "check-any-camera: $failures checks failed" >&2
    exit 1
fi
echo "check-any-camera: every check passed"
