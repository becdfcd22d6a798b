// The device and compressor lists and their size queries: the category each
// asks for, the text they write, their failure codes with the caller's
// buffer untouched, monikers that give no name, and the references and
// variants they give back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/caller_buffer.h"
#include "fakes/fake_variant_bag.h"
#include "fakes/list_world.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

// The journal entries other than releases.
std::vector<std::string> callsMade() {
    std::vector<std::string> calls;
    for (const std::string& entry : journal().entries()) {
        if (entry.find(".Release") == std::string::npos) {
            calls.push_back(entry);
        }
    }
    return calls;
}

class Lists : public ListWorld {};

// One of the four lists, as the host reaches it.
struct Category {
    const char* name;
    Held<FakeEnumMoniker> ListWorld::*category;
    const char* categoryName;
    int audio;
    int (*list)(char*, int);
    int (*size)(int);
    int nameBytes;
};

void PrintTo(const Category& row, std::ostream* out) {
    *out << row.name;
}

class ListCategories : public Lists, public ::testing::WithParamInterface<Category> {
  protected:
    FakeEnumMoniker& category() { return *(this->*GetParam().category); }
};

TEST_P(ListCategories, ListTheirCategoryThroughTheirConversionBuffer) {
    const Category& row = GetParam();
    addEntry(category(), L"A");
    addEntry(category(), L"BC");
    CallerBuffer buffer("");

    EXPECT_EQ(row.size(row.audio), 8);
    EXPECT_EQ(row.list(buffer.data(), row.audio), 2);

    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("A\r\nBC\r\n"));
    const std::string walk =
        "devenum.CreateClassEnumerator(" + std::string(row.categoryName) + ", 0)";
    EXPECT_EQ(journal().matching("CreateClassEnumerator"), std::vector<std::string>(2, walk));
    EXPECT_EQ(journal().matching("WideCharToMultiByte"),
              std::vector<std::string>(4, "codepage.WideCharToMultiByte(CP_ACP, 0, -1, " +
                                              std::to_string(row.nameBytes) + ", null, null)"));
    EXPECT_EQ(platform.contextOf(CLSID_SystemDeviceEnum), CLSCTX_INPROC_SERVER);
    EXPECT_EQ(platform.variantInits, 4);
    EXPECT_EQ(platform.variantClears, 4);
    expectEveryFakeAtRest();
}

const Category kCategories[] = {
    {"VideoDevices", &ListWorld::videoDevices, "VideoInputDeviceCategory", 0, vcx_GetDeviceList,
     vcx_GetDeviceListSize, 1024},
    {"AudioDevicesBy1", &ListWorld::audioDevices, "AudioInputDeviceCategory", 1, vcx_GetDeviceList,
     vcx_GetDeviceListSize, 1024},
    {"AudioDevicesBy2", &ListWorld::audioDevices, "AudioInputDeviceCategory", 2, vcx_GetDeviceList,
     vcx_GetDeviceListSize, 1024},
    {"AudioDevicesByMinus1", &ListWorld::audioDevices, "AudioInputDeviceCategory", -1,
     vcx_GetDeviceList, vcx_GetDeviceListSize, 1024},
    {"VideoCompressors", &ListWorld::videoCompressors, "VideoCompressorCategory", 0,
     vcx_GetCodecList, vcx_GetCodecListSize, 256},
    {"AudioCompressorsBy1", &ListWorld::audioCompressors, "AudioCompressorCategory", 1,
     vcx_GetCodecList, vcx_GetCodecListSize, 256},
    {"AudioCompressorsBy2", &ListWorld::audioCompressors, "AudioCompressorCategory", 2,
     vcx_GetCodecList, vcx_GetCodecListSize, 256},
    {"AudioCompressorsByMinus1", &ListWorld::audioCompressors, "AudioCompressorCategory", -1,
     vcx_GetCodecList, vcx_GetCodecListSize, 256},
};

