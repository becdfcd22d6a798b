// The name list: its bytes, where it goes in the caller's text, its size, and
// the conversion of names, where an appending list and a counting one must
// agree byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fakes/caller_buffer.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_platform.h"
#include "lists/name_list.h"

using namespace fakes;
using vcx::NameList;

namespace {

struct Layout {
    const char* name;
    std::string existing;
    std::vector<std::string> entries;
    std::string expected; // the buffer's text afterwards
};

void PrintTo(const Layout& row, std::ostream* out) {
    *out << row.name;
}

class NameListLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(NameListLayout, AppendsAtTheFirstNulAndCountsWhatItWrites) {
    const Layout& row = GetParam();
    CallerBuffer buffer(row.existing);
    NameList list = NameList::appendingTo(buffer.data());
    NameList counted = NameList::counting();
    for (const std::string& entry : row.entries) {
        list.add(entry);
        counted.add(entry);
    }

    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending(row.expected));
    const int32_t written = static_cast<int32_t>(row.expected.size() - row.existing.size()) + 1;
    EXPECT_EQ(counted.size(), written);
    EXPECT_EQ(list.size(), written);
    EXPECT_EQ(list.entries(), static_cast<int32_t>(row.entries.size()));
    EXPECT_EQ(list.result(), list.entries());
    EXPECT_EQ(counted.result(), counted.size());
}

