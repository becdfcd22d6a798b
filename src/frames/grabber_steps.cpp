#include "frames/grabber_steps.h"

#include <cstring>

#include "core/directshow.h"
#include "core/slots.h"

namespace vcx {

ConnectedFormat::ConnectedFormat() {
    std::memset(&type_, 0, sizeof type_);
}

ConnectedFormat::~ConnectedFormat() {
    freeMediaTypeFields(type_);
}

const BITMAPINFOHEADER& ConnectedFormat::bitmapHeader() const {
    return reinterpret_cast<const VIDEOINFOHEADER*>(type_.pbFormat)->bmiHeader;
}

bool readGrabberFormat(ISampleGrabber* grabber, ConnectedFormat& format) {
    AM_MEDIA_TYPE* type = format.type();
    if (grabber->GetConnectedMediaType(type) != S_OK) {
        return false;
    }
    return type->pbFormat != nullptr && type->cbFormat >= sizeof(VIDEOINFOHEADER);
}

int32_t copyGrabberBuffer(ISampleGrabber* grabber, LONG* size, void* buffer) {
    const HRESULT hr = grabber->GetCurrentBuffer(size, static_cast<LONG*>(buffer));
    switch (hr) {
    case E_INVALIDARG:
        return -3;
    case E_OUTOFMEMORY:
        return -4;
    case E_POINTER:
        return -5;
    case VFW_E_NOT_CONNECTED:
        return -6;
    case VFW_E_WRONG_STATE:
        return -7;
    default:
        return FAILED(hr) ? kCopyFailed : 0;
    }
}

void fillFrameHeader(const ConnectedFormat& format, BITMAPINFO& header) {
    std::memset(&header, 0, sizeof header);
    header.bmiHeader = format.bitmapHeader();
}

int32_t GrabbedFrame::grab(ISampleGrabber* grabber, int32_t noMemory) {
    if (!readGrabberFormat(grabber, format_)) {
        return -2;
    }
    const ULONG capacity = format_.sampleSize();
    if (!bits_.allocate(capacity)) {
        return noMemory;
    }
    size_ = static_cast<LONG>(capacity);
    const int32_t copied = copyGrabberBuffer(grabber, &size_, bits_.get());
    if (copied != 0) {
        return copied;
    }
    // Nothing past the buffer may be painted or written, whatever the
    // grabber claims to have copied.
    if (size_ < 0 || static_cast<ULONG>(size_) > capacity) {
        return -4;
    }
    return 0;
}

int32_t GrabbedFrame::grabFromActiveSlot(int32_t noMemory) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    ISampleGrabber* grabber = activeSlot().grabber;
    return grabber == nullptr ? -9 : grab(grabber, noMemory);
}

} // namespace vcx
