// The compressor search of the file outputs: which video compressor a name
// picks, and that every entry's property bag and name are given back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/output_world.h"

using namespace fakes;

namespace {

enum class Entry { Named, NameNotRead, NameNotAString, NoPropertyBag, NullMoniker };

struct Listed {
    Entry kind;
    std::wstring name;
};

struct Search {
    const char* name;
    std::vector<Listed> listed;
    std::wstring asked;
    // Position of the compressor taken, or -1: none matches (-49).
    int taken;
};

void PrintTo(const Search& row, std::ostream* out) {
    *out << row.name;
}

class CompressorSearch : public OutputWorld, public ::testing::WithParamInterface<Search> {};

TEST_P(CompressorSearch, TakesTheFirstExactMatch) {
    const Search& row = GetParam();
    addDevice();
    std::vector<FakeCompressorEntry*> positions;
    for (const Listed& listed : row.listed) {
        if (listed.kind == Entry::NullMoniker) {
            videoCompressors->monikers.push_back(nullptr);
            positions.push_back(nullptr);
            continue;
        }
        FakeCompressorEntry& entry = addCompressor(listed.name);
        if (listed.kind == Entry::NameNotRead) {
            entry.bag->setResult("Read", E_INVALIDARG);
        } else if (listed.kind == Entry::NameNotAString) {
            entry.bag->friendlyType = VT_I4;
        } else if (listed.kind == Entry::NoPropertyBag) {
            entry.moniker->setResult("BindToStorage", E_FAIL);
        }
        positions.push_back(&entry);
    }

    const int result = vcx_Open(0, 301, 0, reinterpret_cast<vcx_intptr>(L"f.avi"),
                                reinterpret_cast<vcx_intptr>(row.asked.c_str()));

    // Every entry walked had its name cleared, up to and including the match.
    const int walked = row.taken >= 0 ? row.taken + 1 : static_cast<int>(row.listed.size());
    EXPECT_EQ(platform.variantInits, walked);
    EXPECT_EQ(platform.variantClears, walked);
    if (row.taken < 0) {
        EXPECT_EQ(result, -49);
    } else {
        ASSERT_EQ(result, 0);
        const FakeCompressorEntry& taken = *positions[static_cast<std::size_t>(row.taken)];
        const vcx::CaptureSlot& slot = vcx::activeSlot();
        EXPECT_EQ(static_cast<void*>(slot.compressorFilter), taken.filter->find(IID_IBaseFilter));
        EXPECT_EQ(static_cast<void*>(slot.compressDialogs),
                  taken.filter->find(IID_IAMVfwCompressDialogs));
        EXPECT_EQ(graph->added.back().first, slot.compressorFilter);
        EXPECT_EQ(graph->added.back().second, row.asked);
        EXPECT_EQ(vcx_Close(), 0);
    }
    expectAllReleased();
}

const Search kSearches[] = {
    {"ExactName", {{Entry::Named, L"Codec A"}}, L"Codec A", 0},
    {"OtherLetterCase", {{Entry::Named, L"Codec A"}}, L"codec a", -1},
    {"OtherLetterCaseBeyondAscii", {{Entry::Named, L"Kodek \u00e9"}}, L"Kodek \u00c9", -1},
    {"ExactNameBeyondAscii", {{Entry::Named, L"Kodek \u00e9"}}, L"Kodek \u00e9", 0},
    {"TrailingSpaceAsked", {{Entry::Named, L"Codec A"}}, L"Codec A ", -1},
    {"TrailingSpaceListed", {{Entry::Named, L"Codec A "}}, L"Codec A", -1},
    {"AskedIsAPrefix", {{Entry::Named, L"Codec AB"}}, L"Codec A", -1},
    {"EmptyNameMatchesOnlyAnEmptyName", {{Entry::Named, L"Codec A"}, {Entry::Named, L""}}, L"", 1},
    {"EmptyNameWithoutAnEmptyOne", {{Entry::Named, L"Codec A"}}, L"", -1},
    {"DuplicatesGiveTheFirst",
     {{Entry::Named, L"Codec B"}, {Entry::Named, L"Codec A"}, {Entry::Named, L"Codec A"}},
     L"Codec A",
     1},
    {"UnreadNameIsPassedOver",
     {{Entry::NameNotRead, L"Codec A"}, {Entry::Named, L"Codec A"}},
     L"Codec A",
     1},
    {"NameThatIsNotAString", {{Entry::NameNotAString, L"Codec A"}}, L"Codec A", -1},
    {"EntryWithoutPropertyBag",
     {{Entry::NoPropertyBag, L"Codec A"}, {Entry::Named, L"Codec A"}},
     L"Codec A",
     1},
    {"NullMonikerIsPassedOver", {{Entry::NullMoniker, L""}, {Entry::Named, L""}}, L"", 1},
};

INSTANTIATE_TEST_SUITE_P(Names, CompressorSearch, ::testing::ValuesIn(kSearches),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
