#!/usr/bin/env bash
# Puts the default vcxcam camera into the Wine prefix of the environment: no
# saved configuration, vcxcam.dll registered with regsvr32.
set -euo pipefail
# The tree's Wine launcher (VCX_WINE of tests/CMakeLists.txt): a 32-bit DLL is
# registered by the 32-bit regsvr32, in the 32-bit registry view.
wine=${VCX_WINE:-wine}
dll=${1:?usage: register-vcxcam.sh VCXCAM_DLL}
# regsvr32 reads a leading '/' as a switch: hand it the Windows path.
windows_dll=$("$wine" winepath -w "$dll" | tr -d '\r')
"$wine" reg delete 'HKCU\Software\vcxcam' /f >/dev/null 2>&1 || true
if "$wine" reg query 'HKCU\Software\vcxcam' >/dev/null 2>&1; then
    echo "register-vcxcam.sh: HKCU\Software\vcxcam could not be deleted" >&2
    exit 1
fi
"$wine" regsvr32 /s "$windows_dll"
echo "registered $windows_dll"
