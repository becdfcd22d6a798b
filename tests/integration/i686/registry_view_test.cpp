// The i686 vcxcam registered by the 32-bit regsvr32 (the vcxcam_register
// fixture) is where a 32-bit host looks for it, the 32-bit registry view,
// and only there: a 64-bit host must not find a 32-bit in-process server.
#include <gtest/gtest.h>

#include "harness.h"
#include "ids.h"

#include <windows.h>

#include <optional>
#include <string>

namespace {

// {860BB310-5D01-11D0-BD3B-00A0C911CE86}, the video input device category.
const std::wstring kVideoInputCategory = L"{860BB310-5D01-11D0-BD3B-00A0C911CE86}";

std::optional<std::wstring> defaultValue(const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t text[MAX_PATH] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::optional<std::wstring>(text)
                                                     : std::optional<std::wstring>(L"");
}

struct KeyCase {
    const char* name;
    std::wstring path;  // under HKLM
    bool hasServerPath; // its default value is the path of vcxcam.dll
};

class RegistryView : public testing::TestWithParam<KeyCase> {};

INSTANTIATE_TEST_SUITE_P(
    Keys, RegistryView,
    testing::Values(KeyCase{"InprocServer",
                            L"Software\\Classes\\CLSID\\" +
                                harness::guidString(vcxcam::cameraClsid(0)) + L"\\InprocServer32",
                            true},
                    KeyCase{"CategoryEntry",
                            L"Software\\Classes\\CLSID\\" + kVideoInputCategory + L"\\Instance\\" +
                                harness::guidString(vcxcam::cameraClsid(0)),
                            false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(RegistryView, CameraIsInThe32BitViewOnly) {
    const KeyCase& c = GetParam();
    const std::optional<std::wstring> view32 = defaultValue(c.path, KEY_WOW64_32KEY);
    ASSERT_TRUE(view32.has_value()) << "not in the 32-bit view";
    if (c.hasServerPath) {
        EXPECT_EQ(_wcsicmp(view32->c_str(), harness::vcxcamPath().c_str()), 0)
            << harness::narrow(*view32);
    }
    EXPECT_FALSE(defaultValue(c.path, KEY_WOW64_64KEY).has_value()) << "also in the 64-bit view";
}

} // namespace