const Layout kLayouts[] = {
    {"TwoNamesInAnEmptyBuffer", "", {"A", "BC"}, "A\r\nBC\r\n"},
    {"NoEntriesLeaveTheBufferAlone", "kept", {}, "kept"},
    {"AfterOneCharacter", "x", {"A"}, "xA\r\n"},
    {"AfterAnEarlierList", "A\r\n", {"A", "BC"}, "A\r\nA\r\nBC\r\n"},
    {"EmptyEntryIsALineOfItsOwn", "", {"", "B", ""}, "\r\nB\r\n\r\n"},
    {"BytesAreCopiedAsTheyAre", "", {"\xE9\x82\x6B"}, "\xE9\x82\x6B\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Layouts, NameListLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// One name through a conversion buffer, and the entry it must give.
struct Conversion {
    const char* name;
    std::wstring wide;
    int bufferBytes;
    std::string expected;
};

void PrintTo(const Conversion& row, std::ostream* out) {
    *out << row.name;
}

class NameListConversion : public ::testing::TestWithParam<Conversion> {
  protected:
    NameListConversion() { journal().clear(); }
    FakePlatform platform;
    FakeCodePage codePage{platform};
};

TEST_P(NameListConversion, AppendingAndCountingAgreeByteForByte) {
    const Conversion& row = GetParam();
    CallerBuffer buffer("");
    NameList list = NameList::appendingTo(buffer.data());
    NameList counted = NameList::counting();
    list.addName(row.wide.c_str(), row.bufferBytes);
    counted.addName(row.wide.c_str(), row.bufferBytes);

    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending(row.expected + "\r\n"));
    EXPECT_EQ(counted.size(), static_cast<int32_t>(row.expected.size()) + 3);
    EXPECT_EQ(list.entries(), 1);
    const std::string conversion = "codepage.WideCharToMultiByte(CP_ACP, 0, -1, " +
                                   std::to_string(row.bufferBytes) + ", null, null)";
    EXPECT_THAT(journal().entries(), ::testing::ElementsAre(conversion, conversion));
}

const std::wstring kKana = L"\u30AB";    // two bytes: 0x82 0x6B
const std::wstring kPrivate = L"\uE001"; // three bytes: 0xEE 0x80 0x81

const Conversion kConversions[] = {
    {"Ascii", L"USB Camera", 1024, "USB Camera"},
    {"OutsideTheCodePageBecomesTheDefaultCharacter", L"Cam\u00E9ra \u2603", 1024, "Cam\xE9ra ?"},
    {"DoubleByteCharacters", L"\u30AB\u30E1", 256, "\x82\x6B\x82\x61"},
    {"DeviceNameFillingItsBuffer", std::wstring(1023, L'a'), 1024, std::string(1023, 'a')},
    {"DeviceNameOneByteTooLong", std::wstring(1024, L'a'), 1024, ""},
    {"DeviceNameFarTooLong", std::wstring(5000, L'a'), 1024, ""},
    {"DoubleByteNameFillingTheDeviceBuffer", L"a" + repeated(kKana, 511), 1024,
     "a" + repeated("\x82\x6B", 511)},
    {"DoubleByteNameOneByteOver", repeated(kKana, 512), 1024, ""},
    {"CompressorNameFillingItsBuffer", std::wstring(255, L'b'), 256, std::string(255, 'b')},
    {"CompressorNameOneByteTooLong", std::wstring(256, L'b'), 256, ""},
    {"LongestFilterNameInDoubleBytes", repeated(kKana, 127), 256, repeated("\x82\x6B", 127)},
    {"TripleByteNameFillingTheBuffer", repeated(kPrivate, 85), 256, repeated("\xEE\x80\x81", 85)},
    {"TripleByteNameBeyondTheBuffer", repeated(kPrivate, 86), 256, ""},
    {"EmptyName", L"", 256, ""},
};

INSTANTIATE_TEST_SUITE_P(Names, NameListConversion, ::testing::ValuesIn(kConversions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NameListConversion, FailedOrMissingConversionGivesAnEmptyEntry) {
    CallerBuffer buffer("");
    NameList list = NameList::appendingTo(buffer.data());
    list.addName(nullptr, 1024);
    EXPECT_TRUE(journal().entries().empty()) << "a null name is not converted";
    codePage.setResult("WideCharToMultiByte", E_FAIL);
    list.addName(L"Camera", 1024);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("\r\n\r\n"));
    EXPECT_EQ(list.size(), 5);
}

// Formatted entries, as the capture-format lists write them.
struct Formatted {
    const char* name;
    std::function<void(NameList&)> add;
    std::string expected;
};

void PrintTo(const Formatted& row, std::ostream* out) {
    *out << row.name;
}

class NameListFormatted : public ::testing::TestWithParam<Formatted> {};

TEST_P(NameListFormatted, WritesAndCountsThePrintedText) {
    const Formatted& row = GetParam();
    CallerBuffer buffer("");
    NameList list = NameList::appendingTo(buffer.data());
    NameList counted = NameList::counting();
    row.add(list);
    row.add(counted);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending(row.expected + "\r\n"));
    EXPECT_EQ(counted.size(), static_cast<int32_t>(row.expected.size()) + 3);
}

const Formatted kFormatted[] = {
    {"FrameRateOfThirtyPerSecond",
     [](NameList& l) { l.addFormatted("%1.2f", 10000000.0 / 333333); }, "30.00"},
    {"FrameRateOfNtsc", [](NameList& l) { l.addFormatted("%1.2f", 10000000.0 / 333667); }, "29.97"},
    {"Width", [](NameList& l) { l.addFormatted("%1d", 640); }, "640"},
    {"TopDownHeight", [](NameList& l) { l.addFormatted("%1d", -480); }, "-480"},
    {"TextBeyondTheEntryLimitIsCut",
     [](NameList& l) { l.addFormatted("%s-%d", std::string(70, 'x').c_str(), 7); },
     std::string(vcx::kFormattedEntryMaxBytes, 'x')},
    {"TextAtTheEntryLimitIsWhole",
     [](NameList& l) { l.addFormatted("%s-%d", std::string(61, 'x').c_str(), 7); },
     std::string(61, 'x') + "-7"},
};

INSTANTIATE_TEST_SUITE_P(Entries, NameListFormatted, ::testing::ValuesIn(kFormatted),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
