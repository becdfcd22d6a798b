// The graph filter list and its size query on the active slot: the names in
// graph order, the graph references QueryFilterInfo hands out, the slot
// checks with the buffer untouched, and enumerations that end early.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/caller_buffer.h"
#include "fakes/list_world.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

class FilterList : public ListWorld {};

TEST_F(FilterList, NamesEveryFilterAndGivesBackWhatQueryFilterInfoHandedOut) {
    openSlot();
    addGraphFilter(L"Device Filter");
    addGraphFilter(L"Sample Grabber");
    const auto countsBefore = referenceCounts();
    CallerBuffer first("");
    CallerBuffer second("");

    EXPECT_EQ(vcx_GetStreamFilterListSize(), 32);
    EXPECT_EQ(vcx_StreamFilterList(first.data()), 2);
    EXPECT_EQ(vcx_GetStreamFilterList(second.data()), 2);

    EXPECT_EQ(first.textAndNextByte(), CallerBuffer::ending("Device Filter\r\nSample Grabber\r\n"));
    EXPECT_EQ(second.textAndNextByte(), first.textAndNextByte());
    EXPECT_EQ(referenceCounts(), countsBefore);
    journal().clear();
    ASSERT_EQ(vcx_StreamFilterList(first.data()), 2);
    EXPECT_THAT(journal().entries(),
                ElementsAre("graph.EnumFilters", "filterEnum.Next(1)", "filter0.QueryFilterInfo",
                            "codepage.WideCharToMultiByte(CP_ACP, 0, -1, 256, null, null)",
                            "graph.Release(IGraphBuilder)", "filter0.Release", "filterEnum.Next(1)",
                            "filter1.QueryFilterInfo",
                            "codepage.WideCharToMultiByte(CP_ACP, 0, -1, 256, null, null)",
                            "graph.Release(IGraphBuilder)", "filter1.Release", "filterEnum.Next(1)",
                            "filterEnum.Release"));
    EXPECT_EQ(first.textAndNextByte(), CallerBuffer::ending("Device Filter\r\nSample Grabber\r\n"
                                                            "Device Filter\r\nSample Grabber\r\n"));
}

TEST_F(FilterList, WorksOnARunningSlot) {
    openSlot();
    addGraphFilter(L"Null Renderer");
    vcx::activeSlot().state = vcx::kSlotRunning;
    CallerBuffer buffer("x");
    EXPECT_EQ(vcx_GetStreamFilterListSize(), 16);
    EXPECT_EQ(vcx_StreamFilterList(buffer.data()), 1);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("xNull Renderer\r\n"));
}

// How the graph's filters are listed, and the text they give.
struct Walk {
    const char* name;
    std::function<void(FilterList&)> arrange;
    std::string expected;
    int entries;
};

void PrintTo(const Walk& row, std::ostream* out) {
    *out << row.name;
}

class FilterWalk : public FilterList, public ::testing::WithParamInterface<Walk> {};

TEST_P(FilterWalk, ListAndSizeAgree) {
    openSlot();
    GetParam().arrange(*this);
    const auto countsBefore = referenceCounts();
    CallerBuffer buffer("");

    EXPECT_EQ(vcx_GetStreamFilterListSize(), static_cast<int>(GetParam().expected.size()) + 1);
    EXPECT_EQ(vcx_StreamFilterList(buffer.data()), GetParam().entries);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending(GetParam().expected));
    EXPECT_EQ(referenceCounts(), countsBefore);
}

const std::wstring kLongestName(127, L'\u30AB'); // 254 bytes
const std::wstring kTripleBytes(127, L'\uE001'); // 381 bytes

