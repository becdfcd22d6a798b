// A media sample as a grabber's callback receives it: its bytes, its start
// and stop times (or none), and an observable reference count. GetPointer and
// GetTime are journaled ("sample.GetPointer") and fallible; a sample without
// times answers GetTime with VFW_E_SAMPLE_TIME_NOT_SET.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_com.h"

namespace fakes {

class FakeMediaSample : public FakeCom, public IMediaSample {
  public:
    explicit FakeMediaSample(std::string name = "sample", std::vector<unsigned char> bytes = {})
        : FakeCom(std::move(name)), bytes(std::move(bytes)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    std::vector<unsigned char> bytes;
    // Start and stop time; none: the sample carries no times.
    std::optional<std::pair<REFERENCE_TIME, REFERENCE_TIME>> times;
    // What GetActualDataLength answers; -1: the length of bytes.
    long actualLength = -1;

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) override;
    long STDMETHODCALLTYPE GetSize() override { return static_cast<long>(bytes.size()); }
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncPoint(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsPreroll() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPreroll(WINBOOL) override { return E_NOTIMPL; }
    long STDMETHODCALLTYPE GetActualDataLength() override {
        return actualLength >= 0 ? actualLength : static_cast<long>(bytes.size());
    }
    HRESULT STDMETHODCALLTYPE SetActualDataLength(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
};

} // namespace fakes
