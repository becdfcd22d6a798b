#include "fakes/fake_audio.h"

namespace fakes {

void* FakeAudioDevice::find(REFIID iid) {
    if (iid == IID_IReferenceClock && !offersClock) {
        return nullptr;
    }
    return FakeFilterWith::find(iid);
}

void* FakeAviMux::find(REFIID iid) {
    if (iid == IID_IConfigAviMux) {
        return static_cast<IConfigAviMux*>(this);
    }
    if (iid == IID_IConfigInterleaving) {
        return static_cast<IConfigInterleaving*>(this);
    }
    return FakeFilter::find(iid);
}

HRESULT FakeAviMux::SetMasterStream(LONG stream) {
    return call("SetMasterStream(" + std::to_string(stream) + ")");
}

HRESULT FakeAviMux::put_Mode(InterleavingMode mode) {
    return call("put_Mode(" + std::to_string(static_cast<int>(mode)) + ")");
}

HRESULT FakeAviMux::put_Interleaving(const REFERENCE_TIME* interleave,
                                     const REFERENCE_TIME* preroll) {
    const auto text = [](const REFERENCE_TIME* time) {
        return time == nullptr ? std::string("null") : std::to_string(*time);
    };
    return call("put_Interleaving(" + text(interleave) + ", " + text(preroll) + ")");
}

} // namespace fakes
