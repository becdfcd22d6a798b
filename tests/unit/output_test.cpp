// Open's output branches: the calls of each mode with their arguments, the
// pass rules of every step, the codes of every failure, the compressor search
// and the choice of the library's own AVI writer, and the references every
// path gives back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "core/directshow.h"
#include "fakes/output_world.h"

using namespace fakes;

namespace {

constexpr wchar_t kFile[] = L"out.avi";

vcx_intptr text(const wchar_t* value) {
    return reinterpret_cast<vcx_intptr>(value);
}

class Output : public OutputWorld {
  protected:
    Output() {
        addDevice();
        addCompressor(L"Codec A");
        addCompressor(L"Codec B");
    }

    // The calls of the branch: after the device choice, before the window query.
    static std::vector<std::string> branchCalls() {
        const auto& all = journal().entries();
        auto begin = std::find(all.begin(), all.end(), "devenum.Release");
        auto end = std::find(all.begin(), all.end(), "graph.QueryInterface(IVideoWindow)");
        return begin < end ? std::vector<std::string>(begin + 1, end) : all;
    }

    // The fakes in rendererFilter, vmr7Filter, vmr9Filter, compressorFilter,
    // compressDialogs and muxFilter, by name ("null" when empty).
    static std::array<std::string, 6> outputFields() {
        const vcx::CaptureSlot& slot = vcx::activeSlot();
        return {describe(slot.rendererFilter),  describe(slot.vmr7Filter),
                describe(slot.vmr9Filter),      describe(slot.compressorFilter),
                describe(slot.compressDialogs), describe(slot.muxFilter)};
    }
};

// The last call before the releases of a failed open.
std::string lastCallBeforeReleases() {
    const auto& all = journal().entries();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (it->find(".Release") == std::string::npos) {
            return *it;
        }
    }
    return {};
}

// --- Each mode's calls, in order, and the fields it fills ------------------

struct Build {
    const char* name;
    int mode;
    vcx_intptr fileOrRenderMode;
    vcx_intptr codecOrStreams;
    std::vector<std::string> calls;
    std::array<std::string, 6> fields;
};

void PrintTo(const Build& row, std::ostream* out) {
    *out << row.name;
}

class OutputBuilds : public Output, public ::testing::WithParamInterface<Build> {};

