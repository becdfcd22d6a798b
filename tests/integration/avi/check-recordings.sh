#!/usr/bin/env bash
# Runs the AVI recording test program under Wine in an empty work folder,
# then checks every recording it leaves with Debian's ffprobe and ffmpeg:
#
#   check-recordings.sh WINE TEST.exe WORKDIR
#
# For each NAME.expect ("FRAMES WIDTH HEIGHT FPS [SHORTEST LONGEST SPACING]") it checks
# that NAME.avi decodes without a message, that a count of the frames read
# and of the video packets both give FRAMES, that the stream header counts
# the places up to the last frame's (drop chunks make none), that the size is WIDTH
# x HEIGHT, that the rate the header states (r_frame_rate, avg_frame_rate) is
# FPS within 1 % (and one frame more or less over SHORTEST, below, for a rate
# measured from the frames' arrival), that the stored frames, copied out unchanged, end with the
# bytes of NAME.raw, and that the last frame, reached by a seek (which goes
# through the file's indices, where reading on goes through the chunks), is
# the last frame of NAME.raw. With SHORTEST and LONGEST (the seconds the
# recording lasted at least and at most: the test's clock readings around Run
# and Stop) the duration ffprobe reads must lie within SPACING (the seconds
# between the frames the camera sent) plus 1 % of that span. A file of one RIFF segment must give the
# same packets (stream, time, size) read with its OpenDML indices, with its
# idx1 alone and with no index at all, and the sought last frame through idx1
# alone. With NAME.audio the file must hold a video and an audio stream, the
# audio, copied out, exactly the bytes of NAME.audio. NAME.sync holds "SYNC
# [TOLERANCE ENDS SKIPPED]": the audio's first sample must lie SYNC seconds
# after the first frame, within TOLERANCE (a millisecond when not given);
# unless ENDS is 0 (one stream outlived the other on purpose), both streams
# must end within one frame interval of each other, plus SKIPPED intervals
# (frame times the camera passed over, each of which moves the rest of its
# frames a place later). Frame k of the file (the k-th frame of NAME.raw's
# camera when it holds them all) must lie within one frame interval of the
# audio sample stamped with frame k's time (k frame intervals after the
# first frame, SYNC seconds less after the first sample), plus SKIPPED
# intervals later; the mean of those offsets is printed as the A/V offset.
# The work folder goes afterwards, recordings of gigabytes included.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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
# Whether a rate (a fraction as ffprobe prints it) is within 1 % of fps, and
# one frame more or less over the given seconds (none: 0).
rate_near() {
    awk -v r="$1" -v f="$2" -v t="${3:-0}" 'BEGIN {
        split(r, p, "/"); slack = f / 100 + (t > 0 ? 1 / t : 0)
        exit !(p[2] > 0 && (p[1] / p[2] - f) ^ 2 <= slack ^ 2) }'
}
# The packets as ffprobe reads them: stream, time, size.
packets() { ffprobe -v error -show_entries packet=stream_index,pts,size -of csv "$1"; }
for expect in "${expectations[@]}"; do
    name=${expect%.expect}
    read -r frames width height fps shortest longest spacing <"$expect"
    start=$SECONDS
    messages=$(ffmpeg -v error -i "$name.avi" -f null - 2>&1) || fail "ffmpeg failed"
    [ -z "$messages" ] || fail "decoding says: $messages"
    probe=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries \
        stream=width,height,pix_fmt,nb_frames,nb_read_frames,r_frame_rate,avg_frame_rate,duration \
        -of default=nw=1 "$name.avi")
    value() { sed -n "s/^$1=//p" <<<"$probe"; }
    [ "$(value width)" = "$width" ] || fail "width $(value width), expected $width"
    [ "$(value height)" = "$height" ] || fail "height $(value height), expected $height"
    [ "$(value nb_read_frames)" = "$frames" ] || fail "$(value nb_read_frames) frames read, expected $frames"
    # Drop chunks make no packets; the last frame's place is its time in frames.
    times=$(ffprobe -v error -select_streams v:0 -show_entries packet=pts -of csv=p=0 "$name.avi")
    [ "$(wc -l <<<"$times")" = "$frames" ] || fail "$(wc -l <<<"$times") video packets, expected $frames"
    [ "$(value nb_frames)" = "$(($(tail -1 <<<"$times") + 1))" ] ||
        fail "the header counts $(value nb_frames) places, the last frame is at $(tail -1 <<<"$times")"
    for rate in r_frame_rate avg_frame_rate; do
        rate_near "$(value $rate)" "$fps" "${shortest:-}" || fail "$rate $(value $rate), expected $fps fps"
    done
    if [ -n "${longest:-}" ]; then
        awk -v d="$(value duration)" -v lo="$shortest" -v hi="$longest" -v s="$spacing" \
            'BEGIN { exit !(d >= lo - s - lo / 100 && d <= hi + s + hi / 100) }' ||
            fail "lasts $(value duration) s, recorded $shortest to $longest s (frames $spacing s apart)"
    fi
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
    # Segments hold a GiB at most: a smaller file has one.
    if [ "$(stat -c %s "$name.avi")" -lt $((1 << 30)) ]; then
        "$here/avi_variant.py" "$name.avi" "$name.idx1.avi" indx
        "$here/avi_variant.py" "$name.avi" "$name.none.avi" indx idx1
        [ "$(packets "$name.avi")" = "$(packets "$name.idx1.avi")" ] ||
            fail "idx1 alone gives other packets than the OpenDML indices"
        [ "$(packets "$name.avi")" = "$(packets "$name.none.avi")" ] ||
            fail "the chunks alone give other packets than the indices"
        ffmpeg -v error -sseof -0.02 -i "$name.idx1.avi" -map 0:v:0 -c copy -frames:v 1 -f rawvideo - |
            cmp -s - <(tail -c "$frameBytes" "$name.raw") || fail "the last frame, sought through idx1, differs"
        rm -f "$name.idx1.avi" "$name.none.avi"
    fi
    sound=
    if [ -f "$name.audio" ]; then
        kinds=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$name.avi" | tr '\n' ' ')
        [ "$kinds" = "video audio " ] || fail "streams: $kinds, expected video and audio"
        ffmpeg -v error -i "$name.avi" -map 0:a:0 -c copy -f data - | cmp -s - "$name.audio" ||
            fail "the audio differs from the bytes fed"
        # Each stream's first time and end (its last packet's time and duration).
        sound=$(ffprobe -v error -show_entries packet=stream_index,pts_time,duration_time -of csv=p=0 \
            "$name.avi" | awk -F, '!($1 in first) { first[$1] = $2 } { end[$1] = $2 + $3 }
            END { printf "%.6f %.6f %.6f %.6f", first[0], end[0], first[1], end[1] }')
        read -r videoFirst videoEnd audioFirst audioEnd <<<"$sound"
        read -r sync tolerance ends skipped <"$name.sync"
        tolerance=${tolerance:-0.001} ends=${ends:-1} skipped=${skipped:-0}
        awk -v v="$videoFirst" -v a="$audioFirst" -v s="$sync" -v t="$tolerance" \
            'BEGIN { exit !((a - v - s) ^ 2 <= t ^ 2) }' ||
            fail "the audio starts $audioFirst s, the video $videoFirst s; expected $sync s apart"
        if [ "$ends" != 0 ]; then
            awk -v v="$videoEnd" -v a="$audioEnd" -v f="$fps" -v k="$skipped" \
                'BEGIN { exit !((a - v) ^ 2 <= ((1 + k) / f) ^ 2) }' ||
                fail "the video ends at $videoEnd s, the audio at $audioEnd s"
        fi
        # Each frame against the audio stamped with its time: mean, least, most.
        read -r mean least most < <(ffprobe -v error -select_streams v:0 -show_entries \
            packet=pts_time -of csv=p=0 "$name.avi" | awk -v a="$audioFirst" -v s="$sync" -v f="$fps" \
            '{ o = $1 - (a - s + (NR - 1) / f); sum += o
               if (NR == 1 || o < lo) lo = o
               if (NR == 1 || o > hi) hi = o }
             END { printf "%.6f %.6f %.6f\n", sum / NR, lo, hi }')
        awk -v lo="$least" -v hi="$most" -v f="$fps" -v k="$skipped" \
            'BEGIN { exit !(lo >= -1 / f && hi <= (1 + k) / f) }' ||
            fail "frames lie $least to $most s from the audio stamped with their times"
        sound=", video $videoFirst to $videoEnd s, audio $audioFirst to $audioEnd s,"
        sound+=$(awk -v m="$mean" -v lo="$least" -v hi="$most" \
            'BEGIN { printf " A/V offset %.2f ms (frames %.2f to %.2f ms)", m * 1000, lo * 1000, hi * 1000 }')
    fi
    echo "check-recordings: $name.avi: $(stat -c %s "$name.avi") bytes," \
        "$(value nb_read_frames) frames of $(value width)x$(value height) in $(value nb_frames)" \
        "places, r_frame_rate $(value r_frame_rate), avg_frame_rate $(value avg_frame_rate)," \
        "$(value duration) s${longest:+ (recorded $shortest to $longest s)}$sound," \
        "checked in $((SECONDS - start)) s"
done
exit $status
