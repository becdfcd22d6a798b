// vcx_Open: argument checks, the shared graph, the device choice, the failure
// path and the references every path gives back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "vcxcap.h"

#include "core/directshow.h"
#include "fakes/capture_world.h"
#include "graph/open.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

constexpr int kNoOutput = 5;

class Open : public CaptureWorld {};

// The journal entries after the last one equal to call.
std::vector<std::string> entriesAfter(const std::string& call) {
    const auto& all = journal().entries();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (*it == call) {
            return {it.base(), all.end()};
        }
    }
    return {};
}

std::string lastCallBeforeReleases() {
    const auto& all = journal().entries();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (it->find(".Release") == std::string::npos) {
            return *it;
        }
    }
    return {};
}

TEST_F(Open, BeforeInitFailsWithoutCreatingAnything) {
    vcx::library().comInitialized = 0;
    addDevice();
    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -1);
    EXPECT_TRUE(journal().entries().empty());
}

TEST_F(Open, OnAnOpenOrRunningSlotFailsWithoutChangingIt) {
    addDevice();
    for (int32_t state : std::initializer_list<int32_t>{1, vcx::kSlotOpen, vcx::kSlotRunning}) {
        vcx::activeSlot().state = state;
        vcx::activeSlot().outputMode = 2;
        EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -2);
        EXPECT_EQ(vcx::activeSlot().state, state);
        EXPECT_EQ(vcx::activeSlot().outputMode, 2);
    }
    EXPECT_TRUE(journal().entries().empty());
}

TEST_F(Open, NegativeDeviceIndexOrReservedFailsBeforeCreatingAnything) {
    addDevice();
    EXPECT_EQ(vcx_Open(-1, 6, 0, 0, 0), -6);
    EXPECT_EQ(vcx_Open(0, 6, -1, 0, 0), -6);
    EXPECT_EQ(vcx_Open(std::numeric_limits<int>::min(), 6, 0, 0, 0), -6);
    EXPECT_TRUE(journal().entries().empty());
    EXPECT_EQ(vcx_GetRef(), 0);
}

// The checks before anything is made, in their order: COM, then the slot,
// then the arguments.
TEST_F(Open, ChecksComThenTheSlotThenTheArguments) {
    addDevice();
    vcx::library().comInitialized = 0;
    EXPECT_EQ(vcx_Open(-1, kNoOutput, -1, 0, 0), -1);
    vcx::activeSlot().state = vcx::kSlotOpen;
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), -1);
    vcx::library().comInitialized = 1;
    EXPECT_EQ(vcx_Open(-1, kNoOutput, -1, 0, 0), -2);
    EXPECT_EQ(vcx::activeSlot().state, vcx::kSlotOpen);
    EXPECT_TRUE(journal().entries().empty());
}

