#include "fakes/fake_media_sample.h"

namespace fakes {

void* FakeMediaSample::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IMediaSample) {
        return static_cast<IMediaSample*>(this);
    }
    return nullptr;
}

HRESULT FakeMediaSample::GetPointer(BYTE** buffer) {
    *buffer = nullptr;
    const HRESULT hr = call("GetPointer");
    if (SUCCEEDED(hr)) {
        *buffer = bytes.data();
    }
    return hr;
}

HRESULT FakeMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    const HRESULT hr = call("GetTime");
    if (FAILED(hr)) {
        return hr;
    }
    if (!times) {
        return VFW_E_SAMPLE_TIME_NOT_SET;
    }
    *start = times->first;
    *stop = times->second;
    return hr;
}

} // namespace fakes
