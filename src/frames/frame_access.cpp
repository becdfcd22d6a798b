// The newest frame of the active slot's Sample Grabber: its sizes, a copy
// into the host's memory, and its painting onto a device context.
#include "vcxcap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/host_handle.h"
#include "core/platform.h"
#include "core/slots.h"
#include "frames/grabber_steps.h"

using namespace vcx;

namespace {

// The rows of the frame that the copied bytes hold in full: never more than
// the header's height, never a row past what the grabber filled.
int64_t rowsCopied(const BITMAPINFOHEADER& header, LONG copied) {
    const int64_t stride = (int64_t{header.biWidth} * header.biBitCount + 31) / 32 * 4;
    if (stride <= 0) {
        return 0;
    }
    return std::min<int64_t>(std::llabs(header.biHeight), copied / stride);
}

} // namespace

extern "C" int VCXAPI vcx_GetImageMemSize(int headerFlag) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    if (headerFlag != 0) {
        return kFrameHeaderSize;
    }
    ISampleGrabber* grabber = activeSlot().grabber;
    if (grabber == nullptr) {
        return -3;
    }
    ConnectedFormat format;
    if (!readGrabberFormat(grabber, format)) {
        return -2;
    }
    return static_cast<int>(format.sampleSize());
}

extern "C" int VCXAPI vcx_GetImageMem(void* bits, int* bitsSize, void* header) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    ISampleGrabber* grabber = activeSlot().grabber;
    if (grabber == nullptr) {
        return -8;
    }
    if (header == nullptr) {
        return -9;
    }
    ConnectedFormat format;
    if (!readGrabberFormat(grabber, format)) {
        return -2;
    }
    // Straight from the grabber into the host's memory: no copy of our own.
    static_assert(sizeof(int) == sizeof(LONG));
    const int32_t copied = copyGrabberBuffer(grabber, reinterpret_cast<LONG*>(bitsSize), bits);
    if (copied != 0) {
        return copied;
    }
    // Host memory has no alignment to rely on: built here, copied there.
    BITMAPINFO frameHeader;
    fillFrameHeader(format, frameHeader);
    std::memcpy(header, &frameHeader, sizeof frameHeader);
    return 0;
}

extern "C" int VCXAPI vcx_GetImage(int hdc, int destX, int destY, int width, int height) {
    GrabbedFrame frame;
    const int32_t grabbed = frame.grabFromActiveSlot(-10);
    if (grabbed != 0) {
        return grabbed;
    }
    BITMAPINFO header;
    fillFrameHeader(frame.format(), header);
    const int64_t rows = rowsCopied(header.bmiHeader, frame.size());
    const auto scanLines = static_cast<UINT>(std::clamp<int64_t>(height, 0, rows));
    const int painted = platform().setDIBitsToDevice(
        hostHandle<HDC>(hdc), destX, destY, static_cast<DWORD>(width), static_cast<DWORD>(height),
        0, 0, 0, scanLines, frame.bits(), &header, DIB_RGB_COLORS);
    return painted != 0 ? 0 : -8;
}
