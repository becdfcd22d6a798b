// vcx_GetBufferSize: which size query each buffer type runs, and that other
// types run nothing.
#include <gtest/gtest.h>

#include <climits>

#include "vcxcap.h"

#include "fakes/list_world.h"

using namespace fakes;

namespace {

struct Row {
    int bufferType;
    bool slotOpen;
    int expected;
    const char* firstCall; // the first platform call the query makes, or ""
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "type " << row.bufferType << (row.slotOpen ? ", slot open" : "");
}

class BufferSize : public ListWorld, public ::testing::WithParamInterface<Row> {
  protected:
    // Each list has its own size, so that a row that runs the wrong query
    // shows: video devices 8, audio devices 4, video compressors 5, graph
    // filters 6; no audio compressor.
    BufferSize() {
        addDevice(L"A");
        addDevice(L"BC");
        addEntry(*audioDevices, L"D");
        addEntry(*videoCompressors, L"EF");
        devEnum->setCategory(CLSID_AudioCompressorCategory, nullptr);
        addGraphFilter(L"GHI");
    }
};

TEST_P(BufferSize, RunsTheQueryItsTypeSelects) {
    const Row& row = GetParam();
    if (row.slotOpen) {
        openSlot();
    }
    journal().clear();
    EXPECT_EQ(vcx_GetBufferSize(row.bufferType), row.expected);
    if (*row.firstCall == '\0') {
        EXPECT_TRUE(journal().entries().empty());
    } else {
        ASSERT_FALSE(journal().entries().empty());
        EXPECT_EQ(journal().entries().front(), row.firstCall);
    }
}

const char kDevEnum[] = "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)";

const Row kRows[] = {
    {0, false, 8, kDevEnum},
    {1, false, 4, kDevEnum},
    {2, true, 6, "graph.EnumFilters"},
    {2, false, -1, ""},
    {3, false, 5, kDevEnum},
    {4, false, -3, kDevEnum},
    // Not built yet: the grabbed frame's bits and header, the format lists.
    {5, true, -1, ""},
    {6, true, -1, ""},
    {7, true, -1, ""},
    {8, true, -1, ""},
    {9, true, -1, ""},
    {10, true, -1, ""},
    {-1, true, -1, ""},
    {INT_MIN, true, -1, ""},
    {INT_MAX, true, -1, ""},
};

INSTANTIATE_TEST_SUITE_P(Types, BufferSize, ::testing::ValuesIn(kRows));

TEST_F(ListWorld, BufferSizePassesTheCodeOfAFailingQueryOn) {
    vcx::library().comInitialized = 0;
    EXPECT_EQ(vcx_GetBufferSize(0), -1);
    vcx::library().comInitialized = 1;
    platform.setCreateResult(CLSID_SystemDeviceEnum, REGDB_E_CLASSNOTREG);
    EXPECT_EQ(vcx_GetBufferSize(3), -2);
    devEnum->setCategory(CLSID_VideoInputDeviceCategory, nullptr);
    platform.setCreateResult(CLSID_SystemDeviceEnum, S_OK);
    EXPECT_EQ(vcx_GetBufferSize(0), -2);
}

} // namespace
