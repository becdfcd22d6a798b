// A fake platform for the name lists: CaptureWorld's graph objects and video
// input category, plus the audio input and both compressor categories on the
// same System Device Enumerator, the fake code page, and a filter enumerator
// that the graph hands out.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/capture_world.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_filter_enum.h"

namespace fakes {

class ListWorld : public CaptureWorld {
  public:
    ListWorld();

    // Adds an entry named friendlyName to category: a moniker binding to a
    // property bag with that FriendlyName (and to a filter).
    FakeDevice& addEntry(FakeEnumMoniker& category, const std::wstring& friendlyName);

    // Adds a filter with this name to the graph's filter enumerator.
    FakeNamedFilter& addGraphFilter(const std::wstring& graphName);

    // Opens the active slot on device 0 (added when there is none) without an
    // output, then clears the journal.
    void openSlot();

    // Expects every fake alive back at the test's own reference.
    static void expectEveryFakeAtRest();

    // The reference count of every fake alive, by name.
    static std::map<std::string, ULONG> referenceCounts();

    FakeCodePage codePage{platform};
    Held<FakeEnumMoniker> audioDevices{"audioDevices"};
    Held<FakeEnumMoniker> videoCompressors{"videoCompressors"};
    Held<FakeEnumMoniker> audioCompressors{"audioCompressors"};
    Held<FakeEnumFilters> graphFilters;
    std::vector<std::unique_ptr<Held<FakeNamedFilter>>> namedFilters;
};

} // namespace fakes
