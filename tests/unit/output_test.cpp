// Open's output branches: every code of every mode, the pass rules, the
// compressor search, the choice of the library's own AVI writer, the fields
// each mode fills, and the references every path gives back. A result set on
// an exact call ("RenderStream(PIN_CATEGORY_PREVIEW, ...)") also checks that
// call's arguments: with others it would not take effect.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vcxcap.h"

#include "core/directshow.h"
#include "fakes/output_world.h"

using namespace fakes;

namespace {

// A result for a fake's call, or for the nth creation of a class ("create").
struct Set {
    const char* fake;
    const char* call;
    HRESULT hr;
    int nth = 0;
};

class Output : public OutputWorld {
  protected:
    Output() {
        addDevice();
        addCompressor(L"Codec A");
        addCompressor(L"Codec B");
        // As in the system table until the writer is built in.
        platform.table().setAviOutputFileName = nullptr;
    }

    void apply(const Set& set) {
        if (std::string(set.fake) == "create") {
            static const std::pair<const char*, const CLSID*> classes[] = {
                {"VideoRenderer", &CLSID_VideoRenderer},
                {"VideoMixingRenderer", &CLSID_VideoMixingRenderer},
                {"VideoMixingRenderer9", &CLSID_VideoMixingRenderer9},
                {"NullRenderer", &vcx::kClsidNullRenderer},
                {"SystemDeviceEnum", &CLSID_SystemDeviceEnum}};
            for (const auto& [name, clsid] : classes) {
                if (std::string(set.call) == name) {
                    platform.setNthCreateResult(*clsid, set.nth, set.hr);
                }
            }
            return;
        }
        if (std::string(set.fake) == "aviWriter") {
            aviWriter->install(platform);
        }
        for (FakeCom* fake : everyFake()) {
            if (fake->name() == set.fake) {
                fake->setResult(set.call, set.hr);
            }
        }
    }

