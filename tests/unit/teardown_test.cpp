// The fixed-order release of a slot's objects, and vcx_Close.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "vcxcap.h"

#include "core/slots.h"
#include "core/teardown.h"
#include "fakes/capture_world.h"
#include "fakes/fake_directshow.h"
#include "fakes/fake_platform.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

// A slot whose thirteen fields each hold one reference to a distinct fake
// named after the field.
class Teardown : public ::testing::Test {
  protected:
    Teardown() {
        vcx::resetLibraryForTests();
        vcx::library().comInitialized = 1;
        journal().clear();
    }
    ~Teardown() override {
        for (int index = 0; index < vcx::kSlotCount; ++index) {
            vcx::library().activeSlot = index;
            vcx::releaseSlot();
        }
        vcx::resetLibraryForTests();
        journal().clear();
    }

    template <class I> static I* take(FakeCom& fake, REFIID iid) {
        I* iface = nullptr;
        fake.handOut(iid, reinterpret_cast<void**>(&iface));
        return iface;
    }

    void fill(vcx::CaptureSlot& slot, int32_t state) {
        slot.videoWindow = take<IVideoWindow>(*videoWindow, IID_IVideoWindow);
        slot.compressDialogs =
            take<IAMVfwCompressDialogs>(*compressDialogs, IID_IAMVfwCompressDialogs);
        slot.compressorFilter = take<IBaseFilter>(*compressorFilter, IID_IBaseFilter);
        slot.muxFilter = take<IBaseFilter>(*muxFilter, IID_IBaseFilter);
        slot.rendererFilter = take<IBaseFilter>(*rendererFilter, IID_IBaseFilter);
        slot.vmr7Filter = take<IBaseFilter>(*vmr7Filter, IID_IBaseFilter);
        slot.vmr9Filter = take<IBaseFilter>(*vmr9Filter, IID_IBaseFilter);
        slot.sourceFilter = take<IBaseFilter>(*sourceFilter, IID_IBaseFilter);
        slot.mediaControl = take<IMediaControl>(*mediaControl, IID_IMediaControl);
        slot.captureBuilder =
            take<ICaptureGraphBuilder2>(*captureBuilder, IID_ICaptureGraphBuilder2);
        slot.grabber = take<ISampleGrabber>(*grabber, IID_ISampleGrabber);
        slot.grabberFilter = take<IBaseFilter>(*grabberFilter, IID_IBaseFilter);
        slot.graph = take<IGraphBuilder>(*graph, IID_IGraphBuilder);
        slot.state = state;
        slot.outputMode = 300;
        slot.requestedWidth = 640;
        slot.requestedHeight = 480;
        slot.requestedFrameRate = 15.0;
        journal().clear();
    }

    std::vector<FakeCom*> fakesOfSlot() const {
        return {videoWindow.get(),    compressDialogs.get(), compressorFilter.get(),
                muxFilter.get(),      rendererFilter.get(),  vmr7Filter.get(),
                vmr9Filter.get(),     sourceFilter.get(),    mediaControl.get(),
                captureBuilder.get(), grabber.get(),         grabberFilter.get(),
                graph.get()};
    }

    std::vector<std::string> releases() const { return journal().matching(".Release"); }

    FakePlatform platform;
    Held<FakeFilterGraph> videoWindow{"videoWindow"};
    Held<FakeCompressDialogs> compressDialogs{"compressDialogs"};
    Held<FakeFilter> compressorFilter{"compressorFilter"};
    Held<FakeFilter> muxFilter{"muxFilter"};
    Held<FakeFilter> rendererFilter{"rendererFilter"};
    Held<FakeFilter> vmr7Filter{"vmr7Filter"};
    Held<FakeFilter> vmr9Filter{"vmr9Filter"};
    Held<FakeFilter> sourceFilter{"sourceFilter"};
    Held<FakeFilterGraph> mediaControl{"mediaControl"};
    Held<FakeCaptureGraphBuilder> captureBuilder{"captureBuilder"};
    Held<FakeSampleGrabber> grabber{"grabber"};
    Held<FakeSampleGrabber> grabberFilter{"grabberFilter"};
    Held<FakeFilterGraph> graph{"graph"};
};

// Each field released once, through the interface it holds.
const std::vector<std::string> kReleaseOrder = {"videoWindow.Release(IVideoWindow)",
                                                "compressDialogs.Release",
                                                "compressorFilter.Release",
                                                "muxFilter.Release",
                                                "rendererFilter.Release",
                                                "vmr7Filter.Release",
                                                "vmr9Filter.Release",
                                                "sourceFilter.Release",
                                                "mediaControl.Release(IMediaControl)",
                                                "captureBuilder.Release",
                                                "grabber.Release(ISampleGrabber)",
                                                "grabberFilter.Release(IBaseFilter)",
                                                "graph.Release(IGraphBuilder)"};

