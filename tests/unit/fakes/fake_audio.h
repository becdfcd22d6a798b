// What the sound of a recording reaches: an audio device that may offer a
// reference clock, and Windows' AVI Mux with its multiplexer and
// interleaving configuration.
#pragma once

#include <string>
#include <vector>

#include "fakes/fake_directshow.h"

namespace fakes {

inline constexpr char kIReferenceClockName[] = "IReferenceClock";
inline constexpr char kIConfigAviMuxName[] = "IConfigAviMux";
inline constexpr char kIConfigInterleavingName[] = "IConfigInterleaving";

// An audio capture device: IBaseFilter, and IReferenceClock on the same
// object while offersClock (releases through it journaled apart). The clock's
// methods are never called by the library: E_NOTIMPL.
class FakeAudioDevice : public FakeFilterWith<IReferenceClock, kIReferenceClockName> {
  public:
    explicit FakeAudioDevice(std::string name)
        : FakeFilterWith(std::move(name), IID_IReferenceClock) {}
    void* find(REFIID iid) override;

    bool offersClock = true;

    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT,
                                         DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE,
                                             DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR) override { return E_NOTIMPL; }
};

// Windows' AVI Mux: IBaseFilter, IConfigAviMux and IConfigInterleaving on one
// object, each interface's releases journaled apart. SetMasterStream,
// put_Mode and put_Interleaving are journaled with their arguments
// ("SetMasterStream(1)", "put_Mode(2)", "put_Interleaving(10000000, 0)").
class FakeAviMux : public FakeFilter,
                   public SeparateRelease<IConfigAviMux, kIConfigAviMuxName>,
                   public SeparateRelease<IConfigInterleaving, kIConfigInterleavingName> {
  public:
    explicit FakeAviMux(std::string name) : FakeFilter(std::move(name)) {}
    FAKE_IUNKNOWN_SEPARATE_RELEASE
    void* find(REFIID iid) override;
    const char* filterReleaseName() const override { return kIBaseFilterName; }

    HRESULT STDMETHODCALLTYPE SetMasterStream(LONG stream) override;
    HRESULT STDMETHODCALLTYPE GetMasterStream(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOutputCompatibilityIndex(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputCompatibilityIndex(WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Mode(InterleavingMode mode) override;
    HRESULT STDMETHODCALLTYPE get_Mode(InterleavingMode*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Interleaving(const REFERENCE_TIME* interleave,
                                               const REFERENCE_TIME* preroll) override;
    HRESULT STDMETHODCALLTYPE get_Interleaving(REFERENCE_TIME*, REFERENCE_TIME*) override {
        return E_NOTIMPL;
    }
};

} // namespace fakes
