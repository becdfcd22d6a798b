#!/usr/bin/env bash
# Runs vcxcap-cli.exe under Wine as a user would, once per row of the table
# below, in an empty work folder, and checks its exit status, its output and
# the file it wrote:
#
#   check-cli.sh WINE vcxcap-cli.exe WORKDIR decode_snapshot.py
#
# A snapshot must be the camera's picture (decoded by Pillow), a recording
# must decode cleanly with ffmpeg and have at least one frame of the expected
# size (ffprobe). The default vcxcam camera streams 640x480.
set -euo pipefail
wine=${1:?usage: check-cli.sh WINE vcxcap-cli.exe WORKDIR decode_snapshot.py}
exe=${2:?}
work=${3:?}
decoder=${4:?}
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work"
mkdir -p "$work"
# Camera properties a row sets stay with the camera (in the prefix's
# registry): put the camera's defaults back for the tests after this one.
# A microphone a row configures is removed again the same way.
vcxcam_dll=$(cd "$(dirname "$exe")" && pwd)/vcxcam.dll
no_microphones() {
    "$wine" reg delete 'HKCU\Software\vcxcam\Microphones' /f >/dev/null 2>&1 || true
    "$wine" regsvr32 /s "$vcxcam_dll" >/dev/null 2>&1
}
trap '"$wine" reg delete '"'"'HKCU\Software\vcxcam\Controls'"'"' /f >/dev/null 2>&1 || true; no_microphones; rm -rf "$work"' EXIT
cd "$work"
# Arguments reach the program as UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8

# The camera's picture, decoded by Pillow.
check_picture() {
    /usr/bin/python3 "$decoder" "$1" "$2" "$3" >/dev/null 2>&1 ||
        echo "$1: $(/usr/bin/python3 "$decoder" "$1" "$2" "$3" 2>&1 | tail -1)"
}
# shellcheck source=tests/integration/cli/expect.sh
. "$here/expect.sh"

# Camera 0's faults (read each time a camera filter is made): a value, or none.
camera_fault() {
    "$wine" reg add 'HKCU\Software\vcxcam\Cameras\0' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}
no_faults() {
    "$wine" reg delete 'HKCU\Software\vcxcam\Cameras' /f >/dev/null 2>&1 || true
}
# Camera 0's Formats lines, separated by \0; no_faults takes them away.
camera_formats() {
    "$wine" reg add 'HKCU\Software\vcxcam\Cameras\0' /v Formats /t REG_MULTI_SZ /d "$1" /f >/dev/null 2>&1
}

# status  output                                            file                  arguments
expect 0 $'^  devices \n^  snap \n^  record \n^  watch '      -                  -- --help
expect 0 $'^video capture devices:\n^  0  vcxcam Virtual Camera$\n^  0  vcxcam Identity Compressor$\n^audio capture devices:' \
                                                              -                  -- devices
expect 2 'device is required'                                 -                  -- snap
expect 2 'device: Value -1 not in range'                      -                  -- snap -1 x.bmp
expect 2 'A subcommand is required'                          -                  -- film
expect 2 '--seconds is required'                              'none x.avi'       -- record 0 x.avi
expect 0 '^saved a 640x480 frame of device 0 to snap.bmp$'    'bmp snap.bmp 640 480' -- snap 0 snap.bmp
expect 0 'saved a 640x480 frame'                              'bmp café.bmp 640 480' -- snap 0 café.bmp
expect 1 "the path \"☃.bmp\" cannot be written in the system's ANSI code page" \
                                                              'none ☃.bmp'        -- snap 0 ☃.bmp
expect 1 '^vcxcap-cli: vcx_Open answered -4: the device index is not less than the number of video capture devices$' \
                                                              'none x.bmp'        -- snap 1 x.bmp
expect 1 'vcx_SaveBMP answered -8: the file could not be created' \
                                                              -                  -- snap 0 missing/x.bmp
expect 0 $'^capture formats of device 0:$\n^  0  640x480  30.00 fps  RGB24  VideoInfo  24 bit$\n^  1  320x240  30.00 fps  RGB24  VideoInfo  24 bit$\n^  3  1920x1080  30.00 fps  RGB24  VideoInfo  24 bit$' \
                                                              -                  -- formats 0
expect 1 'vcx_Open answered -4:'                              -                  -- formats 1
expect 0 $'^  width           640$\n^  height          480$\n^  frame interval  333333 x 100 ns \\(30.00 fps\\)$\n^  compression     RGB \\(0\\)$' \
                                                              -                  -- info 0
expect 0 'saved a 320x240 frame'                              'bmp small.bmp 320 240' -- snap 0 small.bmp --width 320 --height 240 --fps 15
expect 0 'saved a 1280x720 frame'                             'bmp wide.bmp 1280 720' -- snap 0 wide.bmp --width 1280
expect 1 'the device lists no format with width 800'          'none odd.bmp'      -- snap 0 odd.bmp --width 800

