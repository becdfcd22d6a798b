// A camera filter with IAMVideoProcAmp and IAMCameraControl on the filter
// object, each offered or not, answering from a table of properties the test
// fills. Calls are journaled with the interface, "device0.IAMCameraControl.
// Set(4, -5, 2)", so a result set on "IAMVideoProcAmp.GetRange" fails that
// interface's GetRange only; releases through each interface are journaled
// apart ("device0.Release(IAMVideoProcAmp)").
#pragma once

#include <windows.h>
#include <dshow.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_directshow.h"

namespace fakes {

inline constexpr char kIAMVideoProcAmpName[] = "IAMVideoProcAmp";
inline constexpr char kIAMCameraControlName[] = "IAMCameraControl";

struct FakeProperty {
    LONG minimum = 0;
    LONG maximum = 100;
    LONG step = 1;
    LONG defaultValue = 0;
    LONG capabilities = VideoProcAmp_Flags_Manual;
    // What Get reports; a successful Set stores what it was given.
    LONG value = 0;
    LONG flags = VideoProcAmp_Flags_Manual;
};

// The methods of interface I (both have the same), handed to the filter with
// the interface's name.
template <class I, const char* Name> class FakeControlPart : public SeparateRelease<I, Name> {
  public:
    HRESULT STDMETHODCALLTYPE GetRange(LONG id, LONG* minimum, LONG* maximum, LONG* step,
                                       LONG* defaultValue, LONG* capabilities) override {
        return rangeOf(Name, id, minimum, maximum, step, defaultValue, capabilities);
    }
    HRESULT STDMETHODCALLTYPE Set(LONG id, LONG value, LONG flags) override {
        return setOf(Name, id, value, flags);
    }
    HRESULT STDMETHODCALLTYPE Get(LONG id, LONG* value, LONG* flags) override {
        return getOf(Name, id, value, flags);
    }

  protected:
    virtual HRESULT rangeOf(const char* iface, LONG id, LONG* minimum, LONG* maximum, LONG* step,
                            LONG* defaultValue, LONG* capabilities) = 0;
    virtual HRESULT setOf(const char* iface, LONG id, LONG value, LONG flags) = 0;
    virtual HRESULT getOf(const char* iface, LONG id, LONG* value, LONG* flags) = 0;
};

class FakeControlFilter : public FakeFilter,
                          public FakeControlPart<IAMVideoProcAmp, kIAMVideoProcAmpName>,
                          public FakeControlPart<IAMCameraControl, kIAMCameraControlName> {
  public:
    explicit FakeControlFilter(std::string name) : FakeFilter(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return query(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG releaseVia(const char* via) override { return release(via); }
    const char* filterReleaseName() const override { return kIBaseFilterName; }
    void* find(REFIID iid) override;

    bool offersProcAmp = true;
    bool offersCameraControl = true;
    // The properties each interface has, by id; GetRange, Set and Get of
    // another id answer E_PROP_ID_UNSUPPORTED.
    std::map<LONG, FakeProperty> procAmp;
    std::map<LONG, FakeProperty> cameraControl;

    // Every Set call, as "IAMVideoProcAmp.Set(0, 20, 2)".
    std::vector<std::string> sets;

  protected:
    HRESULT rangeOf(const char* iface, LONG id, LONG* minimum, LONG* maximum, LONG* step,
                    LONG* defaultValue, LONG* capabilities) override;
    HRESULT setOf(const char* iface, LONG id, LONG value, LONG flags) override;
    HRESULT getOf(const char* iface, LONG id, LONG* value, LONG* flags) override;

  private:
    // The property id of iface, or nullptr.
    FakeProperty* property(const char* iface, LONG id);
};

} // namespace fakes
