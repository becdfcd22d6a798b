// Class identifiers of the vcxcam cameras. Camera N (0..7) has the base
// identifier with N as its last byte, so that the video input category lists
// the cameras in their configured order.
#pragma once

#include <windows.h>

namespace vcxcam {

constexpr int kMaxCameras = 8;

// {6C0D5AE3-845E-4342-948A-8439CC0AC500} + N
inline CLSID cameraClsid(int index) {
    CLSID id = {0x6c0d5ae3, 0x845e, 0x4342, {0x94, 0x8a, 0x84, 0x39, 0xcc, 0x0a, 0xc5, 0x00}};
    id.Data4[7] = static_cast<unsigned char>(index);
    return id;
}

// Registry key, under HKEY_CURRENT_USER, of the camera configuration.
constexpr const wchar_t* kConfigKey = L"Software\\vcxcam";

constexpr const wchar_t* kDefaultFriendlyName = L"vcxcam Virtual Camera";

} // namespace vcxcam
