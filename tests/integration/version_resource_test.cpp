// The version resource of vcxcap.dll as a host (or an installer) reads it.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"

namespace {

TEST(VersionResource, FileAndProductVersionAre2_1_0_0) {
    const std::wstring dll = harness::programFolder() + L"vcxcap.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << harness::narrow(dll);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2)) << "file version 2.1";
    EXPECT_EQ(fixed->dwFileVersionLS, 0u) << "file version x.x.0.0";
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 2)) << "product version 2.1";
    EXPECT_EQ(fixed->dwProductVersionLS, 0u) << "product version x.x.0.0";
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"2.1.0.0");
}

} // namespace