TEST_P(OutputBuilds, MakesTheModesCallsAndKeepsOneReferencePerField) {
    const Build& row = GetParam();
    ASSERT_EQ(vcx_Open(0, row.mode, 0, row.fileOrRenderMode, row.codecOrStreams), 0);
    EXPECT_EQ(branchCalls(), row.calls);
    EXPECT_EQ(outputFields(), row.fields);
    EXPECT_EQ(vcx::activeSlot().outputMode, row.mode);
    // Each filter a field holds has the test's reference and the slot's; the
    // branch's own objects are all given back.
    for (FakeCom* fake : everyFake()) {
        const bool held =
            std::find(row.fields.begin(), row.fields.end(), fake->name()) != row.fields.end();
        if (held && fake != graph.get() && fake != grabber.get()) {
            const unsigned expected = 1 + static_cast<unsigned>(std::count(
                                              row.fields.begin(), row.fields.end(), fake->name()));
            EXPECT_EQ(fake->refs(), expected) << fake->name();
        } else if (fake->name().starts_with("codec") || fake == devEnum.get() ||
                   fake == videoCompressors.get()) {
            EXPECT_EQ(fake->refs(), 1u) << fake->name();
        }
    }
    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

const std::vector<std::string> kSearchForCodecB = {
    "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 3)",
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

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Build kBuilds[] = {
    {"VideoRenderer",
     0,
     0,
     0,
     {"CoCreateInstance(VideoRenderer, null, IBaseFilter, 1)", "graph.AddFilter(Video Renderer)",
      "builder.RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, videoRenderer)"},
     {"videoRenderer", "null", "null", "null", "null", "null"}},
    {"MixingRenderer7",
     1,
     4,
     3,
     {"CoCreateInstance(VideoMixingRenderer, null, IBaseFilter, 1)",
      "vmr7.QueryInterface(IVMRFilterConfig)", "vmr7.SetRenderingMode(4)",
      "vmr7.SetNumberOfStreams(3)", "vmr7.Release(IVMRFilterConfig)", "graph.AddFilter(VMR7)",
      "builder.RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, vmr7)"},
     {"null", "vmr7", "null", "null", "null", "null"}},
    // A 64-bit host's values are narrowed to the 32 bits the renderer takes.
    {"MixingRenderer9WithWideValues",
     2,
     static_cast<vcx_intptr>(0x100000002LL),
     -1,
     {"CoCreateInstance(VideoMixingRenderer9, null, IBaseFilter, 1)",
      "vmr9.QueryInterface(IVMRFilterConfig9)", "vmr9.SetRenderingMode(2)",
      "vmr9.SetNumberOfStreams(4294967295)", "vmr9.Release(IVMRFilterConfig9)",
      "graph.AddFilter(VMR9)",
      "builder.RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, vmr9)"},
     {"null", "null", "vmr9", "null", "null", "null"}},
    {"NullRenderer",
     6,
     text(kFile),
     text(L"Codec A"),
     {"CoCreateInstance(NullRenderer, null, IBaseFilter, 1)", "graph.AddFilter(Null Renderer)",
      "builder.RenderStream(PIN_CATEGORY_PREVIEW, null, device0, grabber, nullRenderer)"},
     {"nullRenderer", "null", "null", "null", "null", "null"}},
    {"FileWithoutCompressor",
     300,
     text(kFile),
     0,
     {"builder.SetOutputFileName(MEDIASUBTYPE_Avi, out.avi, filter*, null)",
      "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, mux)",
      "CoCreateInstance(NullRenderer, null, IBaseFilter, 1)", "graph.AddFilter(Null Renderer)",
      "builder.RenderStream(PIN_CATEGORY_PREVIEW, MEDIATYPE_Video, device0, grabber, "
      "nullRenderer)"},
     {"nullRenderer", "null", "null", "null", "null", "mux"}},
    {"FileWithPreviewThroughCompressor",
     301,
     text(kFile),
     text(L"Codec B"),
     concat(kSearchForCodecB,
            {"builder.SetOutputFileName(MEDIASUBTYPE_Avi, out.avi, filter*, null)",
             "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec1, mux)",
             "builder.RenderStream(PIN_CATEGORY_PREVIEW, MEDIATYPE_Video, device0, grabber, "
             "null)"}),
     {"null", "null", "null", "codec1", "codec1", "mux"}},
};

INSTANTIATE_TEST_SUITE_P(Modes, OutputBuilds, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Results that let the open go on -----------------------------------------

struct Pass {
    const char* name;
    int mode;
    vcx_intptr codecOrStreams;
    std::function<void(Output&)> arrange;
    // An entry the journal must hold, and one it must not ("" for none).
    std::string made;
    std::string notMade;
};

void PrintTo(const Pass& row, std::ostream* out) {
    *out << row.name;
}

class OutputPasses : public Output, public ::testing::WithParamInterface<Pass> {};

TEST_P(OutputPasses, OpensTheSlot) {
    const Pass& row = GetParam();
    row.arrange(*this);
    const vcx_intptr first = row.mode >= 300 ? text(kFile) : 0;
    ASSERT_EQ(vcx_Open(0, row.mode, 0, first, row.codecOrStreams), 0);
    EXPECT_EQ(vcx_GetRef(), 2);
    EXPECT_TRUE(journal().contains(row.made)) << row.made;
    if (!row.notMade.empty()) {
        EXPECT_FALSE(journal().contains(row.notMade)) << row.notMade;
    }
    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

void setRender(Output& t, const char* category, HRESULT hr) {
    t.builder->setResult(category, hr);
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
const char kWriterCall[] =
    "aviWriter.SetOutputFileName(graph, MEDIASUBTYPE_Avi, out.avi, filter*, null)";

const Pass kPasses[] = {
    {"VideoRendererWithoutPreviewPin", 0, 0,
     [](Output& t) { setRender(t, kPreview0, VFW_S_NOPREVIEWPIN); },
     std::string("builder.") + kPreview0, ""},
    {"VideoRendererNotConnected", 0, 0,
     [](Output& t) { setRender(t, kPreview0, VFW_E_CANNOT_CONNECT); },
     std::string("builder.") + kPreview0, ""},
    {"VideoRendererUnderADuplicateName", 0, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Video Renderer)", VFW_S_DUPLICATE_NAME); },
     std::string("builder.") + kPreview0, ""},
    {"Vmr7RenderStillChanging", 1, 1, [](Output& t) { setRender(t, kPreview1, S_FALSE); },
     std::string("builder.") + kPreview1, ""},
    {"Vmr7UnderADuplicateName", 1, 1,
     [](Output& t) { t.graph->setResult("AddFilter(VMR7)", VFW_S_DUPLICATE_NAME); },
     std::string("builder.") + kPreview1, ""},
    {"Vmr9NotImplemented", 2, 1, [](Output& t) { setRender(t, kPreview2, E_NOTIMPL); },
     std::string("builder.") + kPreview2, ""},
    {"Vmr9UnderADuplicateName", 2, 1,
     [](Output& t) { t.graph->setResult("AddFilter(VMR9)", VFW_S_DUPLICATE_NAME); },
     std::string("builder.") + kPreview2, ""},
    {"NullRendererNotConnected", 6, 0, [](Output& t) { setRender(t, kPreview6, E_OUTOFMEMORY); },
     std::string("builder.") + kPreview6, ""},
    {"NullRendererUnderADuplicateName", 6, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Null Renderer)", VFW_S_DUPLICATE_NAME); },
     std::string("builder.") + kPreview6, ""},
    {"FileWithoutPreviewPin", 300, 0,
     [](Output& t) { setRender(t, kPreview300, VFW_S_NOPREVIEWPIN); },
     std::string("builder.") + kPreview300, ""},
    {"FileWithPreviewWithoutPreviewPin", 301, 0,
     [](Output& t) { setRender(t, kPreview301, VFW_S_NOPREVIEWPIN); },
     std::string("builder.") + kPreview301, ""},
    {"CompressorFilterNotBound", 300, text(L"Codec A"),
     [](Output& t) { t.compressors[0]->moniker->setResult("BindToObject(IBaseFilter)", E_FAIL); },
     "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, mux)", ""},
    {"CompressorDialogsNotBound", 300, text(L"Codec A"),
     [](Output& t) {
         t.compressors[0]->moniker->setResult("BindToObject(IAMVfwCompressDialogs)", E_FAIL);
     },
     "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec0, mux)", ""},
    {"CompressorNotAdded", 301, text(L"Codec A"),
     [](Output& t) { t.graph->setResult("AddFilter(Codec A)", E_FAIL); },
     "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec0, mux)", ""},
    {"OwnWriterWhereTheBuilderHasNoFileOutput", 300, 0,
     [](Output& t) {
         t.builder->setResult("SetOutputFileName", E_NOTIMPL);
         t.aviWriter->install(t.platform);
     },
     "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, writerMux)", ""},
    {"OwnWriterUnusedWhereTheBuilderMakesTheFile", 301, text(L"Codec B"),
     [](Output& t) { t.aviWriter->install(t.platform); },
     "builder.RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec1, mux)",
     kWriterCall},
};

INSTANTIATE_TEST_SUITE_P(Results, OutputPasses, ::testing::ValuesIn(kPasses),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Failures: each step's code ----------------------------------------------

struct Failure {
    const char* name;
    int mode;
    vcx_intptr codecOrStreams;
    std::function<void(Output&)> arrange;
    int expected;
    std::string failingCall;
    // The first release after the failing call ("" for no check): the
    // branch's own objects go before the slot's.
    std::string firstRelease;
};

void PrintTo(const Failure& row, std::ostream* out) {
    *out << row.name;
}

class OutputFails : public Output, public ::testing::WithParamInterface<Failure> {};

TEST_P(OutputFails, ReturnsItsCodeAndGivesBackEveryReference) {
    const Failure& row = GetParam();
    row.arrange(*this);
    const vcx_intptr first = row.mode >= 300 ? text(kFile) : 1;
    EXPECT_EQ(vcx_Open(0, row.mode, 0, first, row.codecOrStreams), row.expected);
    EXPECT_EQ(lastCallBeforeReleases(), row.failingCall);
    if (!row.firstRelease.empty()) {
        const auto& all = journal().entries();
        const auto failing = std::find(all.rbegin(), all.rend(), row.failingCall);
        ASSERT_NE(failing, all.rend());
        ASSERT_NE(failing, all.rbegin());
        EXPECT_EQ(*(failing - 1), row.firstRelease);
    }
    EXPECT_EQ(vcx_GetRef(), 0);
    expectSlotEmpty(vcx::activeSlot());
    expectAllReleased();
    EXPECT_EQ(platform.variantInits, platform.variantClears);
}

void createResult(Output& t, REFCLSID clsid, HRESULT hr) {
    t.platform.setCreateResult(clsid, hr);
}

const char kCreateVideoRenderer[] = "CoCreateInstance(VideoRenderer, null, IBaseFilter, 1)";
const char kCreateVmr7[] = "CoCreateInstance(VideoMixingRenderer, null, IBaseFilter, 1)";
const char kCreateVmr9[] = "CoCreateInstance(VideoMixingRenderer9, null, IBaseFilter, 1)";
const char kCreateNullRenderer[] = "CoCreateInstance(NullRenderer, null, IBaseFilter, 1)";
const char kCreateCompressorEnum[] = "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 3)";
const char kBuilderFile[] = "builder.SetOutputFileName(MEDIASUBTYPE_Avi, out.avi, filter*, null)";
const char kCapture[] = "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, mux)";
const char kCaptureCodec[] =
    "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, codec0, mux)";
const char kCaptureWriter[] =
    "RenderStream(PIN_CATEGORY_CAPTURE, MEDIATYPE_Video, device0, null, writerMux)";

std::string builderCall(const char* call) {
    return std::string("builder.") + call;
}

void ownWriter(Output& t, HRESULT hr) {
    t.builder->setResult("SetOutputFileName", E_NOTIMPL);
    t.aviWriter->install(t.platform);
    t.aviWriter->setResult("SetOutputFileName", hr);
}

const Failure kFailures[] = {
    // Mode 0
    {"VideoRendererNotCreated", 0, 0,
     [](Output& t) { createResult(t, CLSID_VideoRenderer, E_FAIL); }, -39, kCreateVideoRenderer,
     ""},
    {"VideoRendererCreatedWithSuccessCode", 0, 0,
     [](Output& t) { createResult(t, CLSID_VideoRenderer, S_FALSE); }, -39, kCreateVideoRenderer,
     "videoRenderer.Release"},
    {"VideoRendererNotAdded", 0, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Video Renderer)", E_FAIL); }, -79,
     "graph.AddFilter(Video Renderer)", ""},
    {"VideoRendererAddedWithOtherSuccessCode", 0, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Video Renderer)", S_FALSE); }, -79,
     "graph.AddFilter(Video Renderer)", ""},
    {"VideoRendererRenderFails", 0, 0, [](Output& t) { setRender(t, kPreview0, E_FAIL); }, -76,
     builderCall(kPreview0), ""},
    {"VideoRendererRenderInvalidArgument", 0, 0,
     [](Output& t) { setRender(t, kPreview0, E_INVALIDARG); }, -76, builderCall(kPreview0), ""},
    {"VideoRendererRenderNullPointer", 0, 0, [](Output& t) { setRender(t, kPreview0, E_POINTER); },
     -76, builderCall(kPreview0), ""},
    // Mode 1
    {"Vmr7NotCreated", 1, 1, [](Output& t) { createResult(t, CLSID_VideoMixingRenderer, E_FAIL); },
     -40, kCreateVmr7, ""},
    {"Vmr7WithoutConfiguration", 1, 1,
     [](Output& t) { t.vmr7->setResult("QueryInterface(IVMRFilterConfig)", E_NOINTERFACE); }, -41,
     "vmr7.QueryInterface(IVMRFilterConfig)", "vmr7.Release(IBaseFilter)"},
    {"Vmr7ConfigurationWithSuccessCode", 1, 1,
     [](Output& t) { t.vmr7->setResult("QueryInterface(IVMRFilterConfig)", S_FALSE); }, -41,
     "vmr7.QueryInterface(IVMRFilterConfig)", "vmr7.Release(IVMRFilterConfig)"},
    {"Vmr7RenderingModeRefused", 1, 1,
     [](Output& t) { t.vmr7->setResult("SetRenderingMode", E_INVALIDARG); }, -87,
     "vmr7.SetRenderingMode(1)", "vmr7.Release(IVMRFilterConfig)"},
    {"Vmr7RenderingModeWithSuccessCode", 1, 1,
     [](Output& t) { t.vmr7->setResult("SetRenderingMode", S_FALSE); }, -87,
     "vmr7.SetRenderingMode(1)", "vmr7.Release(IVMRFilterConfig)"},
    {"Vmr7StreamsNotImplemented", 1, 1,
     [](Output& t) { t.vmr7->setResult("SetNumberOfStreams", E_NOTIMPL); }, -88,
     "vmr7.SetNumberOfStreams(1)", "vmr7.Release(IVMRFilterConfig)"},
    {"Vmr7NotAdded", 1, 1, [](Output& t) { t.graph->setResult("AddFilter(VMR7)", E_FAIL); }, -89,
     "graph.AddFilter(VMR7)", ""},
    {"Vmr7RenderNullPointer", 1, 1, [](Output& t) { setRender(t, kPreview1, E_POINTER); }, -86,
     builderCall(kPreview1), ""},
    // Mode 2
    {"Vmr9NotCreated", 2, 1, [](Output& t) { createResult(t, CLSID_VideoMixingRenderer9, E_FAIL); },
     -42, kCreateVmr9, ""},
    {"Vmr9WithoutConfiguration", 2, 1,
     [](Output& t) { t.vmr9->setResult("QueryInterface(IVMRFilterConfig9)", E_NOINTERFACE); }, -43,
     "vmr9.QueryInterface(IVMRFilterConfig9)", "vmr9.Release(IBaseFilter)"},
    {"Vmr9RenderingModeRefused", 2, 1,
     [](Output& t) { t.vmr9->setResult("SetRenderingMode", E_FAIL); }, -97,
     "vmr9.SetRenderingMode(1)", "vmr9.Release(IVMRFilterConfig9)"},
    {"Vmr9StreamsRefused", 2, 1,
     [](Output& t) { t.vmr9->setResult("SetNumberOfStreams", E_INVALIDARG); }, -98,
     "vmr9.SetNumberOfStreams(1)", "vmr9.Release(IVMRFilterConfig9)"},
    {"Vmr9NotAdded", 2, 1, [](Output& t) { t.graph->setResult("AddFilter(VMR9)", E_FAIL); }, -99,
     "graph.AddFilter(VMR9)", ""},
    {"Vmr9RenderInvalidArgument", 2, 1, [](Output& t) { setRender(t, kPreview2, E_INVALIDARG); },
     -96, builderCall(kPreview2), ""},
    // Mode 6
    {"NullRendererNotCreated", 6, 0,
     [](Output& t) { createResult(t, vcx::kClsidNullRenderer, E_OUTOFMEMORY); }, -44,
     kCreateNullRenderer, ""},
    {"NullRendererNotAdded", 6, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Null Renderer)", E_FAIL); }, -59,
     "graph.AddFilter(Null Renderer)", ""},
    {"NullRendererRenderFails", 6, 0, [](Output& t) { setRender(t, kPreview6, E_FAIL); }, -56,
     builderCall(kPreview6), ""},
    // Modes 300 and 301 without a compressor
    {"NoOutputFile", 300, 0, [](Output& t) { t.builder->setResult("SetOutputFileName", E_FAIL); },
     -45, kBuilderFile, ""},
    {"OutputFileWithSuccessCode", 301, 0,
     [](Output& t) { t.builder->setResult("SetOutputFileName", S_FALSE); }, -45, kBuilderFile,
     "mux.Release"},
    {"NoFileOutputAndNoOwnWriter", 300, 0,
     [](Output& t) {
         t.builder->setResult("SetOutputFileName", E_NOTIMPL);
         t.platform.table().setAviOutputFileName = nullptr;
     },
     -45, kBuilderFile, ""},
    {"BuilderErrorLeavesTheOwnWriterAlone", 300, 0,
     [](Output& t) {
         t.aviWriter->install(t.platform);
         t.builder->setResult("SetOutputFileName", E_ACCESSDENIED);
     },
     -45, kBuilderFile, ""},
    {"OwnWriterFails", 300, 0, [](Output& t) { ownWriter(t, E_FAIL); }, -45, kWriterCall, ""},
    {"OwnWriterWithSuccessCode", 301, 0, [](Output& t) { ownWriter(t, S_FALSE); }, -45, kWriterCall,
     "writerMux.Release"},
    {"CaptureRenderWithSuccessCode", 300, 0, [](Output& t) { setRender(t, kCapture, S_FALSE); },
     -46, builderCall(kCapture), ""},
    {"CaptureRenderFailsOnOwnWriter", 301, 0,
     [](Output& t) {
         ownWriter(t, S_OK);
         setRender(t, kCaptureWriter, VFW_E_CANNOT_CONNECT);
     },
     -46, builderCall(kCaptureWriter), "writerMux.Release"},
    // Modes 300 and 301 with a compressor
    {"CompressorEnumeratorNotCreated", 300, text(L"Codec A"),
     [](Output& t) {
         t.platform.setNthCreateResult(CLSID_SystemDeviceEnum, 2, REGDB_E_CLASSNOTREG);
     },
     -47, kCreateCompressorEnum, ""},
    {"CompressorEnumeratorWithSuccessCode", 300, text(L"Codec A"),
     [](Output& t) { t.platform.setNthCreateResult(CLSID_SystemDeviceEnum, 2, S_FALSE); }, -47,
     kCreateCompressorEnum, "devenum.Release"},
    {"EmptyCompressorCategory", 301, text(L"Codec A"),
     [](Output& t) {
         t.devEnum->setResult("CreateClassEnumerator(VideoCompressorCategory, 0)", S_FALSE);
         t.devEnum->setCategory(CLSID_VideoCompressorCategory, nullptr);
     },
     -48, "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)", "devenum.Release"},
    {"CompressorCategoryWithSuccessCode", 301, text(L"Codec A"),
     [](Output& t) {
         t.devEnum->setResult("CreateClassEnumerator(VideoCompressorCategory, 0)", S_FALSE);
     },
     -48, "devenum.CreateClassEnumerator(VideoCompressorCategory, 0)", "videoCompressors.Release"},
    {"NoCompressorOfThatName", 300, text(L"Codec C"), [](Output&) {}, -49,
     "videoCompressors.Next(1)", "videoCompressors.Release"},
    {"NoOutputFileWithCompressor", 300, text(L"Codec A"),
     [](Output& t) { t.builder->setResult("SetOutputFileName", E_FAIL); }, -50, kBuilderFile, ""},
    {"OwnWriterFailsWithCompressor", 301, text(L"Codec A"),
     [](Output& t) { ownWriter(t, E_OUTOFMEMORY); }, -50, kWriterCall, ""},
    {"CaptureRenderThroughCompressorFails", 300, text(L"Codec A"),
     [](Output& t) { setRender(t, kCaptureCodec, VFW_E_CANNOT_CONNECT); }, -51,
     builderCall(kCaptureCodec), ""},
    // The previews of modes 300 and 301
    {"PreviewNullRendererNotCreated", 300, 0,
     [](Output& t) { createResult(t, vcx::kClsidNullRenderer, E_FAIL); }, -52, kCreateNullRenderer,
     ""},
    {"PreviewNullRendererUnderADuplicateName", 300, 0,
     [](Output& t) { t.graph->setResult("AddFilter(Null Renderer)", VFW_S_DUPLICATE_NAME); }, -53,
     "graph.AddFilter(Null Renderer)", ""},
    {"PreviewIntoNullRendererStillChanging", 300, 0,
     [](Output& t) { setRender(t, kPreview300, S_FALSE); }, -54, builderCall(kPreview300), ""},
    {"PreviewIntoNullRendererNotConnected", 300, text(L"Codec A"),
     [](Output& t) { setRender(t, kPreview300, VFW_E_CANNOT_CONNECT); }, -54,
     builderCall(kPreview300), ""},
    {"PreviewIntoChosenRendererStillChanging", 301, 0,
     [](Output& t) { setRender(t, kPreview301, S_FALSE); }, -55, builderCall(kPreview301), ""},
    {"PreviewIntoChosenRendererFails", 301, 0, [](Output& t) { setRender(t, kPreview301, E_FAIL); },
     -55, builderCall(kPreview301), ""},
};

INSTANTIATE_TEST_SUITE_P(Steps, OutputFails, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