TEST_F(Teardown, ReleaseSlotReleasesEveryFieldOnceInFixedOrder) {
    vcx::CaptureSlot& slot = vcx::activeSlot();
    fill(slot, vcx::kSlotRunning);
    vcx::releaseSlot();
    // Only releases: no Stop, no RemoveFilter, no window call.
    EXPECT_EQ(journal().entries(), kReleaseOrder);
    for (FakeCom* fake : fakesOfSlot()) {
        EXPECT_EQ(fake->refs(), 1u) << fake->name();
    }
    EXPECT_EQ(slot.videoWindow, nullptr);
    EXPECT_EQ(slot.compressDialogs, nullptr);
    EXPECT_EQ(slot.graph, nullptr);
    EXPECT_EQ(slot.sourceFilter, nullptr);
    // State, mode and requested format are not its business.
    EXPECT_EQ(slot.state, vcx::kSlotRunning);
    EXPECT_EQ(slot.outputMode, 300);
    EXPECT_EQ(slot.requestedWidth, 640);
    EXPECT_EQ(slot.requestedHeight, 480);
    EXPECT_EQ(slot.requestedFrameRate, 15.0);
}

TEST_F(Teardown, ReleaseSlotSkipsNullFields) {
    vcx::releaseSlot();
    EXPECT_TRUE(journal().entries().empty());

    // Only the grabber filter and the graph, as a failed open leaves them.
    vcx::CaptureSlot& slot = vcx::activeSlot();
    slot.grabberFilter = take<IBaseFilter>(*grabberFilter, IID_IBaseFilter);
    slot.graph = take<IGraphBuilder>(*graph, IID_IGraphBuilder);
    vcx::releaseSlot();
    EXPECT_THAT(journal().entries(),
                ElementsAre("grabberFilter.Release(IBaseFilter)", "graph.Release(IGraphBuilder)"));
}

TEST_F(Teardown, CloseOnAClosedSlotFailsAndTouchesNothing) {
    EXPECT_EQ(vcx_Close(), -1);
    EXPECT_TRUE(journal().entries().empty());
}

TEST_F(Teardown, CloseStopsARunningGraphBeforeReleasing) {
    fill(vcx::activeSlot(), vcx::kSlotRunning);
    EXPECT_EQ(vcx_Close(), 0);
    std::vector<std::string> expected = {"mediaControl.Stop"};
    expected.insert(expected.end(), kReleaseOrder.begin(), kReleaseOrder.end());
    EXPECT_EQ(journal().entries(), expected);
    EXPECT_EQ(vcx_GetRef(), 0);
    CaptureWorld::expectSlotEmpty(vcx::activeSlot());
    EXPECT_EQ(vcx::activeSlot().outputMode, 0);
    EXPECT_EQ(vcx::activeSlot().requestedWidth, 640);
    for (FakeCom* fake : fakesOfSlot()) {
        EXPECT_EQ(fake->refs(), 1u) << fake->name();
    }
    EXPECT_EQ(vcx_Close(), -1);
}

TEST_F(Teardown, CloseOfAnOpenSlotMakesNoStopCall) {
    fill(vcx::activeSlot(), vcx::kSlotOpen);
    EXPECT_EQ(vcx_Close(), 0);
    EXPECT_EQ(journal().entries(), kReleaseOrder);
    EXPECT_EQ(vcx_GetRef(), 0);
}

TEST_F(Teardown, FailingStopStillClosesTheSlot) {
    fill(vcx::activeSlot(), vcx::kSlotRunning);
    mediaControl->setResult("Stop", E_FAIL);
    EXPECT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetRef(), 0);
    EXPECT_EQ(releases(), kReleaseOrder);
}

TEST_F(Teardown, RunningSlotWithoutMediaControlClosesWithoutStop) {
    vcx::CaptureSlot& slot = vcx::activeSlot();
    fill(slot, vcx::kSlotRunning);
    dropField(slot.mediaControl);
    journal().clear();
    EXPECT_EQ(vcx_Close(), 0);
    EXPECT_TRUE(journal().matching("Stop").empty());
    EXPECT_EQ(vcx_GetRef(), 0);
}

TEST_F(Teardown, CloseLeavesOtherSlotsAlone) {
    vcx::CaptureSlot& other = vcx::library().slots[8];
    fill(other, vcx::kSlotOpen);
    other.outputMode = 6;
    const vcx::CaptureSlot before = other;
    ASSERT_EQ(vcx_SetActiveSel(7), 0);
    fill(vcx::activeSlot(), vcx::kSlotRunning);
    EXPECT_EQ(vcx_Close(), 0);
    // Slot 7's thirteen releases and nothing of slot 8's.
    EXPECT_EQ(releases(), kReleaseOrder);
    EXPECT_EQ(std::memcmp(&other, &before, sizeof other), 0);
    for (FakeCom* fake : fakesOfSlot()) {
        EXPECT_EQ(fake->refs(), 2u) << fake->name();
    }
    EXPECT_EQ(other.state, vcx::kSlotOpen);
    EXPECT_EQ(other.outputMode, 6);
    EXPECT_EQ(vcx_GetActiveSel(), 7);
    ASSERT_EQ(vcx_SetActiveSel(8), 0);
    EXPECT_EQ(vcx_GetRef(), 2);
}

