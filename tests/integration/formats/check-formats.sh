#!/usr/bin/env bash
# Runs the capability test program under Wine in an empty work folder, then
# reads what it left with Debian's ffmpeg and ffprobe:
#
#   check-formats.sh WINE TEST.exe WORKDIR
#
# - NAME.jpg, NAME.bgr, NAME.size: ffmpeg's own decode of the camera's JPEG
#   must be the frame the host got through the vcxcam MJPEG decoder (bottom-up
#   BGR rows) within the two decoders' rounding: a PSNR of at least MIN_PSNR
#   dB.
# - NAME.avi, NAME.mjpeg, NAME.sizes: the recording decodes without a
#   message, ffprobe reads an mjpeg stream of 320x240 with frames, and its
#   frames copied out unchanged are the camera's first JPEGs, byte for byte,
#   each whole.
set -euo pipefail
wine=${1:?usage: check-formats.sh WINE TEST.exe WORKDIR}
exe=${2:?}
work=${3:?}
# Measured at 1920x1080: 52.5 dB between the two decoders' pictures, with
# ffmpeg's chroma upsampling and colour conversion at full precision (its
# default, fast path scores 36 dB); the host's frame upside down scores 10,
# shifted by two rows 23.
MIN_PSNR=45
CONVERSION=scale=flags=bilinear+accurate_rnd+full_chroma_int+full_chroma_inp+bitexact,format=bgr24

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$wine" "$exe"

status=0
fail() {
    echo "check-formats: $name: $*" >&2
    status=1
}

shopt -s nullglob
decodes=(*.jpg)
recordings=(*.avi)
[ ${#decodes[@]} -gt 0 ] || { echo "check-formats: no decoded frame left" >&2; exit 1; }
[ ${#recordings[@]} -gt 0 ] || { echo "check-formats: no recording left" >&2; exit 1; }

for jpg in "${decodes[@]}"; do
    name=${jpg%.jpg}
    # (written on Windows: CR LF)
    read -r width height < <(tr -d '\r' <"$name.size")
    # ffmpeg's decode of the JPEG against the host's frame, turned upright.
    report=$(ffmpeg -v info -nostats -i "$jpg" \
        -f rawvideo -pix_fmt bgr24 -s "${width}x$height" -i "$name.bgr" \
        -lavfi "[1:v]vflip,format=bgr24[host];[0:v]$CONVERSION[ffmpeg];[ffmpeg][host]psnr" \
        -f null - 2>&1) || { fail "ffmpeg could not compare: $report"; continue; }
    psnr=$(sed -n 's/.*PSNR .* average:\([0-9.inf]*\).*/\1/p' <<<"$report" | tail -n 1)
    if [ -z "$psnr" ]; then
        fail "no PSNR in: $report"
    elif [ "$psnr" != inf ] && ! awk -v p="$psnr" -v m="$MIN_PSNR" 'BEGIN { exit !(p >= m) }'; then
        fail "the host's frame is $psnr dB from ffmpeg's decode, below $MIN_PSNR"
    else
        echo "check-formats: $name: the host's frame is $psnr dB from ffmpeg's decode of the camera's JPEG"
    fi
done

for avi in "${recordings[@]}"; do
    name=${avi%.avi}
    messages=$(ffmpeg -v error -i "$avi" -f null - 2>&1) || fail "ffmpeg failed"
    [ -z "$messages" ] || fail "decoding says: $messages"
    probe=$(ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=codec_name,width,height,nb_read_frames -of default=nw=1 "$avi")
    value() { sed -n "s/^$1=//p" <<<"$probe"; }
    [ "$(value codec_name)" = mjpeg ] || fail "codec $(value codec_name), expected mjpeg"
    [ "$(value width)x$(value height)" = 320x240 ] || fail "size $(value width)x$(value height)"
    frames=$(value nb_read_frames)
    [ "${frames:-0}" -ge 1 ] || fail "no frames read"
    # The bytes the first $frames JPEGs take.
    expected=$(head -n "$frames" "$name.sizes" | tr -d '\r' | awk '{ total += $1 } END { print total + 0 }')
    [ "$(wc -l <"$name.sizes")" -ge "$frames" ] || fail "more frames ($frames) than the camera's list"
    ffmpeg -v error -i "$avi" -map 0:v:0 -c copy -f mjpeg - >"$name.copied"
    [ "$(stat -c %s "$name.copied")" = "$expected" ] ||
        fail "its $frames frames take $(stat -c %s "$name.copied") bytes, the camera's first $frames JPEGs $expected"
    cmp -s -n "$expected" "$name.copied" "$name.mjpeg" ||
        fail "its frames are not the camera's JPEGs: $(cmp -n "$expected" "$name.copied" "$name.mjpeg" 2>&1 | head -1)"
    echo "check-formats: $name: $frames frames of codec $(value codec_name), the camera's JPEGs byte for byte"
done
exit $status
