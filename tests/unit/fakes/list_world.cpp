#include "fakes/list_world.h"

#include "vcxcap.h"

namespace fakes {

ListWorld::ListWorld() {
    devEnum->setCategory(CLSID_AudioInputDeviceCategory, audioDevices.get());
    devEnum->setCategory(CLSID_VideoCompressorCategory, videoCompressors.get());
    devEnum->setCategory(CLSID_AudioCompressorCategory, audioCompressors.get());
    graph->filterEnum = graphFilters.get();
}

FakeDevice& ListWorld::addEntry(FakeEnumMoniker& category, const std::wstring& friendlyName) {
    devices.push_back(
        std::make_unique<FakeDevice>("entry" + std::to_string(devices.size()), friendlyName));
    category.monikers.push_back(devices.back()->moniker.get());
    return *devices.back();
}

FakeNamedFilter& ListWorld::addGraphFilter(const std::wstring& graphName) {
    namedFilters.push_back(std::make_unique<Held<FakeNamedFilter>>(
        "filter" + std::to_string(namedFilters.size()), graphName, graph.get()));
    graphFilters->filters.push_back(namedFilters.back()->get());
    return **namedFilters.back();
}

void ListWorld::openSlot() {
    if (devices.empty()) {
        addDevice();
    }
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    journal().clear();
}

void ListWorld::expectEveryFakeAtRest() {
    for (FakeCom* fake : FakeCom::living()) {
        EXPECT_EQ(fake->refs(), 1u) << fake->name() << " holds references it was not given back";
    }
}

std::map<std::string, ULONG> ListWorld::referenceCounts() {
    std::map<std::string, ULONG> counts;
    for (FakeCom* fake : FakeCom::living()) {
        counts[fake->name()] = fake->refs();
    }
    return counts;
}

} // namespace fakes
