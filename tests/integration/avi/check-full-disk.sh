#!/usr/bin/env bash
# Records into a file system that fills up: mounts a 2 MiB tmpfs as WORKDIR/full
# (root only; without the right to mount the test is skipped, status 77), runs
# the Wine test program in WORKDIR, then vcxcap-cli record into the same
# file system, and reads what each left with ffmpeg and ffprobe: a file that
# decodes without a message, whose header counts exactly the places it holds
# (its frames, at least one, of the camera's size, and the drop chunks of
# frame times the camera passed over).
#
#   check-full-disk.sh WINE full_disk_test.exe vcxcap-cli.exe WORKDIR
set -euo pipefail
wine=${1:?usage: check-full-disk.sh WINE full_disk_test.exe vcxcap-cli.exe WORKDIR}
exe=${2:?}
cli=${3:?}
work=${4:?}

rm -rf "$work"
mkdir -p "$work/full"
if ! mount -t tmpfs -o size=2m vcxcap-full "$work/full" 2>/dev/null; then
    echo "check-full-disk: no tmpfs can be mounted here (it takes root): skipped"
    rm -rf "$work"
    exit 77
fi
trap 'umount "$work/full" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8

status=0
fail() {
    echo "check-full-disk: $*" >&2
    status=1
}

# FILE WIDTH HEIGHT: the file holds whole frames only, and says how many places.
check_file() {
    local file=$1 width=$2 height=$3 messages probe
    messages=$(ffmpeg -v error -i "$file" -f null - 2>&1) || fail "$file: ffmpeg failed"
    [ -z "$messages" ] || fail "$file: decoding says: $messages"
    probe=$(ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=width,height,nb_frames,nb_read_frames -of default=nw=1 "$file")
    value() { sed -n "s/^$1=//p" <<<"$probe"; }
    [ "$(value width)x$(value height)" = "${width}x$height" ] ||
        fail "$file: $(value width)x$(value height), expected ${width}x$height"
    # Drop chunks make no packets; the last frame's place is its time in frames.
    local times
    times=$(ffprobe -v error -select_streams v:0 -show_entries packet=pts -of csv=p=0 "$file")
    [ "$(value nb_frames)" = "$(($(tail -1 <<<"$times") + 1))" ] ||
        fail "$file: the header counts $(value nb_frames) places, the last frame is at $(tail -1 <<<"$times")"
    [ "$(wc -l <<<"$times")" = "$(value nb_read_frames)" ] ||
        fail "$file: $(wc -l <<<"$times") packets, $(value nb_read_frames) frames read"
    [ "$(value nb_read_frames)" -ge 1 ] 2>/dev/null || fail "$file: no frame"
    echo "check-full-disk: $file: $(stat -c %s "$file") bytes, $(value nb_read_frames) frames of" \
        "${width}x$height, file system $(df --output=used,size -h full | tail -1)"
}

"$wine" "$exe" || fail "full_disk_test.exe failed"
check_file full/rec.avi 160 120
rm -f full/rec.avi

# The tool stops at once and names the failure (the default camera, 640x480).
start=$SECONDS
output=$("$wine" "$cli" record 0 'full\cli.avi' --seconds 60 2>&1) && actual=0 || actual=$?
output=${output//$'\r'/}
echo "$output" | grep -v 'ALSA lib' | sed 's/^/    | /'
[ "$actual" = 1 ] || fail "vcxcap-cli record answered $actual, expected 1"
grep -Eq '^vcxcap-cli: the recording failed after [0-9]+ s, EC_ERRORABORT \(0x800700(70|27)' \
    <<<"$output" || fail "vcxcap-cli record did not name the failed write"
[ $((SECONDS - start)) -lt 30 ] || fail "vcxcap-cli record ran on for $((SECONDS - start)) s"
check_file full/cli.avi 640 480
exit $status
