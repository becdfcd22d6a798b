// A complete fake capture platform for the library's graph code: the fake
// platform table installed, the Filter Graph Manager, Sample Grabber, Capture
// Graph Builder 2 and System Device Enumerator provided to CoCreateInstance,
// and video input devices that the test adds. The library state is zeroed on
// entry and exit, and COM counts as initialised.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/slots.h"
#include "fakes/fake_directshow.h"
#include "fakes/fake_platform.h"

namespace fakes {

// An entry of a device category: a moniker that binds to filter and to a
// property bag naming it; "name.moniker", "name", "name.bag".
template <class Filter> struct FakeEntry {
    Held<FakeMoniker> moniker;
    Held<Filter> filter;
    Held<FakePropertyBag> bag;

    FakeEntry(const std::string& name, const std::wstring& friendlyName)
        : moniker(name + ".moniker"), filter(name), bag(name + ".bag", friendlyName) {
        moniker->object = filter.get();
        moniker->storage = bag.get();
    }
    void addTo(std::vector<FakeCom*>& fakes) const {
        fakes.insert(fakes.end(), {moniker.get(), filter.get(), bag.get()});
    }
};

// Adds an entry named prefix and its position in entries to category.
template <class Filter>
FakeEntry<Filter>& addEntry(std::vector<std::unique_ptr<FakeEntry<Filter>>>& entries,
                            FakeEnumMoniker& category, const std::string& prefix,
                            const std::wstring& friendlyName) {
    entries.push_back(
        std::make_unique<FakeEntry<Filter>>(prefix + std::to_string(entries.size()), friendlyName));
    category.items.push_back(entries.back()->moniker.get());
    return *entries.back();
}

using FakeDevice = FakeEntry<FakeFilter>;

// Gives back a slot field's reference and empties it, as if the slot had
// never got that interface.
template <class T> void dropField(T*& field) {
    field->Release();
    field = nullptr;
}

class CaptureWorld : public ::testing::Test {
  public:
    CaptureWorld();
    ~CaptureWorld() override;

    // Adds a video input device; the first is "device0".
    FakeDevice& addDevice(const std::wstring& friendlyName = L"Camera");

    // Every fake of this world: graph objects, enumerators, devices.
    virtual std::vector<FakeCom*> everyFake() const;

    // Expects every fake's reference count back at the test's own one.
    void expectAllReleased() const;

    // Expects every interface field of the slot null.
    static void expectSlotEmpty(const vcx::CaptureSlot& slot);

    FakePlatform platform;
    Held<FakeFilterGraph> graph;
    Held<FakeSampleGrabber> grabber;
    Held<FakeCaptureGraphBuilder> builder;
    Held<FakeDevEnum> devEnum;
    Held<FakeEnumMoniker> videoDevices{"videoDevices"};
    std::vector<std::unique_ptr<FakeDevice>> devices;
};

} // namespace fakes
