// The steps every frame export takes on the slot's Sample Grabber: fetching
// the connected format, copying the newest sample, building the frame header,
// and, for the exports that need the frame in their own memory, the three
// together into a working buffer.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <cstdint>

#include "frames/heap_buffer.h"

namespace vcx {

// The frame header: the connected format's bitmap header and one zero RGBQUAD.
constexpr int32_t kFrameHeaderSize = 44;
static_assert(sizeof(BITMAPINFO) == kFrameHeaderSize);

// The grabber's connected media type, owned by one call: its format block and
// pUnk are freed when the holder goes, whatever path the call took.
class ConnectedFormat {
  public:
    ConnectedFormat();
    ConnectedFormat(const ConnectedFormat&) = delete;
    ConnectedFormat& operator=(const ConnectedFormat&) = delete;
    ~ConnectedFormat();

    AM_MEDIA_TYPE* type() { return &type_; }
    ULONG sampleSize() const { return type_.lSampleSize; }
    // The bitmap header of the VIDEOINFOHEADER format block; only after
    // readGrabberFormat succeeded.
    const BITMAPINFOHEADER& bitmapHeader() const;

  private:
    AM_MEDIA_TYPE type_;
};

// GetConnectedMediaType into format. False when the grabber does not answer
// S_OK, or answers with a format block too small for a VIDEOINFOHEADER.
bool readGrabberFormat(ISampleGrabber* grabber, ConnectedFormat& format);

// GetCurrentBuffer with size and buffer handed on unchanged, its result
// mapped: E_INVALIDARG -3, E_OUTOFMEMORY -4, E_POINTER -5,
// VFW_E_NOT_CONNECTED -6, VFW_E_WRONG_STATE -7, any other failure
// kCopyFailed (nothing was copied, so no export may go on as if it had
// been), any success 0.
constexpr int32_t kCopyFailed = -12;
int32_t copyGrabberBuffer(ISampleGrabber* grabber, LONG* size, void* buffer);

// Zeroes the 44 header bytes and copies the bitmap header to their start.
void fillFrameHeader(const ConnectedFormat& format, BITMAPINFO& header);

// The newest frame copied into a working buffer of lSampleSize bytes from
// the process heap; format and buffer are freed with the object.
class GrabbedFrame {
  public:
    // 0 once the frame is copied; -2 no connected format; -3..-7 and
    // kCopyFailed as copyGrabberBuffer, and -4 as well when the grabber reports more bytes
    // than the buffer holds; noMemory when the buffer cannot be allocated.
    int32_t grab(ISampleGrabber* grabber, int32_t noMemory);
    // The same from the active slot's grabber, after the guard that the slot
    // is open or running (-1); -9 when the slot has no grabber.
    int32_t grabFromActiveSlot(int32_t noMemory);

    const ConnectedFormat& format() const { return format_; }
    const void* bits() const { return bits_.get(); }
    // The bytes the grabber copied.
    LONG size() const { return size_; }

  private:
    ConnectedFormat format_;
    HeapBuffer bits_;
    LONG size_ = 0;
};

} // namespace vcx
