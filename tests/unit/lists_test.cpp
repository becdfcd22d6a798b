// The name lists: the writer's bytes and sizes, the device and compressor
// lists and the graph filter list with their failure codes, and
// vcx_GetBufferSize. Every list row runs the list and its size query and
// checks that they agree, that the caller's bytes past the list stay
// untouched and that every reference taken is given back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_filter_enum.h"
#include "lists/name_list.h"

using namespace fakes;
using vcx::NameList;

namespace {

// A host's text buffer: its text, the NUL after it, and bytes beyond that
// show any write past what a list should write.
class CallerBuffer {
  public:
    explicit CallerBuffer(const std::string& text = "") : bytes_(4096, kUntouched) {
        std::memcpy(bytes_.data(), text.c_str(), text.size() + 1);
    }
    char* data() { return bytes_.data(); }
    // The text up to its first NUL, that NUL and the byte after it.
    std::string textAndNextByte() const {
        return std::string(bytes_.data(), std::strlen(bytes_.data()) + 2);
    }
    // What textAndNextByte() is for a buffer holding text and nothing past it.
    static std::string ending(const std::string& text) { return text + '\0' + kUntouched; }

  private:
    static constexpr char kUntouched = 0x55;
    std::vector<char> bytes_;
};

template <class Row> std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

std::wstring times(std::size_t count, const std::wstring& unit) {
    std::wstring text;
    while (count-- > 0) {
        text += unit;
    }
    return text;
}

// Names through the writer: appended to existing text and only counted.
struct Names {
    const char* name;
    std::vector<std::wstring> names;
    int bufferBytes;
    std::string expected;
};

class NameListWriter : public ::testing::TestWithParam<Names> {
  protected:
    FakePlatform platform;
    FakeCodePage codePage{platform};
};

TEST_P(NameListWriter, AppendsAfterTheTextAndCountsWhatItWrites) {
    const Names& row = GetParam();
    CallerBuffer buffer("x");
    NameList list = NameList::appendingTo(buffer.data());
    NameList counted = NameList::counting();
    for (const std::wstring& name : row.names) {
        list.addName(name.c_str(), row.bufferBytes);
        counted.addName(name.c_str(), row.bufferBytes);
    }
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("x" + row.expected));
    EXPECT_EQ(counted.result(), static_cast<int32_t>(row.expected.size()) + 1);
    EXPECT_EQ(list.result(), static_cast<int32_t>(row.names.size()));
}