const Walk kWalks[] = {
    {"NoFilters", [](FilterList&) {}, "", 0},
    {"EnumerationFailsPartWay",
     [](FilterList& t) {
         t.addGraphFilter(L"A");
         t.addGraphFilter(L"B");
         t.addGraphFilter(L"C");
         t.graphFilters->failAt = 2;
     },
     "A\r\nB\r\n", 2},
    {"NoEnumeratorFromTheGraph",
     [](FilterList& t) {
         t.addGraphFilter(L"A");
         t.graph->setResult("EnumFilters", E_OUTOFMEMORY);
     },
     "", 0},
    {"EnumeratorWithASuccessCode",
     [](FilterList& t) {
         t.addGraphFilter(L"A");
         t.graph->setResult("EnumFilters", S_FALSE);
     },
     "A\r\n", 1},
    {"QueryFilterInfoFailsKeepsTheLine",
     [](FilterList& t) {
         t.addGraphFilter(L"A");
         t.addGraphFilter(L"B").setResult("QueryFilterInfo", E_FAIL);
         t.addGraphFilter(L"C");
     },
     "A\r\n\r\nC\r\n", 3},
    {"FilterWithoutGraph", [](FilterList& t) { t.addGraphFilter(L"A").graph = nullptr; }, "A\r\n",
     1},
    {"LongestNameInDoubleBytes", [](FilterList& t) { t.addGraphFilter(kLongestName); },
     repeated("\x82\x6B", 127) + "\r\n", 1},
    {"NameBeyondTheConversionBuffer",
     [](FilterList& t) {
         t.addGraphFilter(kTripleBytes);
         t.addGraphFilter(L"B");
     },
     "\r\nB\r\n", 2},
};

INSTANTIATE_TEST_SUITE_P(Graphs, FilterWalk, ::testing::ValuesIn(kWalks),
                         [](const auto& info) { return std::string(info.param.name); });

// A slot the filter list refuses, and the code for it.
struct Refusal {
    const char* name;
    std::function<void(FilterList&)> arrange;
    bool nullBuffer;
    int expected;
};

void PrintTo(const Refusal& row, std::ostream* out) {
    *out << row.name;
}

class FilterListRefuses : public FilterList, public ::testing::WithParamInterface<Refusal> {};

TEST_P(FilterListRefuses, WithItsCodeAndTheBufferUntouched) {
    const Refusal& row = GetParam();
    addGraphFilter(L"A");
    row.arrange(*this);
    journal().clear();
    CallerBuffer buffer("kept");
    char* target = row.nullBuffer ? nullptr : buffer.data();

    EXPECT_EQ(vcx_StreamFilterList(target), row.expected);
    EXPECT_EQ(vcx_GetStreamFilterList(target), row.expected);
    if (!row.nullBuffer) {
        EXPECT_EQ(vcx_GetStreamFilterListSize(), row.expected);
    }
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("kept"));
    EXPECT_TRUE(journal().entries().empty());
}

const Refusal kRefusals[] = {
    {"NeverOpened", [](FilterList&) {}, false, -1},
    {"Closed",
     [](FilterList& t) {
         t.openSlot();
         ASSERT_EQ(vcx_Close(), 0);
     },
     false, -1},
    {"StateOne", [](FilterList&) { vcx::activeSlot().state = 1; }, false, -1},
    {"OpenWithoutGraph", [](FilterList&) { vcx::activeSlot().state = vcx::kSlotOpen; }, false, -2},
    {"NullBuffer", [](FilterList& t) { t.openSlot(); }, true, -3},
    {"NullBufferOnAClosedSlot", [](FilterList&) {}, true, -1},
    {"NullBufferWithoutGraph", [](FilterList&) { vcx::activeSlot().state = vcx::kSlotOpen; }, true,
     -2},
};

INSTANTIATE_TEST_SUITE_P(Slots, FilterListRefuses, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterList, ListsTheActiveSlotOnly) {
    openSlot();
    addGraphFilter(L"A");
    ASSERT_EQ(vcx_SetActiveSel(1), 0);
    EXPECT_EQ(vcx_GetStreamFilterListSize(), -1);
    ASSERT_EQ(vcx_SetActiveSel(0), 0);
    EXPECT_EQ(vcx_GetStreamFilterListSize(), 4);
}

} // namespace