# One capability chosen by index or subtype, said which; what the device cannot take.
expect 0 $'^using capability 1: RGB24 320x240 at 30.00 fps \\(VideoInfo, 24 bit\\)$\n^saved a 320x240 frame' \
                                                              'bmp chosen.bmp 320 240' -- snap 0 chosen.bmp --format 1
expect 0 $'^using capability 2: RGB24 1280x720 at 30.00 fps\n^saved a 1280x720 frame' \
                                                              'bmp sub.bmp 1280 720' -- snap 0 sub.bmp --subtype rgb24 --width 1280
expect 1 '^vcxcap-cli: the device lists no capability 7 \(see .formats.\)$' \
                                                              'none x.bmp'        -- snap 0 x.bmp --format 7
expect 1 'the device lists no YUY2 capability'                'none x.bmp'        -- snap 0 x.bmp --subtype YUY2
expect 1 'vcx_SetDevFormat answered -6: the frame rate is not one the capability can take' \
                                                              'none x.bmp'        -- snap 0 x.bmp --format 0 --fps 15
expect 2 'excludes'                                           'none x.bmp'        -- snap 0 x.bmp --format 1 --width 320
# A camera of YUY2 and MJPG capabilities (read each time a camera filter is made).
camera_formats '640x480@30:YUY2\01920x1080@30:MJPG\0vi2:320x240@15:MJPG'
expect 0 $'^  0  640x480  30.00 fps  YUY2  VideoInfo  16 bit$\n^  1  1920x1080  30.00 fps  MJPG  VideoInfo  24 bit$\n^  2  320x240  15.00 fps  MJPG  VideoInfo2  24 bit$' \
                                                              -                  -- formats 0
expect 0 $'^using capability 1: MJPG 1920x1080 at 30.00 fps \\(VideoInfo, 24 bit\\)$\n^saved a 1920x1080 frame' \
                                                              -                  -- snap 0 mjpg.bmp --subtype mjpg
expect 0 $'^using capability 1: MJPG 1920x1080\n^recorded 1 s of device 0 to mjpg.avi' \
                                                              'avi mjpg.avi 1920 1080' -- record 0 mjpg.avi --seconds 1 --subtype MJPG --width 1920
expect 0 $'^using capability 0: YUY2 640x480 at 30.00 fps\n^watch 1 s: [0-9]+ frames' \
                                                              -                  -- watch 0 --seconds 1 --format 0
no_faults
# A camera that keeps its own rate: the rate in force is told.
camera_fault KeepRate 1
expect 0 $'^saved a 640x480 frame\n^vcxcap-cli: warning: asked for 15.00 fps, the format in force runs at 30.00 fps$' \
                                                              'bmp kept.bmp 640 480' -- snap 0 kept.bmp --width 640 --height 480 --fps 15
expect 0 $'^watch 1 s: \n^vcxcap-cli: warning: asked for 15.00 fps, the format in force runs at 30.00 fps$' \
                                                              -                  -- watch 0 --seconds 1 --width 640 --height 480 --fps 15
no_faults
# A camera whose formats state no rate, then one that also delivers a third
# of its frames: the rate in force is the one measured, told when it is off.
camera_fault ZeroFrameInterval 1
expect 0 '^  0  640x480  rate not reported  RGB24  VideoInfo  24 bit$' -                  -- formats 0
expect 0 '^  frame interval  0 \(rate not reported\)$'       -                  -- info 0
camera_fault DeliverEvery 3
expect 0 $'^saved a 640x480 frame\n^vcxcap-cli: warning: asked for 30.00 fps, the frames arrive at [0-9]+\\.[0-9]{2} fps \\(measured; the format in force reports no rate\\)$' \
                                                              'bmp slow.bmp 640 480' -- snap 0 slow.bmp --width 640 --height 480 --fps 30
expect 0 $'^recorded 2 s of device 0 to slow.avi\n^vcxcap-cli: warning: asked for 30.00 fps, the frames arrive at [0-9]+\\.[0-9]{2} fps \\(measured' \
                                                              'avi slow.avi 640 480' -- record 0 slow.avi --seconds 2 --width 640 --height 480 --fps 30
no_faults
expect 0 $'^recording 1/2 s, [0-9]+ bytes written$\n^recording 2/2 s, [0-9]+ bytes written$\n^recorded 2 s of device 0 to plain.avi \\([0-9]+ bytes\\)$' \
                                                              'avi plain.avi 640 480' -- record 0 plain.avi --seconds 2
