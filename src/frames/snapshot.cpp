// vcx_SaveBMP: the newest frame of the active slot written to a BMP file.
#include "vcxcap.h"

#include <cstdint>

#include "core/platform.h"
#include "frames/grabber_steps.h"

using namespace vcx;

namespace {

constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kBitsOffset = kFileHeaderSize + sizeof(BITMAPINFOHEADER);
static_assert(sizeof(BITMAPFILEHEADER) == kFileHeaderSize);

// One WriteFile that wrote every byte.
bool writeAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return platform().writeFile(file, data, size, &written, nullptr) && written == size;
}

} // namespace

extern "C" int VCXAPI vcx_SaveBMP(const char* path) {
    // The file is created only once the frame is in hand.
    GrabbedFrame frame;
    const int32_t grabbed = frame.grabFromActiveSlot(-11);
    if (grabbed != 0) {
        return grabbed;
    }
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = kBitsOffset + static_cast<DWORD>(frame.size());
    fileHeader.bfOffBits = kBitsOffset;

    const Platform& os = platform();
    const HANDLE file = os.createFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -8;
    }
    const bool written = writeAll(file, &fileHeader, kFileHeaderSize) &&
                         writeAll(file, &frame.format().bitmapHeader(), sizeof(BITMAPINFOHEADER)) &&
                         writeAll(file, frame.bits(), static_cast<DWORD>(frame.size()));
    os.closeHandle(file);
    if (!written) {
        // No truncated bitmap is left behind.
        os.deleteFileA(path);
        return -10;
    }
    return 0;
}
