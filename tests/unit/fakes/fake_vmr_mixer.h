// The mixing renderers' overlay side: a filter with IVMRMixerBitmap (VMR-7)
// or IVMRMixerBitmap9 (VMR-9) that keeps every structure SetAlphaBitmap was
// given. Releases through the mixer interface are journaled apart
// ("vmr9.Release(IVMRMixerBitmap9)").
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <dshow.h>
#include <vmr9.h>

#include <vector>

#include "fakes/fake_directshow.h"
#include "fakes/fake_outputs.h"

namespace fakes {

inline constexpr char kIVMRMixerBitmapName[] = "IVMRMixerBitmap";
inline constexpr char kIVMRMixerBitmap9Name[] = "IVMRMixerBitmap9";

// UpdateArg: what UpdateAlphaBitmapParameters takes, const for the VMR-9 only.
// Base: the filter that gets the mixer interface (FakeFilterWith).
template <class Mixer, class Bitmap, class UpdateArg, const char* MixerName,
          class Base = FakeFilter>
class FakeMixerFilter : public FakeFilterWith<Mixer, MixerName, Base> {
  public:
    using FakeFilterWith<Mixer, MixerName, Base>::FakeFilterWith;

    std::vector<Bitmap> bitmaps;

    HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const Bitmap* bitmap) override {
        bitmaps.push_back(*bitmap);
        return call("SetAlphaBitmap");
    }
    HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(UpdateArg) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(Bitmap*) override { return E_NOTIMPL; }

  protected:
    using FakeFilterWith<Mixer, MixerName, Base>::call;
};

using FakeVmr7Mixer =
    FakeMixerFilter<IVMRMixerBitmap, VMRALPHABITMAP, VMRALPHABITMAP*, kIVMRMixerBitmapName>;
using FakeVmr9Mixer = FakeMixerFilter<IVMRMixerBitmap9, VMR9AlphaBitmap, const VMR9AlphaBitmap*,
                                      kIVMRMixerBitmap9Name>;

// The mixing renderers as open makes them: configuration and mixer bitmap on
// one object ("vmr7", "vmr9"), made with the mixer interface's identifier.
using FakeVmr7Renderer = FakeMixerFilter<IVMRMixerBitmap, VMRALPHABITMAP, VMRALPHABITMAP*,
                                         kIVMRMixerBitmapName, FakeVmr7>;
using FakeVmr9Renderer = FakeMixerFilter<IVMRMixerBitmap9, VMR9AlphaBitmap, const VMR9AlphaBitmap*,
                                         kIVMRMixerBitmap9Name, FakeVmr9>;

} // namespace fakes