TEST_F(Open, NullMonikerAtTheChosenIndexCountsAsAFailedBind) {
    addDevice();
    videoDevices->items.insert(videoDevices->items.begin(), nullptr);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx::activeSlot().sourceFilter, nullptr);
    ASSERT_EQ(graph->added.size(), 2u);
    EXPECT_EQ(graph->added[1].first, nullptr);
    EXPECT_EQ(vcx_Close(), 0);
    journal().clear();
    // The null entry still counts: device0 is at index 1.
    EXPECT_EQ(vcx_Open(1, kNoOutput, 0, 0, 0), 0);
    EXPECT_TRUE(journal().contains("device0.moniker.BindToObject(IBaseFilter)"));
    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(Open, WalksTheWholeCategoryAndBindsOnlyTheChosenDevice) {
    addDevice(L"First");
    FakeDevice& chosen = addDevice(L"Second");
    addDevice(L"Third");

    EXPECT_EQ(vcx_Open(1, kNoOutput, 0, 0, 0), 0);

    EXPECT_THAT(
        journal().entries(),
        ElementsAre("CoCreateInstance(FilterGraph, null, IGraphBuilder, 3)",
                    "CoCreateInstance(SampleGrabber, null, IBaseFilter, 3)",
                    "grabber.QueryInterface(ISampleGrabber)", "grabber.SetMediaType",
                    "graph.AddFilter(Sample Grabber)",
                    "CoCreateInstance(CaptureGraphBuilder2, null, ICaptureGraphBuilder2, 3)",
                    "builder.SetFiltergraph(graph)", "graph.QueryInterface(IMediaControl)",
                    "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)",
                    "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)",
                    "videoDevices.Reset", "videoDevices.Next(1)", "device0.moniker.Release",
                    "videoDevices.Next(1)", "device1.moniker.BindToObject(IBaseFilter)",
                    "graph.AddFilter(Device Filter)", "device1.moniker.Release",
                    "videoDevices.Next(1)", "device2.moniker.Release", "videoDevices.Next(1)",
                    "videoDevices.Release", "devenum.Release", "graph.QueryInterface(IVideoWindow)",
                    "sync.CreateEventW(auto-reset)", "grabber.SetCallback(0)"));

    const vcx::CaptureSlot& slot = vcx::activeSlot();
    EXPECT_EQ(slot.state, vcx::kSlotOpen);
    EXPECT_EQ(slot.outputMode, kNoOutput);
    EXPECT_EQ(static_cast<void*>(slot.graph), graph->find(IID_IGraphBuilder));
    EXPECT_EQ(static_cast<void*>(slot.mediaControl), graph->find(IID_IMediaControl));
    EXPECT_EQ(static_cast<void*>(slot.videoWindow), graph->find(IID_IVideoWindow));
    EXPECT_EQ(static_cast<void*>(slot.grabberFilter), grabber->find(IID_IBaseFilter));
    EXPECT_EQ(static_cast<void*>(slot.grabber), grabber->find(IID_ISampleGrabber));
    EXPECT_EQ(static_cast<void*>(slot.captureBuilder), builder->find(IID_ICaptureGraphBuilder2));
    EXPECT_EQ(static_cast<void*>(slot.sourceFilter), chosen.filter->find(IID_IBaseFilter));
    EXPECT_EQ(slot.rendererFilter, nullptr);
    EXPECT_EQ(slot.vmr7Filter, nullptr);
    EXPECT_EQ(slot.vmr9Filter, nullptr);
    EXPECT_EQ(slot.compressorFilter, nullptr);
    EXPECT_EQ(slot.compressDialogs, nullptr);
    EXPECT_EQ(slot.muxFilter, nullptr);

    // The builder works on this graph, which holds the grabber and the device.
    EXPECT_EQ(static_cast<void*>(builder->filterGraph), graph->find(IID_IGraphBuilder));
    ASSERT_EQ(graph->added.size(), 2u);
    EXPECT_EQ(static_cast<void*>(graph->added[0].first), grabber->find(IID_IBaseFilter));
    EXPECT_EQ(static_cast<void*>(graph->added[1].first), chosen.filter->find(IID_IBaseFilter));

    // One reference per slot field; the enumeration objects are all given back.
    EXPECT_EQ(graph->refs(), 4u);
    EXPECT_EQ(grabber->refs(), 3u);
    EXPECT_EQ(builder->refs(), 2u);
    EXPECT_EQ(chosen.filter->refs(), 2u);
    EXPECT_EQ(devEnum->refs(), 1u);
    EXPECT_EQ(videoDevices->refs(), 1u);
    for (const auto& device : devices) {
        EXPECT_EQ(device->moniker->refs(), 1u);
    }

    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(Open, SampleGrabberTypeIsRgb24VideoInfoAndOtherwiseZero) {
    addDevice();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    AM_MEDIA_TYPE expected;
    std::memset(&expected, 0, sizeof expected);
    expected.majortype = MEDIATYPE_Video;
    expected.subtype = MEDIASUBTYPE_RGB24;
    expected.formattype = FORMAT_VideoInfo;
    ASSERT_EQ(grabber->mediaTypeBytes.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(grabber->mediaTypeBytes.data(), &expected, sizeof expected), 0);
    // Buffering and one-shot stay as they are; the one callback is the
    // library's frame counter, a sample callback (method 0).
    EXPECT_TRUE(journal().matching("grabber.SetBufferSamples").empty());
    EXPECT_TRUE(journal().matching("grabber.SetOneShot").empty());
    EXPECT_THAT(journal().matching("grabber.SetCallback"), ElementsAre("grabber.SetCallback(0)"));
}

TEST_F(Open, CreatesObjectsInTheirContexts) {
    addDevice();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(platform.contextOf(CLSID_FilterGraph), CLSCTX_INPROC);
    EXPECT_EQ(platform.contextOf(vcx::kClsidSampleGrabber), CLSCTX_INPROC);
    EXPECT_EQ(platform.contextOf(CLSID_CaptureGraphBuilder2), CLSCTX_INPROC);
    EXPECT_EQ(platform.contextOf(CLSID_SystemDeviceEnum), CLSCTX_INPROC_SERVER);
}

TEST_F(Open, ReservedHasNoEffectBeyondItsSign) {
    addDevice();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    const std::vector<std::string> withZero = journal().entries();
    ASSERT_EQ(vcx_Close(), 0);
    journal().clear();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 7, 0, 0), 0);
    EXPECT_EQ(journal().entries(), withZero);
}

