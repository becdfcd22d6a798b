# shellcheck shell=bash disable=SC2154
# What the scripts that run vcxcap-cli.exe as a user would share (sourced):
#
#   expect STATUS PATTERN FILECHECK -- ARGUMENTS...
#
# runs "$wine" "$exe" ARGUMENTS... and checks its exit status, its output and
# the file it left. PATTERN is an extended regular expression each line of
# which must match some line of the output (stdout and stderr together);
# FILECHECK is "-", "none FILE" (no such file left), "bmp FILE [W H]" (a
# picture: check_picture FILE W H, which the sourcing script defines, prints
# what is wrong with it) or "avi FILE [W H]" (ffmpeg decodes it without a
# message, ffprobe finds a frame, of that size when given). The output of the
# last run is in $output; failures counts the failed rows (fail prints them,
# "SCRIPT: failed: ...").
failures=0
output=

fail() {
    echo "${0##*/}: failed: $*" >&2
    failures=$((failures + 1))
}

check_file() {
    local kind=$1 file=${2:-} width=${3:-} height=${4:-}
    case $kind in
    -) ;;
    none) [ ! -e "$file" ] || echo "left $file behind" ;;
    bmp) check_picture "$file" "$width" "$height" ;;
    avi)
        local messages probe w h frames
        messages=$(ffmpeg -v error -i "$file" -f null - 2>&1) || echo "$file: ffmpeg failed"
        [ -z "$messages" ] || echo "$file: decoding says: $messages"
        probe=$(ffprobe -v error -select_streams v:0 -count_frames \
            -show_entries stream=width,height,nb_read_frames -of csv=p=0 "$file" 2>&1) || true
        IFS=, read -r w h frames <<<"$probe"
        { [ -z "$width" ] || [ "$w,$h" = "$width,$height" ]; } && [ "${frames:-0}" -ge 1 ] ||
            echo "$file: ffprobe says '$probe', expected ${width:+${width}x$height }frames"
        ;;
    esac
}

expect() {
    local status=$1 pattern=$2 filecheck=$3
    shift 4
    local actual=0 start=$SECONDS
    output=$("$wine" "$exe" "$@" 2>&1) || actual=$?
    output=${output//$'\r'/}
    local problem=""
    [ "$actual" = "$status" ] || problem="exit status $actual, expected $status"
    while IFS= read -r line; do
        grep -Eq -- "$line" <<<"$output" || problem="${problem:+$problem; }no line matches '$line'"
    done <<<"$pattern"
    local fileproblem
    # shellcheck disable=SC2086
    fileproblem=$(check_file $filecheck)
    [ -z "$fileproblem" ] || problem="${problem:+$problem; }$fileproblem"
    if [ -n "$problem" ]; then
        fail "vcxcap-cli $*: $problem"
        sed 's/^/    | /' <<<"$output" | grep -v 'ALSA lib' >&2 || true
    else
        echo "${0##*/}: vcxcap-cli $*: ok ($((SECONDS - start)) s)"
    fi
}