const Names kNames[] = {
    {"AandBC", {L"A", L"BC"}, 1024, "A\r\nBC\r\n"},
    {"NoNames", {}, 1024, ""},
    {"OutsideTheCodePage", {L"Cam\u00e9ra \u2603", L"\u30ab"}, 1024, "Cam\xe9ra ?\r\n\x82\x6b\r\n"},
    {"DeviceNameFillingItsBuffer",
     {std::wstring(1023, L'a')},
     1024,
     std::string(1023, 'a') + "\r\n"},
    {"DeviceNameOneByteOver", {std::wstring(1024, L'a'), L"B"}, 1024, "\r\nB\r\n"},
    {"DoubleBytesOneByteOver", {times(512, L"\u30ab")}, 1024, "\r\n"},
    {"CompressorNameFillingItsBuffer",
     {std::wstring(255, L'c')},
     256,
     std::string(255, 'c') + "\r\n"},
    {"CompressorNameOneByteOver", {std::wstring(256, L'c')}, 256, "\r\n"},
    {"FilterNameOfTripleBytes", {times(86, L"\ue001")}, 256, "\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, NameListWriter, ::testing::ValuesIn(kNames), rowName<Names>);

TEST(NameList, FormattedEntriesAreCutAtTheirLimit) {
    CallerBuffer buffer;
    NameList list = NameList::appendingTo(buffer.data());
    list.addFormatted("%1.2f", 10000000.0 / 333667);
    list.addFormatted("%s%d", std::string(70, 'w').c_str(), 640);
    EXPECT_EQ(buffer.textAndNextByte(),
              CallerBuffer::ending("29.97\r\n" + std::string(63, 'w') + "\r\n"));
    EXPECT_EQ(list.size(), 73);
}

// CaptureWorld with the audio input and both compressor categories on the
// same System Device Enumerator, filters the graph's EnumFilters lists, and
// the fake code page.
class Lists : public CaptureWorld {
  public:
    Lists() {
        devEnum->setCategory(CLSID_AudioInputDeviceCategory, audioDevices.get());
        devEnum->setCategory(CLSID_VideoCompressorCategory, videoCompressors.get());
        devEnum->setCategory(CLSID_AudioCompressorCategory, audioCompressors.get());
        graph->filterEnum = graphFilters.get();
    }

    // Adds a moniker whose property bag names it friendlyName to category.
    FakeDevice& addEntry(FakeEnumMoniker& category, const std::wstring& friendlyName) {
        return fakes::addEntry(devices, category, "entry", friendlyName);
    }

    // Adds a filter named graphName to what the graph's EnumFilters lists.
    FakeNamedFilter& addGraphFilter(const std::wstring& graphName) {
        namedFilters.push_back(std::make_unique<Held<FakeNamedFilter>>(
            "filter" + std::to_string(namedFilters.size()), graphName, graph.get()));
        graphFilters->items.push_back(namedFilters.back()->get());
        return **namedFilters.back();
    }

    FakeCodePage codePage{platform};
    Held<FakeEnumMoniker> audioDevices{"audioDevices"};
    Held<FakeEnumMoniker> videoCompressors{"videoCompressors"};
    Held<FakeEnumMoniker> audioCompressors{"audioCompressors"};
    Held<FakeEnumFilters> graphFilters{"filterEnum"};
    std::vector<std::unique_ptr<Held<FakeNamedFilter>>> namedFilters;
};

// One call of a device or compressor list and its size query.
struct MonikerRow {
    const char* name;
    std::function<void(Lists&)> arrange;
    int (*list)(char*, int);
    int (*size)(int);
    int audio;
    bool nullBuffer;
    int listResult;
    int sizeResult;
    std::string text;     // what the list appends
    const char* category; // the category asked for, or nullptr
};

void PrintTo(const MonikerRow& row, std::ostream* out) {
    *out << row.name;
}

class MonikerList : public Lists, public ::testing::WithParamInterface<MonikerRow> {};

TEST_P(MonikerList, ListAndSizeAgreeAndGiveEverythingBack) {
    const MonikerRow& row = GetParam();
    addDevice(L"A");
    addDevice(L"BC");
    addEntry(*videoCompressors, L"Codec");
    row.arrange(*this);
    const auto counts = FakeCom::referenceCounts();
    CallerBuffer buffer("kept");

    EXPECT_EQ(row.size(row.audio), row.sizeResult);
    EXPECT_EQ(row.list(row.nullBuffer ? nullptr : buffer.data(), row.audio), row.listResult);

    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("kept" + row.text));
    EXPECT_EQ(FakeCom::referenceCounts(), counts);
    EXPECT_EQ(platform.variantInits, platform.variantClears);
    if (row.category != nullptr) {
        EXPECT_TRUE(journal().contains("devenum.CreateClassEnumerator(" +
                                       std::string(row.category) + ", 0)"));
    }
    const std::string conversion = "codepage.WideCharToMultiByte(0, 0, -1, " +
                                   std::to_string(row.list == vcx_GetCodecList ? 256 : 1024) +
                                   ", null, null)";
    for (const std::string& entry : journal().matching("WideCharToMultiByte")) {
        EXPECT_EQ(entry, conversion);
    }
}

void asIs(Lists&) {}
void beforeInit(Lists&) {
    vcx::library().comInitialized = 0;
}
void emptyCategories(Lists& t) {
    t.devEnum->setResult("CreateClassEnumerator", S_FALSE);
    t.devEnum->setCategory(CLSID_VideoInputDeviceCategory, nullptr);
    t.devEnum->setCategory(CLSID_VideoCompressorCategory, nullptr);
    t.devEnum->setCategory(CLSID_AudioInputDeviceCategory, nullptr);
    t.devEnum->setCategory(CLSID_AudioCompressorCategory, nullptr);
}
void audioEntries(Lists& t) {
    t.addEntry(*t.audioDevices, L"Mic");
    t.addEntry(*t.audioCompressors, L"PCM");
}

const auto kDevices = vcx_GetDeviceList;
const auto kDeviceSize = vcx_GetDeviceListSize;
const auto kCodecs = vcx_GetCodecList;
const auto kCodecSize = vcx_GetCodecListSize;

// The device path list: video devices only, one DevicePath a line.
int pathList(char* buffer, int) {
    return vcx_GetDevicePathList(buffer);
}
int pathSize(int) {
    return vcx_GetDevicePathListSize();
}
void firstDeviceHasAPath(Lists& t) {
    t.devices[0]->bag->devicePath = L"\\\\?\\usb#A";
}

const MonikerRow kMonikerRows[] = {
    {"VideoDevices", asIs, kDevices, kDeviceSize, 0, false, 2, 8, "A\r\nBC\r\n",
     "VideoInputDeviceCategory"},
    {"AudioDevicesBy1", audioEntries, kDevices, kDeviceSize, 1, false, 1, 6, "Mic\r\n",
     "AudioInputDeviceCategory"},
    {"AudioDevicesBy2", audioEntries, kDevices, kDeviceSize, 2, false, 1, 6, "Mic\r\n", nullptr},
    {"AudioDevicesByMinus1", audioEntries, kDevices, kDeviceSize, -1, false, 1, 6, "Mic\r\n",
     nullptr},
    {"VideoCompressors", asIs, kCodecs, kCodecSize, 0, false, 1, 8, "Codec\r\n",
     "VideoCompressorCategory"},
    {"AudioCompressorsBy2", audioEntries, kCodecs, kCodecSize, 2, false, 1, 6, "PCM\r\n",
     "AudioCompressorCategory"},
    {"AudioCompressorsByMinus1", audioEntries, kCodecs, kCodecSize, -1, false, 1, 6, "PCM\r\n",
     nullptr},
    {"EnumerationFailingPartWayKeepsTheNamesSoFar", [](Lists& t) { t.videoDevices->failAt = 1; },
     kDevices, kDeviceSize, 0, false, 1, 4, "A\r\n", nullptr},
    {"MonikersWithoutANameKeepTheirLines",
     [](Lists& t) {
         t.addDevice(L"no bag").moniker->storage = nullptr;
         t.addDevice(L"read fails").bag->setResult("Read", E_FAIL);
         t.addDevice(L"number").bag->friendlyType = VT_I4;
         t.addDevice(L"empty").bag->friendlyType = VT_EMPTY;
     },
     kDevices, kDeviceSize, 0, false, 6, 16, "A\r\nBC\r\n\r\n\r\n\r\n\r\n", nullptr},
    {"DevicesBeforeInit", beforeInit, kDevices, kDeviceSize, 0, false, -1, -1, "", nullptr},
    {"CodecsBeforeInit", beforeInit, kCodecs, kCodecSize, 0, false, -1, -1, "", nullptr},
    {"NoVideoDevice", emptyCategories, kDevices, kDeviceSize, 0, false, -2, -2, "", nullptr},
    {"NoAudioDevice", emptyCategories, kDevices, kDeviceSize, 1, false, -2, -2, "", nullptr},
    {"NoVideoCompressor", emptyCategories, kCodecs, kCodecSize, 0, false, -3, -3, "", nullptr},
    {"NoAudioCompressor", emptyCategories, kCodecs, kCodecSize, 1, false, -3, -3, "", nullptr},
    {"DevicesIntoNull", asIs, kDevices, kDeviceSize, 0, true, -3, 8, "", nullptr},
    {"CodecsIntoNull", asIs, kCodecs, kCodecSize, 0, true, -4, 8, "", nullptr},
    {"DevicesIntoNullWithoutDevices", emptyCategories, kDevices, kDeviceSize, 0, true, -2, -2, "",
     nullptr},
    {"DevicePathsLineForLine", firstDeviceHasAPath, pathList, pathSize, 0, false, 2, 14,
     "\\\\?\\usb#A\r\n\r\n", "VideoInputDeviceCategory"},
    {"DevicePathThatIsNoString",
     [](Lists& t) {
         firstDeviceHasAPath(t);
         t.devices[0]->bag->devicePathType = VT_I4;
         t.devices[1]->bag->devicePath = L"B";
     },
     pathList, pathSize, 0, false, 2, 6, "\r\nB\r\n", nullptr},
    {"DevicePathsOfTheVideoCategoryOnly", asIs, pathList, pathSize, 1, false, 2, 5, "\r\n\r\n",
     "VideoInputDeviceCategory"},
    {"DevicePathsBeforeInit", beforeInit, pathList, pathSize, 0, false, -1, -1, "", nullptr},
    {"NoVideoDeviceForPaths", emptyCategories, pathList, pathSize, 0, false, -2, -2, "", nullptr},
    {"DevicePathsIntoNull", firstDeviceHasAPath, pathList, pathSize, 0, true, -3, 14, "", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Rows, MonikerList, ::testing::ValuesIn(kMonikerRows), rowName<MonikerRow>);

TEST_F(Lists, ReadEachNameThroughItsPropertyBagAndReleaseItInTurn) {
    addDevice(L"A");
    CallerBuffer buffer;
    ASSERT_EQ(vcx_GetDeviceList(buffer.data(), 0), 1);
    EXPECT_THAT(
        journal().entries(),
        ::testing::ElementsAre("CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)",
                               "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)",
                               "videoDevices.Reset", "videoDevices.Next(1)",
                               "device0.moniker.BindToStorage(IPropertyBag)", "VariantInit",
                               "device0.bag.Read(FriendlyName, no log)",
                               "codepage.WideCharToMultiByte(0, 0, -1, 1024, null, null)",
                               "VariantClear", "device0.bag.Release", "device0.moniker.Release",
                               "videoDevices.Next(1)", "videoDevices.Release", "devenum.Release"));
}

// One call of the graph filter list and its size query.
struct FilterRow {
    const char* name;
    std::function<void(Lists&)> arrange;
    bool nullBuffer;
    int listResult;
    int sizeResult;
    std::string text;
};

class GraphFilterList : public Lists, public ::testing::WithParamInterface<FilterRow> {};

TEST_P(GraphFilterList, ListAndSizeAgreeAndGiveEverythingBack) {
    const FilterRow& row = GetParam();
    addDevice();
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    addGraphFilter(L"Device Filter");
    addGraphFilter(L"Sample Grabber");
    row.arrange(*this);
    const auto counts = FakeCom::referenceCounts();
    CallerBuffer first("kept");
    CallerBuffer second("kept");

    EXPECT_EQ(vcx_GetStreamFilterListSize(), row.sizeResult);
    EXPECT_EQ(vcx_StreamFilterList(row.nullBuffer ? nullptr : first.data()), row.listResult);
    EXPECT_EQ(vcx_GetStreamFilterList(row.nullBuffer ? nullptr : second.data()), row.listResult);

    EXPECT_EQ(first.textAndNextByte(), CallerBuffer::ending("kept" + row.text));
    EXPECT_EQ(second.textAndNextByte(), first.textAndNextByte());
    EXPECT_EQ(FakeCom::referenceCounts(), counts);
}

const FilterRow kFilterRows[] = {
    {"OpenSlot", [](Lists&) {}, false, 2, 32, "Device Filter\r\nSample Grabber\r\n"},
    {"RunningSlot", [](Lists&) { vcx::activeSlot().state = vcx::kSlotRunning; }, false, 2, 32,
     "Device Filter\r\nSample Grabber\r\n"},
    {"EnumerationFailingPartWay",
     [](Lists& t) {
         t.graphFilters->failAt = 1;
         t.graphFilters->failure = VFW_E_ENUM_OUT_OF_SYNC;
     },
     false, 1, 16, "Device Filter\r\n"},
    {"NoFilterEnumerator", [](Lists& t) { t.graph->setResult("EnumFilters", E_FAIL); }, false, 0, 1,
     ""},
    {"QueryFilterInfoFailingKeepsTheLine",
     [](Lists& t) { t.addGraphFilter(L"Odd").setResult("QueryFilterInfo", E_FAIL); }, false, 3, 34,
     "Device Filter\r\nSample Grabber\r\n\r\n"},
    {"NameBeyondTheConversionBuffer", [](Lists& t) { t.addGraphFilter(times(86, L"\ue001")); },
     false, 3, 34, "Device Filter\r\nSample Grabber\r\n\r\n"},
    {"ClosedSlot", [](Lists&) { ASSERT_EQ(vcx_Close(), 0); }, false, -1, -1, ""},
    {"SlotWithoutGraph", [](Lists&) { dropField(vcx::activeSlot().graph); }, false, -2, -2, ""},
    {"NullBuffer", [](Lists&) {}, true, -3, 32, ""},
    {"NullBufferOnAClosedSlot", [](Lists&) { ASSERT_EQ(vcx_Close(), 0); }, true, -1, -1, ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, GraphFilterList, ::testing::ValuesIn(kFilterRows),
                         rowName<FilterRow>);

// vcx_GetBufferSize over lists of different sizes: video devices 8, audio
// devices 6, graph filters 16, video compressors 8 + 1, no audio compressor;
// frame bits 77 and the frame header, 44 without asking the grabber.
TEST_F(Lists, BufferSizeRunsTheQueryItsTypeSelects) {
    addDevice(L"A");
    addDevice(L"BC");
    addEntry(*audioDevices, L"Mic");
    addEntry(*videoCompressors, L"Codecs");
    devEnum->setCategory(CLSID_AudioCompressorCategory, nullptr);
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    addGraphFilter(L"Device Filter");
    grabber->connectedFormat.resize(sizeof(VIDEOINFOHEADER));
    grabber->sampleSize = 77;
    // 7 to 9: the device here offers no stream configuration.
    const std::pair<int, int> rows[] = {{0, 8},   {1, 6},   {2, 16},      {3, 9},  {4, -3},
                                        {5, 77},  {6, 44},  {7, -4},      {8, -4}, {9, -4},
                                        {10, -1}, {-1, -1}, {INT_MIN, -1}};
    for (const auto& [type, expected] : rows) {
        journal().clear();
        EXPECT_EQ(vcx_GetBufferSize(type), expected) << "type " << type;
        EXPECT_EQ(journal().entries().empty(), expected == -1 || type == 6) << "type " << type;
    }
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetBufferSize(2), -1) << "no open slot";
}

} // namespace