TEST_F(Open, ModesWithoutAnOutputOpenTheSlotUnconnected) {
    addDevice();
    for (int mode : {3, 4, 5, 7, 299, 302, -7}) {
        ASSERT_EQ(vcx_Open(0, mode, 0, 0, 0), 0) << mode;
        EXPECT_EQ(vcx::activeSlot().outputMode, mode);
        EXPECT_EQ(vcx_GetRef(), 2);
        EXPECT_EQ(graph->added.size(), 2u);
        EXPECT_EQ(vcx_Close(), 0);
        graph->added.clear();
    }
    expectAllReleased();
}

TEST_F(Open, FailedBindStillOpensWithoutADeviceFilter) {
    FakeDevice& device = addDevice();
    device.moniker->setResult("BindToObject", E_FAIL);
    graph->setResult("AddFilter(Device Filter)", E_POINTER);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx::activeSlot().sourceFilter, nullptr);
    ASSERT_EQ(graph->added.size(), 2u);
    EXPECT_EQ(graph->added[1].first, nullptr);
    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

TEST_F(Open, DeviceFilterAddResultIsNotExamined) {
    addDevice();
    graph->setResult("AddFilter(Device Filter)", E_FAIL);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_NE(vcx::activeSlot().sourceFilter, nullptr);
}

TEST_F(Open, EnumerationFailingPartWayCountsTheDevicesSoFar) {
    addDevice();
    addDevice();
    videoDevices->failAt = 1;
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_Close(), 0);
    journal().clear();
    EXPECT_EQ(vcx_Open(1, kNoOutput, 0, 0, 0), -4);
    EXPECT_FALSE(journal().contains("device1.moniker.BindToObject(IBaseFilter)"));
    expectAllReleased();
}

TEST_F(Open, SecondOpenAfterCloseBuildsANewGraph) {
    addDevice();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_Close(), 0);
    journal().clear();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(journal().entries().front(), "CoCreateInstance(FilterGraph, null, IGraphBuilder, 3)");
    EXPECT_EQ(vcx::activeSlot().state, vcx::kSlotOpen);
}

TEST_F(Open, WorksOnTheActiveSlotOnly) {
    addDevice();
    vcx::CaptureSlot& other = vcx::library().slots[3];
    other.state = vcx::kSlotRunning;
    ASSERT_EQ(vcx_SetActiveSel(30), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx::library().slots[30].state, vcx::kSlotOpen);
    EXPECT_EQ(other.state, vcx::kSlotRunning);
    EXPECT_EQ(other.graph, nullptr);
    EXPECT_EQ(vcx::library().slots[0].graph, nullptr);
}