expect 0 'recorded 1 s of device 0 through vcxcam Identity Compressor to ☃.avi' \
                                                              'avi ☃.avi 640 480' -- record 0 ☃.avi --seconds 1 --codec 'vcxcam Identity Compressor'
expect 1 'vcx_Open answered -49: no video compressor has exactly that name' \
                                                              'none y.avi'        -- record 0 y.avi --seconds 1 --codec 'vcxcam identity compressor'
expect 0 $'^watch 1 s: [0-9]+ frames, [0-9.]+ fps, 0 dropped\n^watch 2 s: [0-9]+ frames, [0-9]+\\.[0-9]{2} fps, 0 dropped$' \
                                                              -                  -- watch 0 --seconds 2
camera_fault LoseAfter 20
expect 1 $'^watch [0-9] s: 20 frames, .*, event EC_DEVICE_LOST \\(device removed\\)$\n^vcxcap-cli: the stream ended: EC_DEVICE_LOST \\(device removed\\)$' \
                                                              -                  -- watch 0 --seconds 5
no_faults
camera_fault StallAfter 15
expect 1 '^vcxcap-cli: the stream stalled: no frame for more than 1 s after frame 15$' \
                                                              -                  -- watch 0 --seconds 5
no_faults
camera_fault DropEvery 3
expect 0 '^watch 2 s: [0-9]+ frames, [0-9]+\.[0-9]{2} fps, [1-9][0-9]* dropped$' \
                                                              -                  -- watch 0 --seconds 2
no_faults

# Recording with sound: the audio arguments' refusals, with and without a
# microphone (Wine lists no audio capture device or compressor of its own).
expect 2 '--audio-codec requires --audio'                     'none a.avi'       -- record 0 a.avi --seconds 1 --audio-codec x
expect 2 'not RATE,CHANNELS,BITS: 48000,2'                    'none a.avi'       -- record 0 a.avi --seconds 1 --audio 0 --audio-format 48000,2
expect 1 'vcx_SetAudioDevice answered -4: there is no audio capture device' \
                                                              'none a.avi'       -- record 0 a.avi --seconds 1 --audio 0
"$wine" reg add 'HKCU\Software\vcxcam\Microphones\0' /v Formats /t REG_MULTI_SZ /d '44100,2,16' /f >/dev/null 2>&1
"$wine" regsvr32 /s "$vcxcam_dll" >/dev/null 2>&1
expect 0 $'^audio capture devices:\n^  0  vcxcam Virtual Microphone$\n^     formats: 44100,2,16$' \
                                                              -                  -- devices
expect 1 'vcx_SetAudioDevice answered -5: the index is not less than the number of audio capture devices' \
                                                              'none a.avi'       -- record 0 a.avi --seconds 1 --audio 1
expect 1 'vcx_SetAudioCodec answered -4: there is no audio compressor' \
                                                              'none a.avi'       -- record 0 a.avi --seconds 1 --audio 0 --audio-codec 'Any codec'
expect 1 'vcx_SetAudioFormat answered -2: the number of channels is outside 1..8' \
                                                              'none a.avi'       -- record 0 a.avi --seconds 1 --audio 0 --audio-format 48000,0,16
no_microphones

# Camera properties: the table, a setting kept for the next process, refusals
# with their meaning, and the device paths.
expect 0 $'^camera properties of device 0:$\n^  Brightness +0 +-64 +64 +1 +0 +0  manual  manual$\n^  Exposure +14 +-13 +-1 +1 +-6 +-?[0-9]+  auto    auto, manual$\n^  not supported: ColorEnable, Roll, Iris$' \
                                                              -                  -- controls 0
expect 0 '^Brightness = 20 \(manual\)$'                      -                  -- set 0 brightness=20
expect 0 '^  Brightness +0 +-64 +64 +1 +0 +20  manual  manual$'  -                -- controls 0
expect 1 $'^vcxcap-cli: brightness=500: vcx_SetDevControl answered -8: the value is outside the property\'s range \\(-64\\.\\.64\\)$\n^Exposure = -5 \\(manual\\)$\n^vcxcap-cli: hue=auto: vcx_SetDevControl answered -7: the property cannot be in that mode$' \
                                                              -                  -- set 0 brightness=500 exposure=-5 hue=auto
expect 1 'iris=3: vcx_SetDevControl answered -6: the device does not support that property' \
                                                              -                  -- set 0 iris=3
expect 2 "'shine=1': no property is named 'shine'"            -                  -- set 0 shine=1
expect 2 'settings is required'                               -                  -- set 0
expect 0 '^     path: \\\\\?\\root#vcxcam#0000$'            -                  -- devices --paths
expect 0 '^Brightness = 0 \(manual\)$'                       -                  -- set 0 brightness=0

if [ "$failures" -gt 0 ]; then
    echo "check-cli: $failures invocations failed" >&2
    exit 1
fi