INSTANTIATE_TEST_SUITE_P(Each, ListCategories, ::testing::ValuesIn(kCategories),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lists, ReadEachNameThroughItsOwnPropertyBagAndReleaseItInTurn) {
    addDevice(L"A");
    CallerBuffer buffer("");
    ASSERT_EQ(vcx_GetDeviceList(buffer.data(), 0), 1);
    EXPECT_THAT(journal().entries(),
                ElementsAre("CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)",
                            "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)",
                            "videoDevices.Reset", "videoDevices.Next(1)",
                            "device0.moniker.BindToStorage(IPropertyBag)", "VariantInit",
                            "device0.bag.Read(FriendlyName, no log)",
                            "codepage.WideCharToMultiByte(CP_ACP, 0, -1, 1024, null, null)",
                            "VariantClear", "device0.bag.Release", "device0.moniker.Release",
                            "videoDevices.Next(1)", "videoDevices.Release", "devenum.Release"));
}

TEST_F(Lists, AskTheBagForAString) {
    FakeDevice& device = addDevice(L"unused");
    VARIANT name;
    VariantInit(&name);
    name.vt = VT_BSTR;
    name.bstrVal = SysAllocString(L"Named");
    Held<FakeVariantBag> bag("bag", name);
    device.moniker->storage = bag.get();
    CallerBuffer buffer("");
    ASSERT_EQ(vcx_GetDeviceList(buffer.data(), 0), 1);
    EXPECT_EQ(bag->askedType, VT_BSTR);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("Named\r\n"));
}

// What the video device list holds, and how the enumeration ends.
struct Contents {
    const char* name;
    std::vector<std::wstring> devices;
    int failAt;
    std::string expected;
    int entries;
};

void PrintTo(const Contents& row, std::ostream* out) {
    *out << row.name;
}

class ListContents : public Lists, public ::testing::WithParamInterface<Contents> {};

TEST_P(ListContents, AppendAfterTheTextAndMatchTheSize) {
    const Contents& row = GetParam();
    for (const std::wstring& device : row.devices) {
        addDevice(device);
    }
    videoDevices->failAt = row.failAt;
    CallerBuffer buffer("x");

    EXPECT_EQ(vcx_GetDeviceListSize(0), static_cast<int>(row.expected.size()) + 1);
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 0), row.entries);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("x" + row.expected));
    // A second call appends its own list and counts only its own entries.
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 0), row.entries);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("x" + row.expected + row.expected));
    EXPECT_EQ(platform.variantInits, platform.variantClears);
    expectEveryFakeAtRest();
}

const Contents kContents[] = {
    {"TwoNames", {L"A", L"BC"}, -1, "A\r\nBC\r\n", 2},
    {"EmptyEnumerator", {}, -1, "", 0},
    {"FailingPartWayKeepsTheNamesSoFar", {L"A", L"BC", L"D"}, 2, "A\r\nBC\r\n", 2},
    {"FailingAtOnce", {L"A"}, 0, "", 0},
    {"NamesOutsideTheCodePage",
     {L"Cam\u00E9ra \u2603", L"\u30AB\u30E1\u30E9"},
     -1,
     "Cam\xE9ra ?\r\n\x82\x6B\x82\x61\x82\x69\r\n",
     2},
    {"NameFillingTheConversionBuffer",
     {std::wstring(1023, L'n')},
     -1,
     std::string(1023, 'n') + "\r\n",
     1},
    {"NameBeyondTheConversionBufferKeepsItsLine",
     {L"A", std::wstring(1024, L'n'), L"C"},
     -1,
     "A\r\n\r\nC\r\n",
     3},
};

INSTANTIATE_TEST_SUITE_P(Devices, ListContents, ::testing::ValuesIn(kContents),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lists, CompressorNamesBeyondTheirBufferAreEmptyEntries) {
    addEntry(*videoCompressors, std::wstring(255, L'c'));
    addEntry(*videoCompressors, std::wstring(256, L'c'));
    CallerBuffer buffer("");
    EXPECT_EQ(vcx_GetCodecListSize(0), 255 + 2 + 2 + 1);
    EXPECT_EQ(vcx_GetCodecList(buffer.data(), 0), 2);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending(std::string(255, 'c') + "\r\n\r\n"));
}

// A moniker that gives no name: how to make the middle one of three so.
struct Nameless {
    const char* name;
    std::function<void(FakeDevice&, std::vector<std::unique_ptr<Held<FakeVariantBag>>>&)> arrange;
};