TEST_F(Teardown, ExitClosesNoSlot) {
    vcx::CaptureSlot& slot = vcx::activeSlot();
    fill(slot, vcx::kSlotRunning);
    const vcx::CaptureSlot before = slot;
    EXPECT_EQ(vcx_Exit(), 0);
    EXPECT_TRUE(journal().matching("graph").empty());
    EXPECT_TRUE(releases().empty());
    EXPECT_EQ(std::memcmp(&slot, &before, sizeof slot), 0);
}

// A video window placed since the open is hidden and detached from its owner
// after the stop and before the release; nothing is done to one never placed.
struct WindowAtClose {
    const char* name;
    std::function<int()> place;
    bool dropVideoWindow;
    bool reopen; // close and fill again after placing: a new opening
    const char* calls;
};

void PrintTo(const WindowAtClose& row, std::ostream* out) {
    *out << row.name;
}

class CloseWindow : public Teardown, public ::testing::WithParamInterface<WindowAtClose> {};

TEST_P(CloseWindow, IsHiddenAndDetachedOnlyWhenPlaced) {
    const WindowAtClose& row = GetParam();
    vcx::CaptureSlot& slot = vcx::activeSlot();
    fill(slot, vcx::kSlotOpen);
    row.place();
    if (row.reopen) {
        ASSERT_EQ(vcx_Close(), 0);
        fill(slot, vcx::kSlotOpen);
    }
    if (row.dropVideoWindow) {
        dropField(slot.videoWindow);
    }
    journal().clear();
    EXPECT_EQ(vcx_Close(), 0);
    // The calls, then only releases.
    std::string calls;
    bool released = false;
    for (const std::string& entry : journal().entries()) {
        const bool release = entry.find(".Release") != std::string::npos;
        EXPECT_FALSE(released && !release) << entry << " after a release";
        released = released || release;
        calls += release ? "" : entry + " ";
    }
    EXPECT_EQ(calls, row.calls);
    EXPECT_FALSE(slot.windowPlaced);
}

const auto resize = [] { return vcx_ReSize(5, 0, 0, 10, 10); };
const char kHide[] = "videoWindow.put_Visible(0) videoWindow.put_Owner(0) ";

INSTANTIATE_TEST_SUITE_P(
    Rows, CloseWindow,
    ::testing::Values(WindowAtClose{"NeverPlaced", [] { return 0; }, false, false, ""},
                      WindowAtClose{"PlacedByResize", resize, false, false, kHide},
                      WindowAtClose{
                          "PlacedByPlayThenRunning", [] { return vcx_Play(5, 0, 0, 10, 10); },
                          false, false,
                          "mediaControl.Stop videoWindow.put_Visible(0) videoWindow.put_Owner(0) "},
                      WindowAtClose{"PlacedWithoutAWindowLeft", resize, true, false, ""},
                      WindowAtClose{"PlacedBeforeAnEarlierClose", resize, false, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

// The sound's filters go with their kind: the audio compressor after the
// video compressor, before the multiplexer; the audio device after the video
// device.
TEST_F(Teardown, AudioFiltersAreReleasedBesideTheirVideoKin) {
    vcx::CaptureSlot& slot = vcx::activeSlot();
    fill(slot, vcx::kSlotOpen);
    Held<FakeFilter> audioCompressorFilter{"audioCompressorFilter"};
    Held<FakeFilter> audioSourceFilter{"audioSourceFilter"};
    slot.audioCompressorFilter = take<IBaseFilter>(*audioCompressorFilter, IID_IBaseFilter);
    slot.audioSourceFilter = take<IBaseFilter>(*audioSourceFilter, IID_IBaseFilter);
    slot.builderMux = true;
    journal().clear();
    vcx::releaseSlot();
    std::vector<std::string> expected = kReleaseOrder;
    expected.insert(expected.begin() + 3, "audioCompressorFilter.Release");
    expected.insert(expected.begin() + 9, "audioSourceFilter.Release");
    EXPECT_EQ(journal().entries(), expected);
    EXPECT_EQ(audioCompressorFilter->refs(), 1u);
    EXPECT_EQ(audioSourceFilter->refs(), 1u);
    EXPECT_FALSE(slot.builderMux);
}