TEST_F(Open, RequestedFormatSurvivesOpenAndClose) {
    addDevice();
    vcx::CaptureSlot& slot = vcx::activeSlot();
    slot.requestedWidth = 0;
    slot.requestedHeight = 0;
    slot.requestedFrameRate = 0.0;
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    slot.requestedWidth = 320;
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(slot.requestedWidth, 320);
}

TEST(FormatRequested, AnyNonZeroValueOrNaNRequestsAFormat) {
    vcx::CaptureSlot slot{};
    EXPECT_FALSE(vcx::formatRequested(slot));
    slot.requestedFrameRate = -0.0;
    EXPECT_FALSE(vcx::formatRequested(slot));

    vcx::CaptureSlot width{};
    width.requestedWidth = -1;
    EXPECT_TRUE(vcx::formatRequested(width));
    vcx::CaptureSlot height{};
    height.requestedHeight = 480;
    EXPECT_TRUE(vcx::formatRequested(height));
    vcx::CaptureSlot rate{};
    rate.requestedFrameRate = 1e-300;
    EXPECT_TRUE(vcx::formatRequested(rate));
    vcx::CaptureSlot nan{};
    nan.requestedFrameRate = std::nan("");
    EXPECT_TRUE(vcx::formatRequested(nan));
    vcx::CaptureSlot infinite{};
    infinite.requestedFrameRate = -std::numeric_limits<double>::infinity();
    EXPECT_TRUE(vcx::formatRequested(infinite));
}

// One failing step of open: how to make it fail, the code open must return,
// and the call that failed, after which only releases may follow.
struct FailingStep {
    const char* name;
    std::function<void(Open&)> arrange;
    int deviceIndex;
    int expected;
    const char* failingCall;
};

void PrintTo(const FailingStep& step, std::ostream* out) {
    *out << step.name;
}

class OpenFails : public Open, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(OpenFails, ReturnsItsCodeAndGivesBackEveryReference) {
    const FailingStep& step = GetParam();
    addDevice(L"A");
    addDevice(L"B");
    step.arrange(*this);

    EXPECT_EQ(vcx_Open(step.deviceIndex, kNoOutput, 0, 0, 0), step.expected);

    EXPECT_EQ(lastCallBeforeReleases(), step.failingCall);
    for (const std::string& after : entriesAfter(step.failingCall)) {
        EXPECT_NE(after.find(".Release"), std::string::npos)
            << "called after the failure: " << after;
    }
    const vcx::CaptureSlot& slot = vcx::activeSlot();
    EXPECT_EQ(slot.state, vcx::kSlotClosed);
    expectSlotEmpty(slot);
    expectAllReleased();
}

