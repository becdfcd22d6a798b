#!/usr/bin/env bash
# Runs the AVI recording test program under Wine in an empty work folder,
# then checks every recording it leaves with Debian's ffprobe and ffmpeg:
#
#   check-recordings.sh WINE TEST.exe WORKDIR
#
# For each NAME.expect ("FRAMES WIDTH HEIGHT") it checks that NAME.avi
# decodes without a message, that the stream header and a count of the frames
# read both give FRAMES, that the size is WIDTH x HEIGHT, that the stored
# frames, copied out unchanged, end with the bytes of NAME.raw, and that the
# last frame, reached by a seek (which goes through the file's indices, where
# reading on goes through the chunks), is the last frame of NAME.raw. The work
# folder goes afterwards, recordings of gigabytes included.
set -euo pipefail
wine=${1:?usage: check-recordings.sh WINE TEST.exe WORKDIR}
exe=${2:?}
work=${3:?}

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$wine" "$exe"

status=0
fail() {
    echo "check-recordings: $name: $*" >&2
    status=1
}

shopt -s nullglob
expectations=(*.expect)
[ ${#expectations[@]} -gt 0 ] || { echo "check-recordings: no recordings" >&2; exit 1; }
for expect in "${expectations[@]}"; do
    name=${expect%.expect}
    read -r frames width height <"$expect"
    start=$SECONDS
    messages=$(ffmpeg -v error -i "$name.avi" -f null - 2>&1) || fail "ffmpeg failed"
    [ -z "$messages" ] || fail "decoding says: $messages"
    probe=$(ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=width,height,pix_fmt,nb_frames,nb_read_frames -of default=nw=1 "$name.avi")
    value() { sed -n "s/^$1=//p" <<<"$probe"; }
    [ "$(value width)" = "$width" ] || fail "width $(value width), expected $width"
    [ "$(value height)" = "$height" ] || fail "height $(value height), expected $height"
    [ "$(value nb_frames)" = "$frames" ] || fail "header counts $(value nb_frames) frames, expected $frames"
    [ "$(value nb_read_frames)" = "$frames" ] || fail "$(value nb_read_frames) frames read, expected $frames"
    rawBytes=$(stat -c %s "$name.raw")
    ffmpeg -v error -i "$name.avi" -map 0:v:0 -c copy -f rawvideo - | tail -c "$rawBytes" |
        cmp -s - "$name.raw" || fail "the last $rawBytes bytes of the frames differ"
    # The stored frame's size: 24-bit rows padded to 4 bytes, or the camera's own YUY2 or NV12
    # frame; the seek goes to a fiftieth of a second before the end
    case $(value pix_fmt) in
    bgr24) frameBytes=$(((width * 3 + 3) / 4 * 4 * height)) ;;
    yuyv422) frameBytes=$((width * 2 * height)) ;;
    nv12) frameBytes=$((width * height * 3 / 2)) ;;
    *) frameBytes=0; fail "unexpected pixel format $(value pix_fmt)" ;;
    esac
    ffmpeg -v error -sseof -0.02 -i "$name.avi" -map 0:v:0 -c copy -frames:v 1 -f rawvideo - |
        cmp -s - <(tail -c "$frameBytes" "$name.raw") || fail "the last frame, sought, differs"
    echo "check-recordings: $name.avi: $(stat -c %s "$name.avi") bytes," \
        "$(value nb_read_frames) frames of $(value width)x$(value height)," \
        "checked in $((SECONDS - start)) s"
done
exit $status
