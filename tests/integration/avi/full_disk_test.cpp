// A recording into a file system that fills up (check-full-disk.sh mounts a
// small tmpfs as "full" in the program's folder): the write that fails
// reaches the host as EC_ERRORABORT with the write's HRESULT, through
// vcx_GetEvent, while the preview goes on; the script then reads the file.
#include <gtest/gtest.h>

#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include <cstdio>

namespace {

constexpr int kAviFile = 300;

TEST(FullDisk, AFailedWriteArrivesAsErrorAbortWithItsResult) {
    harness::configureCameras({{L"", {L"160x120@30"}}});
    ASSERT_EQ(vcx_Init(), 0);
    static const wchar_t kFile[] = L"full\\rec.avi";
    ASSERT_EQ(vcx_Open(0, kAviFile, 0, reinterpret_cast<vcx_intptr>(kFile), 0), 0);
    ASSERT_GE(vcx_Play2(), 0);
    const ULONGLONG start = GetTickCount64();
    int code = 0;
    int param1 = 0;
    int param2 = 0;
    while (code != EC_ERRORABORT && GetTickCount64() - start < 20000) {
        code = vcx_GetEvent(&param1, &param2);
        ASSERT_GE(code, 0);
        if (code == 0) {
            Sleep(10);
        }
    }
    ASSERT_EQ(code, EC_ERRORABORT) << "no EC_ERRORABORT within 20 s";
    const int framesThen = vcx_GetFrameCount();
    std::printf("EC_ERRORABORT (0x%08X) after %llu ms, %d frames counted\n",
                static_cast<unsigned>(param1), GetTickCount64() - start, framesThen);
    EXPECT_TRUE(param1 == static_cast<int>(HRESULT_FROM_WIN32(ERROR_DISK_FULL)) ||
                param1 == static_cast<int>(HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL)))
        << std::hex << param1;
    // The recording ended, and with it every frame wait of the slot; the
    // preview through the Sample Grabber did not end.
    EXPECT_EQ(vcx_WaitFrame(framesThen, 2000), -12);
    Sleep(500);
    EXPECT_GT(vcx_GetFrameCount(), framesThen);
    EXPECT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Close(), 0);
    harness::resetLibrary();
    harness::restoreDefaultCameras();
}

} // namespace