void PrintTo(const Nameless& row, std::ostream* out) {
    *out << row.name;
}

class NamelessMoniker : public Lists, public ::testing::WithParamInterface<Nameless> {};

Nameless bagValue(const char* name, VARTYPE type) {
    return {name, [type](FakeDevice& device, auto& bags) {
                VARIANT value;
                VariantInit(&value);
                value.vt = type;
                value.lVal = 7; // VT_I4's value; for VT_BSTR a null string
                if (type == VT_BSTR) {
                    value.bstrVal = nullptr;
                }
                bags.push_back(std::make_unique<Held<FakeVariantBag>>("odd.bag", value));
                device.moniker->storage = bags.back()->get();
            }};
}

TEST_P(NamelessMoniker, KeepsItsPlaceAsAnEmptyEntryInListAndSize) {
    std::vector<std::unique_ptr<Held<FakeVariantBag>>> bags;
    addDevice(L"A");
    GetParam().arrange(addDevice(L"B"), bags);
    addDevice(L"C");
    CallerBuffer buffer("");

    EXPECT_EQ(vcx_GetDeviceListSize(0), 9);
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 0), 3);
    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("A\r\n\r\nC\r\n"));
    EXPECT_EQ(platform.variantInits, platform.variantClears);
    expectEveryFakeAtRest();
}

const Nameless kNameless[] = {
    {"NoPropertyBag", [](FakeDevice& d, auto&) { d.moniker->storage = nullptr; }},
    {"BindToStorageFails",
     [](FakeDevice& d, auto&) { d.moniker->setResult("BindToStorage", E_ACCESSDENIED); }},
    {"ReadFails",
     [](FakeDevice& d, auto&) { d.bag->setResult("Read", HRESULT_FROM_WIN32(ERROR_NOT_FOUND)); }},
    bagValue("FriendlyNameIsANumber", VT_I4),
    bagValue("FriendlyNameIsEmpty", VT_EMPTY),
    bagValue("FriendlyNameIsANullString", VT_BSTR),
};

INSTANTIATE_TEST_SUITE_P(Monikers, NamelessMoniker, ::testing::ValuesIn(kNameless),
                         [](const auto& info) { return std::string(info.param.name); });

// A failing call of a list export: how to arrange it, the export call, the
// code, and the platform call that failed (after which only releases may
// follow), or "" when the export calls nothing.
struct Failure {
    const char* name;
    std::function<void(Lists&)> arrange;
    std::function<int(char*)> run;
    int expected;
    const char* failingCall;
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class ListFails : public Lists, public ::testing::WithParamInterface<Failure> {};

TEST_P(ListFails, ReturnsItsCodeWithTheBufferUntouched) {
    const Failure& row = GetParam();
    addDevice(L"A");
    addEntry(*videoCompressors, L"C");
    row.arrange(*this);
    CallerBuffer buffer("kept");

    EXPECT_EQ(row.run(buffer.data()), row.expected);

    EXPECT_EQ(buffer.textAndNextByte(), CallerBuffer::ending("kept"));
    const std::vector<std::string> calls = callsMade();
    if (*row.failingCall == '\0') {
        EXPECT_TRUE(journal().entries().empty());
    } else {
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), row.failingCall) << "the last call before the releases";
    }
    expectEveryFakeAtRest();
}

void beforeInit(Lists&) {
    vcx::library().comInitialized = 0;
}
void noDeviceEnumerator(Lists& t) {
    t.platform.setCreateResult(CLSID_SystemDeviceEnum, REGDB_E_CLASSNOTREG);
}
void deviceEnumeratorWithSuccessCode(Lists& t) {
    t.platform.setCreateResult(CLSID_SystemDeviceEnum, S_FALSE);
}
void emptyCategories(Lists& t) {
    // As the platform answers an empty category: S_FALSE and no enumerator.
    t.devEnum->setResult("CreateClassEnumerator", S_FALSE);
    t.devEnum->setCategory(CLSID_VideoInputDeviceCategory, nullptr);
    t.devEnum->setCategory(CLSID_VideoCompressorCategory, nullptr);
}
void asIs(Lists&) {}

