// Class identifiers of the vcxcam cameras, test compressors and colour
// converter. Camera N (0..7) and compressor N (0..15) have their base
// identifier with N as its last byte, so that each category lists them in
// their configured order (the System Device Enumerator lists a category's
// entries by class identifier).
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

constexpr int kMaxCompressors = 16;

// {6C0D5AE3-845E-4342-948A-8439CC0AC600} + N
inline CLSID compressorClsid(int index) {
    CLSID id = {0x6c0d5ae3, 0x845e, 0x4342, {0x94, 0x8a, 0x84, 0x39, 0xcc, 0x0a, 0xc6, 0x00}};
    id.Data4[7] = static_cast<unsigned char>(index);
    return id;
}

// The colour converter, of which there is one.
// {6C0D5AE3-845E-4342-948A-8439CC0AC700}
inline constexpr CLSID kConverterClsid = {
    0x6c0d5ae3, 0x845e, 0x4342, {0x94, 0x8a, 0x84, 0x39, 0xcc, 0x0a, 0xc7, 0x00}};

constexpr const wchar_t* kConverterName = L"vcxcam Colour Converter";

// Registry key, under HKEY_CURRENT_USER, of the camera configuration.
constexpr const wchar_t* kConfigKey = L"Software\\vcxcam";

constexpr const wchar_t* kDefaultFriendlyName = L"vcxcam Virtual Camera";

constexpr const wchar_t* kDefaultCompressorName = L"vcxcam Identity Compressor";

// Registry key, under HKEY_CURRENT_USER, where camera N keeps the settings of
// its properties (subkey N, a value per property).
constexpr const wchar_t* kControlsKey = L"Software\\vcxcam\\Controls";

// Registry key, under HKEY_CURRENT_USER, where a compressor records the
// dialog it was last asked to show.
constexpr const wchar_t* kLastDialogKey = L"Software\\vcxcam\\LastDialog";

} // namespace vcxcam

namespace vcxcam {

// The virtual microphones: Microphones\0 .. Microphones\7.
constexpr int kMaxMicrophones = 8;

// {6C0D5AE3-845E-4342-948A-8439CC0AC800} + N
inline CLSID microphoneClsid(int index) {
    CLSID id = {0x6c0d5ae3, 0x845e, 0x4342, {0x94, 0x8a, 0x84, 0x39, 0xcc, 0x0a, 0xc8, 0x00}};
    id.Data4[7] = static_cast<unsigned char>(index);
    return id;
}

constexpr const wchar_t* kDefaultMicrophoneName = L"vcxcam Virtual Microphone";

} // namespace vcxcam
