// Times what the frame exports add to the copy and the write they cannot
// avoid, side by side in one run, at 640x480, 1280x720 and 1920x1080 on a
// running vcxcam capture (Null Renderer output): vcx_GetImageMem against a
// memcpy of the same bytes, and vcx_SaveBMP against one plain write of the
// same number of bytes to a file in the same folder. Medians of 25 runs.
// The snapshot copies the frame into a working buffer it takes from the
// process heap per call; a third timing, that copy into fresh heap memory
// followed by the plain write, shows what that costs.
// Registers vcxcam.dll next to the program in the current Wine prefix.
#include "bench_support.h"
#include "first_frame.h"
#include "harness.h"
#include "picture.h"
#include "vcxcap.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 25;
constexpr double kCopyLimit = 1.25; // vcx_GetImageMem / memcpy at 1920x1080
constexpr double kWriteLimit = 1.5; // vcx_SaveBMP / plain write

struct Size {
    int width, height;
};

// One CreateFileA, one WriteFile of size bytes, one CloseHandle.
bool plainWrite(const std::string& path, const void* data, DWORD size) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, data, size, &written, nullptr) && written == size;
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return ok;
}

// Returns false when the library did not deliver; prints one line per size.
bool measure(Size size, const std::string& folder, bool& withinLimits) {
    harness::configureCameras(
        {{L"", {std::to_wstring(size.width) + L"x" + std::to_wstring(size.height) + L"@30"}}});
    if (vcx_Open(0, 6, 0, 0, 0) != 0 || vcx_Play2() < 0) {
        std::fprintf(stderr, "frame_copy: opening or running the camera failed\n");
        return false;
    }
    const std::size_t bytes = vcxcam::frameSize(size.width, size.height);
    std::vector<unsigned char> bits(bytes), copy(bytes), source(bytes + 54, 0x5A), header(44);
    const std::string snapshot = folder + "frame_copy_snapshot.bmp";
    const std::string plain = folder + "frame_copy_plain.bmp";
    int result = harness::onceAFrameIsThere([&] {
        int length = static_cast<int>(bytes);
        return vcx_GetImageMem(bits.data(), &length, header.data());
    });
    std::vector<double> mem, cpy, save, write, heapWrite;
    for (int run = 0; run < kRuns && result == 0; ++run) {
        int length = static_cast<int>(bytes);
        double start = bench::nowSeconds();
        result = vcx_GetImageMem(bits.data(), &length, header.data());
        mem.push_back(bench::nowSeconds() - start);
        start = bench::nowSeconds();
        std::memcpy(copy.data(), source.data(), bytes);
        cpy.push_back(bench::nowSeconds() - start);
        start = bench::nowSeconds();
        result |= vcx_SaveBMP(snapshot.c_str());
        save.push_back(bench::nowSeconds() - start);
        start = bench::nowSeconds();
        result |= plainWrite(plain, source.data(), static_cast<DWORD>(bytes + 54)) ? 0 : -100;
        write.push_back(bench::nowSeconds() - start);
        start = bench::nowSeconds();
        void* working = HeapAlloc(GetProcessHeap(), 0, bytes + 54);
        std::memcpy(static_cast<unsigned char*>(working) + 54, source.data(), bytes);
        result |= plainWrite(plain, working, static_cast<DWORD>(bytes + 54)) ? 0 : -100;
        HeapFree(GetProcessHeap(), 0, working);
        heapWrite.push_back(bench::nowSeconds() - start);
        source[static_cast<std::size_t>(run)] = copy[bytes - 1]; // keeps the copy observable
    }
    vcx_Close();
    DeleteFileA(snapshot.c_str());
    DeleteFileA(plain.c_str());
    if (result != 0) {
        std::fprintf(stderr, "frame_copy: a frame export failed with %d\n", result);
        return false;
    }
    const double copyRatio = bench::median(mem) / bench::median(cpy);
    const double writeRatio = bench::median(save) / bench::median(write);
    std::printf("%4dx%-4d  GetImageMem %6.3f ms  memcpy %6.3f ms  ratio %.2f   SaveBMP %6.2f ms  "
                "plain write %6.2f ms  ratio %.2f   (heap copy + write %6.2f ms)\n",
                size.width, size.height, bench::median(mem) * 1e3, bench::median(cpy) * 1e3,
                copyRatio, bench::median(save) * 1e3, bench::median(write) * 1e3, writeRatio,
                bench::median(heapWrite) * 1e3);
    const std::string at = "@" + std::to_string(size.width) + "x" + std::to_string(size.height);
    const bool limited = size.width == 1920;
    bench::reportRatio("GetImageMem/memcpy" + at, copyRatio, limited ? "<=" : nullptr, kCopyLimit);
    bench::reportRatio("SaveBMP/plain_write" + at, writeRatio, limited ? "<=" : nullptr,
                       kWriteLimit);
    if (limited) {
        withinLimits = copyRatio <= kCopyLimit && writeRatio <= kWriteLimit;
    }
    return true;
}

} // namespace

int main() {
    try {
        std::printf("medians of %d runs each; limits at 1920x1080: GetImageMem/memcpy <= %.2f, "
                    "SaveBMP/plain write <= %.2f\n",
                    kRuns, kCopyLimit, kWriteLimit);
        const std::string folder = harness::narrow(harness::programFolder());
        bool withinLimits = false;
        bool delivered = vcx_Init() >= 0;
        for (const Size size : {Size{640, 480}, Size{1280, 720}, Size{1920, 1080}}) {
            delivered = delivered && measure(size, folder, withinLimits);
        }
        vcx_Exit();
        harness::restoreDefaultCameras();
        std::printf("%s\n", withinLimits ? "within the limits" : "NOT within the limits");
        return delivered ? (withinLimits ? 0 : 1) : 2;
    } catch (const harness::Failure& failure) {
        std::fprintf(stderr, "frame_copy: %s\n", failure.what());
        return 2;
    }
}