const FailingStep kFailingSteps[] = {
    {"FilterGraphNotCreated",
     [](Open& t) { t.platform.setCreateResult(CLSID_FilterGraph, REGDB_E_CLASSNOTREG); }, 0, -30,
     "CoCreateInstance(FilterGraph, null, IGraphBuilder, 3)"},
    {"FilterGraphCreatedWithSuccessCode",
     [](Open& t) { t.platform.setCreateResult(CLSID_FilterGraph, S_FALSE); }, 0, -30,
     "CoCreateInstance(FilterGraph, null, IGraphBuilder, 3)"},
    {"SampleGrabberNotCreated",
     [](Open& t) { t.platform.setCreateResult(vcx::kClsidSampleGrabber, E_OUTOFMEMORY); }, 0, -31,
     "CoCreateInstance(SampleGrabber, null, IBaseFilter, 3)"},
    {"NoISampleGrabber",
     [](Open& t) { t.grabber->setResult("QueryInterface(ISampleGrabber)", E_NOINTERFACE); }, 0, -32,
     "grabber.QueryInterface(ISampleGrabber)"},
    {"SetMediaTypeFails",
     [](Open& t) { t.grabber->setResult("SetMediaType", VFW_E_TYPE_NOT_ACCEPTED); }, 0, -33,
     "grabber.SetMediaType"},
    {"GrabberAddedUnderADuplicateName",
     [](Open& t) { t.graph->setResult("AddFilter(Sample Grabber)", VFW_S_DUPLICATE_NAME); }, 0, -34,
     "graph.AddFilter(Sample Grabber)"},
    {"GrabberNotAdded", [](Open& t) { t.graph->setResult("AddFilter(Sample Grabber)", E_FAIL); }, 0,
     -34, "graph.AddFilter(Sample Grabber)"},
    {"BuilderNotCreated",
     [](Open& t) { t.platform.setCreateResult(CLSID_CaptureGraphBuilder2, E_NOINTERFACE); }, 0, -35,
     "CoCreateInstance(CaptureGraphBuilder2, null, ICaptureGraphBuilder2, 3)"},
    {"SetFiltergraphFails", [](Open& t) { t.builder->setResult("SetFiltergraph", E_UNEXPECTED); },
     0, -36, "builder.SetFiltergraph(graph)"},
    {"NoIMediaControl",
     [](Open& t) { t.graph->setResult("QueryInterface(IMediaControl)", E_NOINTERFACE); }, 0, -37,
     "graph.QueryInterface(IMediaControl)"},
    {"DeviceEnumeratorNotCreated",
     [](Open& t) { t.platform.setCreateResult(CLSID_SystemDeviceEnum, REGDB_E_CLASSNOTREG); }, 0,
     -38, "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)"},
    {"DeviceEnumeratorCreatedWithSuccessCode",
     [](Open& t) { t.platform.setCreateResult(CLSID_SystemDeviceEnum, S_FALSE); }, 0, -38,
     "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)"},
    {"NoEnumeratorForTheCategory",
     [](Open& t) {
         t.videoDevices->items.clear();
         t.devEnum->setResult("CreateClassEnumerator", S_FALSE);
         t.devEnum->setCategory(CLSID_VideoInputDeviceCategory, nullptr);
     },
     0, -3, "devenum.CreateClassEnumerator(VideoInputDeviceCategory, 0)"},
    {"EmptyCategory", [](Open& t) { t.videoDevices->items.clear(); }, 0, -4,
     "videoDevices.Next(1)"},
    {"IndexEqualToTheDeviceCount", [](Open&) {}, 2, -4, "videoDevices.Next(1)"},
    {"IndexFarBeyondTheDevices", [](Open&) {}, 1000000, -4, "videoDevices.Next(1)"},
    {"EnumerationFailsAtOnce", [](Open& t) { t.videoDevices->failAt = 0; }, 0, -4,
     "videoDevices.Next(1)"},
    {"NoIVideoWindow",
     [](Open& t) { t.graph->setResult("QueryInterface(IVideoWindow)", E_NOINTERFACE); }, 1, -58,
     "graph.QueryInterface(IVideoWindow)"},
};

INSTANTIATE_TEST_SUITE_P(Steps, OpenFails, ::testing::ValuesIn(kFailingSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Open, FailureAfterGraphAndGrabberReleasesExactlyThoseGrabberFirst) {
    addDevice();
    grabber->setResult("QueryInterface(ISampleGrabber)", E_NOINTERFACE);
    EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), -32);
    EXPECT_THAT(entriesAfter("grabber.QueryInterface(ISampleGrabber)"),
                ElementsAre("grabber.Release(IBaseFilter)", "graph.Release(IGraphBuilder)"));
}

TEST_F(Open, FailedOpenCanBeRetriedAtOnce) {
    addDevice();
    graph->setResult("QueryInterface(IVideoWindow)", E_NOINTERFACE);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), -58);
    EXPECT_EQ(vcx_GetRef(), 0);
    graph->setResult("QueryInterface(IVideoWindow)", S_OK);
    EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetRef(), 2);
    EXPECT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

} // namespace