    int open(int mode, const wchar_t* codec) {
        return mode >= 300 ? vcx_Open(0, mode, 0, textArgument(L"out.avi"), textArgument(codec))
                           : vcx_Open(0, mode, 0, 1, 1);
    }
};

// --- Results of every step ---------------------------------------------------

struct Result {
    int mode;
    const wchar_t* codec;
    std::vector<Set> sets;
    int expected;
};

void PrintTo(const Result& row, std::ostream* out) {
    *out << "mode " << row.mode << ", expecting " << row.expected;
    for (const Set& set : row.sets) {
        *out << ", " << set.fake << "." << set.call << " answering 0x" << std::hex << set.hr;
    }
}

class OutputResults : public Output, public ::testing::WithParamInterface<Result> {};

TEST_P(OutputResults, ReturnTheStepsCodeAndGiveBackEveryReference) {
    const Result& row = GetParam();
    for (const Set& set : row.sets) {
        apply(set);
    }
    EXPECT_EQ(open(row.mode, row.codec), row.expected);
    if (row.expected < 0 && !row.sets.empty()) {
        // The set call failed the step: nothing but releases follows it.
        const Set& failing = row.sets.back();
        const std::string prefix = std::string(failing.fake) == "create"
                                       ? std::string("CoCreateInstance(") + failing.call
                                       : std::string(failing.fake) + "." + failing.call;
        std::string last;
        for (const std::string& entry : journal().entries()) {
            if (entry.find(".Release") == std::string::npos) {
                last = entry;
            }
        }
        EXPECT_EQ(last.substr(0, prefix.size()), prefix);
    }
    if (row.expected < 0) {
        expectSlotEmpty(vcx::activeSlot());
    } else {
        EXPECT_EQ(vcx_Close(), 0);
    }
    EXPECT_EQ(vcx_GetRef(), 0);
    expectAllReleased();
    EXPECT_EQ(platform.variantInits, platform.variantClears);
}

const char kPreview0[] =
    "RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, videoRenderer)";
const char kPreview1[] = "RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, vmr7)";
const char kPreview2[] = "RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, vmr9)";
const char kPreview6[] = "RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, nullRenderer)";
const char kPreview300[] =
    "RenderStream(PIN_CATEGORY_PREVIEW, MEDIATYPE_Video, device0, grabber, nullRenderer)";
const char kPreview301[] =
    "RenderStream(PIN_CATEGORY_PREVIEW, MEDIATYPE_Video, device0, grabber, null)";
const char kCapture[] = "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, mux)";
const char kCaptureA[] =
    "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec0, mux)";
const char kCaptureOwn[] =
    "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, writerMux)";
const char kFile[] = "SetOutputFileName(MEDIASUBTYPE_Avi, out.avi, filter*, null)";
const char kOwnFile[] = "SetOutputFileName(graph, MEDIASUBTYPE_Avi, out.avi, filter*, null)";
const Set kNoBuilderFile{"builder", "SetOutputFileName", E_NOTIMPL};
const wchar_t* const kA = L"Codec A";

const Result kResults[] = {
    {0, nullptr, {{"create", "VideoRenderer", S_FALSE, 1}}, -39},
    {0, nullptr, {{"graph", "AddFilter(Video Renderer)", E_FAIL}}, -79},
    {0, nullptr, {{"graph", "AddFilter(Video Renderer)", VFW_S_DUPLICATE_NAME}}, 0},
    {0, nullptr, {{"builder", kPreview0, E_FAIL}}, -76},
    {0, nullptr, {{"builder", kPreview0, VFW_S_NOPREVIEWPIN}}, 0},
    {0, nullptr, {{"builder", kPreview0, VFW_E_CANNOT_CONNECT}}, 0},
    {1, nullptr, {{"create", "VideoMixingRenderer", E_FAIL, 1}}, -40},
    {1, nullptr, {{"vmr7", "QueryInterface(IVMRFilterConfig)", E_NOINTERFACE}}, -41},
    {1, nullptr, {{"vmr7", "SetRenderingMode(1)", E_INVALIDARG}}, -87},
    {1, nullptr, {{"vmr7", "SetNumberOfStreams(1)", E_NOTIMPL}}, -88},
    {1, nullptr, {{"graph", "AddFilter(VMR7)", E_FAIL}}, -89},
    {1, nullptr, {{"graph", "AddFilter(VMR7)", VFW_S_DUPLICATE_NAME}}, 0},
    {1, nullptr, {{"builder", kPreview1, E_POINTER}}, -86},
    {1, nullptr, {{"builder", kPreview1, S_FALSE}}, 0},
    {2, nullptr, {{"create", "VideoMixingRenderer9", S_FALSE, 1}}, -42},
    {2, nullptr, {{"vmr9", "QueryInterface(IVMRFilterConfig9)", E_NOINTERFACE}}, -43},
    {2, nullptr, {{"vmr9", "SetRenderingMode(1)", E_FAIL}}, -97},
    {2, nullptr, {{"vmr9", "SetNumberOfStreams(1)", E_INVALIDARG}}, -98},
    {2, nullptr, {{"graph", "AddFilter(VMR9)", S_FALSE}}, -99},
    {2, nullptr, {{"builder", kPreview2, E_INVALIDARG}}, -96},
    {2, nullptr, {{"builder", kPreview2, E_NOTIMPL}}, 0},
    {6, nullptr, {{"create", "NullRenderer", E_OUTOFMEMORY, 1}}, -44},
    {6, nullptr, {{"graph", "AddFilter(Null Renderer)", E_FAIL}}, -59},
    {6, nullptr, {{"graph", "AddFilter(Null Renderer)", VFW_S_DUPLICATE_NAME}}, 0},
    {6, nullptr, {{"builder", kPreview6, E_FAIL}}, -56},
    {6, nullptr, {{"builder", kPreview6, E_OUTOFMEMORY}}, 0},
    // Modes 300 and 301: the file, the library's own writer, the capture stream
    {300, nullptr, {{"builder", kFile, E_FAIL}}, -45},
    {301, nullptr, {{"builder", kFile, S_FALSE}}, -45},
    {300, nullptr, {kNoBuilderFile}, -45},
    {300,
     nullptr,
     {{"aviWriter", "SetOutputFileName", S_OK}, {"builder", kFile, E_ACCESSDENIED}},
     -45},
    {300, nullptr, {{"aviWriter", "SetOutputFileName", E_FAIL}}, 0},
    {300, nullptr, {kNoBuilderFile, {"aviWriter", kOwnFile, E_FAIL}}, -45},
    {301, nullptr, {kNoBuilderFile, {"aviWriter", kOwnFile, S_FALSE}}, -45},
    {301,
     nullptr,
     {kNoBuilderFile, {"aviWriter", kOwnFile, S_OK}, {"builder", kCaptureOwn, E_FAIL}},
     -46},
    {300, nullptr, {{"builder", kCapture, S_FALSE}}, -46},
    {300, kA, {{"create", "SystemDeviceEnum", REGDB_E_CLASSNOTREG, 2}}, -47},
    {301, kA, {{"devenum", "CreateClassEnumerator(VideoCompressorCategory, 0)", S_FALSE}}, -48},
    {301, kA, {{"videoCompressors", "Next", S_FALSE}}, -49},
    {300, L"Codec C", {}, -49},
    {300, kA, {{"builder", kFile, E_FAIL}}, -50},
    {301, kA, {kNoBuilderFile, {"aviWriter", kOwnFile, E_OUTOFMEMORY}}, -50},
    {300, kA, {{"builder", kCaptureA, VFW_E_CANNOT_CONNECT}}, -51},
    // The compressor's binds and AddFilter are not examined.
    {300,
     kA,
     {{"codec0.moniker", "BindToObject(IBaseFilter)", E_FAIL}, {"builder", kCapture, E_FAIL}},
     -51},
    {300, kA, {{"codec0.moniker", "BindToObject(IAMVfwCompressDialogs)", E_FAIL}}, 0},
    {301, kA, {{"graph", "AddFilter(Codec A)", E_FAIL}}, 0},
    // The previews of modes 300 and 301
    {300, nullptr, {{"create", "NullRenderer", E_FAIL, 1}}, -52},
    {300, nullptr, {{"graph", "AddFilter(Null Renderer)", VFW_S_DUPLICATE_NAME}}, -53},
    {300, nullptr, {{"builder", kPreview300, S_FALSE}}, -54},
    {300, kA, {{"builder", kPreview300, VFW_E_CANNOT_CONNECT}}, -54},
    {300, nullptr, {{"builder", kPreview300, VFW_S_NOPREVIEWPIN}}, 0},
    {301, nullptr, {{"builder", kPreview301, S_FALSE}}, -55},
    {301, nullptr, {{"builder", kPreview301, E_FAIL}}, -55},
    {301, kA, {{"builder", kPreview301, VFW_S_NOPREVIEWPIN}}, 0},
};

INSTANTIATE_TEST_SUITE_P(Steps, OutputResults, ::testing::ValuesIn(kResults));

// --- What each mode keeps ----------------------------------------------------

struct Kept {
    int mode;
    const wchar_t* codec;
    bool ownWriter;
    // rendererFilter, vmr7Filter, vmr9Filter, compressorFilter,
    // compressDialogs, muxFilter
    std::vector<std::string> fields;
};

class OutputFields : public Output, public ::testing::WithParamInterface<Kept> {};

TEST_P(OutputFields, HoldOneReferenceEach) {
    const Kept& row = GetParam();
    if (row.ownWriter) {
        apply(kNoBuilderFile);
        aviWriter->install(platform);
    }
    ASSERT_EQ(open(row.mode, row.codec), 0);
    const vcx::CaptureSlot& slot = vcx::activeSlot();
    EXPECT_EQ(std::vector<std::string>({describe(slot.rendererFilter), describe(slot.vmr7Filter),
                                        describe(slot.vmr9Filter), describe(slot.compressorFilter),
                                        describe(slot.compressDialogs), describe(slot.muxFilter)}),
              row.fields);
    for (FakeCom* fake :
         std::vector<FakeCom*>{videoRenderer.get(), vmr7.get(), vmr9.get(), nullRenderer.get(),
                               mux.get(), writerMux.get(), compressors[1]->filter.get()}) {
        const auto held = std::count(row.fields.begin(), row.fields.end(), fake->name());
        EXPECT_EQ(fake->refs(), 1u + static_cast<unsigned>(held)) << fake->name();
    }
    EXPECT_EQ(vcx::activeSlot().outputMode, row.mode);
}

const Kept kKept[] = {
    {0, nullptr, false, {"videoRenderer", "null", "null", "null", "null", "null"}},
    {1, nullptr, false, {"null", "vmr7", "null", "null", "null", "null"}},
    {2, nullptr, false, {"null", "null", "vmr9", "null", "null", "null"}},
    {6, L"Codec B", false, {"nullRenderer", "null", "null", "null", "null", "null"}},
    {300, nullptr, false, {"nullRenderer", "null", "null", "null", "null", "mux"}},
    {300, L"Codec B", true, {"nullRenderer", "null", "null", "codec1", "codec1", "writerMux"}},
    {301, L"Codec B", false, {"null", "null", "null", "codec1", "codec1", "mux"}},
    {7, L"Codec B", false, {"null", "null", "null", "null", "null", "null"}},
};

INSTANTIATE_TEST_SUITE_P(Modes, OutputFields, ::testing::ValuesIn(kKept));

// The rendering mode and the stream count differ, so that each call shows
// which of the two it was given.
struct Mixer {
    int mode;
    const char* fake;
};

class MixerValues : public Output, public ::testing::WithParamInterface<Mixer> {};

TEST_P(MixerValues, GoToTheirOwnCallsNarrowedToTheirDwords) {
    const Mixer& row = GetParam();
    ASSERT_EQ(vcx_Open(0, row.mode, 0, static_cast<vcx_intptr>(0x100000002LL), -1), 0);
    const std::string fake = row.fake;
    EXPECT_TRUE(journal().contains(fake + ".SetRenderingMode(2)"));
    EXPECT_TRUE(journal().contains(fake + ".SetNumberOfStreams(4294967295)"));
}

INSTANTIATE_TEST_SUITE_P(Modes, MixerValues, ::testing::Values(Mixer{1, "vmr7"}, Mixer{2, "vmr9"}),
                         [](const auto& info) { return std::string(info.param.fake); });

// The search releases each entry's name, moniker and bag, in that order,
// before the next, and stops at the first match.
TEST_F(Output, CompressorSearchGivesBackEachEntryBeforeTheNext) {
    addCompressor(L"Codec B");
    ASSERT_EQ(open(301, L"Codec B"), 0);
    auto first = std::find(journal().entries().begin(), journal().entries().end(),
                           "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 3)");
    auto last = std::find(first, journal().entries().end(), "devenum.Release");
    ASSERT_NE(last, journal().entries().end());
    const std::vector<std::string> search(first + 1, last + 1);
    const std::vector<std::string> expected = {
        "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)",
        "videoCompressors.Next(1)",
        "codec0.moniker.BindToStorage(IPropertyBag)",
        "VariantInit",
        "codec0.bag.Read(FriendlyName, no log)",
        "VariantClear",
        "codec0.moniker.Release",
        "codec0.bag.Release",
        "videoCompressors.Next(1)",
        "codec1.moniker.BindToStorage(IPropertyBag)",
        "VariantInit",
        "codec1.bag.Read(FriendlyName, no log)",
        "codec1.moniker.BindToObject(IBaseFilter)",
        "codec1.moniker.BindToObject(IAMVfwCompressDialogs)",
        "graph.AddFilter(Codec B)",
        "VariantClear",
        "codec1.moniker.Release",
        "codec1.bag.Release",
        "videoCompressors.Release",
        "devenum.Release"};
    EXPECT_EQ(search, expected);
    EXPECT_EQ(graph->added.back().first, vcx::activeSlot().compressorFilter);
}

// --- Which compressor a name picks -------------------------------------------

enum Kind { Named, Unread, NotAString, NoBag, NullMoniker };

struct Listed {
    Kind kind;
    const wchar_t* name;
};

struct Search {
    std::vector<Listed> listed;
    const wchar_t* asked;
    int taken; // position of the compressor taken; -1: none (-49)
};

class CompressorNames : public OutputWorld, public ::testing::WithParamInterface<Search> {};

TEST_P(CompressorNames, PickTheFirstExactMatch) {
    const Search& row = GetParam();
    addDevice();
    std::vector<FakeCompressorEntry*> at;
    for (const Listed& listed : row.listed) {
        FakeCompressorEntry* entry = nullptr;
        if (listed.kind == NullMoniker) {
            videoCompressors->items.push_back(nullptr);
        } else {
            entry = &addCompressor(listed.name);
            entry->bag->friendlyType = listed.kind == NotAString ? VT_I4 : VT_BSTR;
            entry->bag->setResult("Read", listed.kind == Unread ? E_INVALIDARG : S_OK);
            entry->moniker->setResult("BindToStorage", listed.kind == NoBag ? E_FAIL : S_OK);
        }
        at.push_back(entry);
    }
    const int result = vcx_Open(0, 301, 0, textArgument(L"f.avi"), textArgument(row.asked));
    const int walked = row.taken >= 0 ? row.taken + 1 : static_cast<int>(row.listed.size());
    EXPECT_EQ(platform.variantInits, walked);
    EXPECT_EQ(platform.variantClears, walked);
    if (row.taken < 0) {
        EXPECT_EQ(result, -49);
    } else {
        ASSERT_EQ(result, 0);
        EXPECT_EQ(static_cast<void*>(vcx::activeSlot().compressorFilter),
                  at[static_cast<std::size_t>(row.taken)]->filter->find(IID_IBaseFilter));
        EXPECT_EQ(graph->added.back().second, row.asked);
        EXPECT_EQ(vcx_Close(), 0);
    }
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Names, CompressorNames,
    ::testing::Values(
        Search{{{Named, L"Codec A"}}, L"Codec A", 0}, Search{{{Named, L"Codec A"}}, L"codec a", -1},
        Search{{{Named, L"Kodek \u00e9"}}, L"Kodek \u00c9", -1},
        Search{{{Named, L"Codec A"}}, L"Codec A ", -1},
        Search{{{Named, L"Codec A "}}, L"Codec A", -1},
        Search{{{Named, L"Codec AB"}}, L"Codec A", -1},
        Search{{{Named, L"Codec A"}, {Named, L""}}, L"", 1}, Search{{{Named, L"Codec A"}}, L"", -1},
        Search{{{Named, L"B"}, {Named, L"A"}, {Named, L"A"}}, L"A", 1},
        Search{{{Unread, L"A"}, {Named, L"A"}}, L"A", 1}, Search{{{NotAString, L"A"}}, L"A", -1},
        Search{{{NoBag, L"A"}, {Named, L"A"}}, L"A", 1},
        Search{{{NullMoniker, L""}, {Named, L""}}, L"", 1}));

} // namespace