int deviceList(char* buffer) {
    return vcx_GetDeviceList(buffer, 0);
}
int deviceSize(char*) {
    return vcx_GetDeviceListSize(0);
}
int codecList(char* buffer) {
    return vcx_GetCodecList(buffer, 0);
}
int codecSize(char*) {
    return vcx_GetCodecListSize(0);
}
int deviceListNull(char*) {
    return vcx_GetDeviceList(nullptr, 0);
}
int codecListNull(char*) {
    return vcx_GetCodecList(nullptr, 0);
}
int audioDeviceList(char* buffer) {
    return vcx_GetDeviceList(buffer, 1);
}
int audioCodecList(char* buffer) {
    return vcx_GetCodecList(buffer, 1);
}

const char kCreate[] = "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)";

const Failure kFailures[] = {
    {"DeviceListBeforeInit", beforeInit, deviceList, -1, ""},
    {"DeviceSizeBeforeInit", beforeInit, deviceSize, -1, ""},
    {"CodecListBeforeInit", beforeInit, codecList, -1, ""},
    {"CodecSizeBeforeInit", beforeInit, codecSize, -1, ""},
    {"DeviceListWithoutDeviceEnumerator", noDeviceEnumerator, deviceList, -1, kCreate},
    {"DeviceSizeWithoutDeviceEnumerator", noDeviceEnumerator, deviceSize, -1, kCreate},
    {"CodecListWithoutDeviceEnumerator", noDeviceEnumerator, codecList, -2, kCreate},
    {"CodecSizeWithoutDeviceEnumerator", noDeviceEnumerator, codecSize, -2, kCreate},
    {"DeviceEnumeratorCreatedWithSuccessCode", deviceEnumeratorWithSuccessCode, deviceList, -1,
     kCreate},
    {"CodecEnumeratorCreatedWithSuccessCode", deviceEnumeratorWithSuccessCode, codecSize, -2,
     kCreate},
    {"NoVideoDevice", emptyCategories, deviceList, -2,
     "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)"},
    {"NoVideoDeviceSize", emptyCategories, deviceSize, -2,
     "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)"},
    {"NoVideoCompressor", emptyCategories, codecList, -3,
     "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)"},
    {"NoVideoCompressorSize", emptyCategories, codecSize, -3,
     "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)"},
    {"NoAudioDevice",
     [](Lists& t) { t.devEnum->setCategory(CLSID_AudioInputDeviceCategory, nullptr); },
     audioDeviceList, -2, "devenum.CreateClassEnumerator(AudioInputDeviceCategory, 0)"},
    {"NoAudioCompressor",
     [](Lists& t) { t.devEnum->setCategory(CLSID_AudioCompressorCategory, nullptr); },
     audioCodecList, -3, "devenum.CreateClassEnumerator(AudioCompressorCategory, 0)"},
    // A null buffer is refused after the export's own checks, before the walk.
    {"DeviceListIntoNull", asIs, deviceListNull, -3,
     "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)"},
    {"CodecListIntoNull", asIs, codecListNull, -4,
     "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)"},
    {"DeviceListIntoNullBeforeInit", beforeInit, deviceListNull, -1, ""},
    {"DeviceListIntoNullWithoutDevices", emptyCategories, deviceListNull, -2,
     "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)"},
    {"CodecListIntoNullWithoutDeviceEnumerator", noDeviceEnumerator, codecListNull, -2, kCreate},
};

INSTANTIATE_TEST_SUITE_P(Failures, ListFails, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lists, PositionInTheVideoDeviceListIsTheDeviceIndexOfOpen) {
    addDevice(L"A");
    addDevice(L"B").moniker->storage = nullptr;
    FakeDevice& third = addDevice(L"C");
    CallerBuffer buffer("");
    ASSERT_EQ(vcx_GetDeviceList(buffer.data(), 0), 3);
    ASSERT_EQ(std::string(buffer.data()), "A\r\n\r\nC\r\n");
    ASSERT_EQ(vcx_Open(2, 5, 0, 0, 0), 0);
    EXPECT_EQ(static_cast<void*>(vcx::activeSlot().sourceFilter),
              third.filter->find(IID_IBaseFilter));
}

} // namespace
