// vcx_FilterProp, vcx_DevPinProp and vcx_CodecDialog: the frame's arguments,
// the page list freed after the frame closed, and every reference given back
// on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_pins.h"
#include "fakes/fake_property_pages.h"
#include "fakes/fake_task_memory.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

const CLSID kPageA = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
const CLSID kPageB = {0x55555555, 0x6666, 0x7777, {8, 8, 8, 8, 8, 8, 8, 8}};
// Negative, to show the handle sign-extended.
constexpr int kOwner = -0x4242;

class PropertyPages : public CaptureWorld {
  public:
    PropertyPages() {
        FakeDevice& device = addDevice();
        device.filter->pinEnumerator = pins.get();
        pins->items = {firstPin.get(), secondPin.get()};
        firstPin->pages = {kPageA, kPageB};
        pagesFilter->pages = {kPageB};
        EXPECT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
        // A filter with pages in the slot's graph, as the graph adds it.
        graph->added.emplace_back(pagesFilter.get(), L"Overlay Mixer");
        resetTaskMemoryRecords();
        journal().clear();
        snapshot();
    }

    // Remembers the references the slot holds now.
    void snapshot() {
        graphRefs_ = graph->refs();
        deviceRefs_ = devices[0]->filter->refs();
    }

    void expectEverythingGivenBack() const {
        EXPECT_EQ(graph->refs(), graphRefs_);
        EXPECT_EQ(devices[0]->filter->refs(), deviceRefs_);
        for (FakeCom* fake : std::initializer_list<FakeCom*>{pins.get(), firstPin.get(),
                                                             secondPin.get(), pagesFilter.get()}) {
            EXPECT_EQ(fake->refs(), 1u) << fake->name();
        }
        EXPECT_TRUE(outstandingTaskMemory().empty()) << "a page list was not freed";
        EXPECT_EQ(strayTaskMemoryFrees(), 0) << "freed memory no fake handed out";
    }

    FakePropertyFrame frame{platform};
    Held<FakeEnumPins> pins{"pins"};
    Held<FakePin> firstPin{"pin0"};
    Held<FakePin> secondPin{"pin1"};
    Held<FakePagesFilter> pagesFilter{"Overlay Mixer", L"Overlay Mixer", graph.get()};

  private:
    ULONG graphRefs_ = 0;
    ULONG deviceRefs_ = 0;
};

TEST_F(PropertyPages, FilterFrameShowsTheNamedFilterAndFreesAfterItClosed) {
    EXPECT_EQ(vcx_FilterProp(kOwner, L"Overlay Mixer"), 0);
    EXPECT_THAT(journal().entries(),
                ElementsAre("graph.FindFilterByName(Overlay Mixer)",
                            "Overlay Mixer.QueryInterface(ISpecifyPropertyPages)",
                            "Overlay Mixer.QueryFilterInfo", "Overlay Mixer.GetPages",
                            "Overlay Mixer.Release",
                            "frame.OleCreatePropertyFrame(Overlay Mixer, 1 pages)", "CoTaskMemFree",
                            "graph.Release(IGraphBuilder)", "Overlay Mixer.Release"));
    ASSERT_EQ(frame.shown.size(), 1u);
    const FakePropertyFrame::Shown& shown = frame.shown[0];
    EXPECT_EQ(shown.owner, reinterpret_cast<HWND>(static_cast<LONG_PTR>(kOwner)));
    EXPECT_EQ(shown.x, 0u);
    EXPECT_EQ(shown.y, 0u);
    EXPECT_EQ(shown.caption, L"Overlay Mixer");
    EXPECT_THAT(shown.objects, ElementsAre(pagesFilter->unknown()));
    EXPECT_THAT(shown.pages, ElementsAre(kPageB));
    EXPECT_EQ(shown.locale, 0u);
    EXPECT_EQ(shown.reserved, 0u);
    EXPECT_EQ(shown.reserved2, nullptr);
    EXPECT_THAT(shown.outstanding, ElementsAre(shown.pageList)) << "freed before the frame";
    expectEverythingGivenBack();
}

TEST_F(PropertyPages, PinFrameShowsTheFirstPinUnderItsFixedCaption) {
    EXPECT_EQ(vcx_DevPinProp(kOwner), 0);
    EXPECT_THAT(journal().entries(),
                ElementsAre("device0.EnumPins", "pins.Reset", "pins.Next(1)",
                            "pin0.QueryInterface(ISpecifyPropertyPages)", "pin0.GetPages",
                            "frame.OleCreatePropertyFrame(pin0, 2 pages)", "CoTaskMemFree",
                            "pin0.Release", "pin0.Release", "pins.Release"));
    ASSERT_EQ(frame.shown.size(), 1u);
    const FakePropertyFrame::Shown& shown = frame.shown[0];
    EXPECT_EQ(shown.owner, reinterpret_cast<HWND>(static_cast<LONG_PTR>(kOwner)));
    EXPECT_EQ(shown.caption, L"デバイスピンのプロパティ");
    EXPECT_THAT(shown.objects, ElementsAre(firstPin->unknown()));
    EXPECT_THAT(shown.pages, ElementsAre(kPageA, kPageB));
    EXPECT_EQ(shown.locale, 0u);
    EXPECT_EQ(shown.reserved2, nullptr);
    EXPECT_THAT(shown.outstanding, ElementsAre(shown.pageList)) << "freed before the frame";
    expectEverythingGivenBack();
}

// A failure of either frame export: how to cause it, the export, its code.
struct FrameFailure {
    const char* name;
    std::function<void(PropertyPages&)> arrange;
    std::function<int()> run;
    int expected;
};

void PrintTo(const FrameFailure& failure, std::ostream* out) {
    *out << failure.name;
}

class FrameFails : public PropertyPages, public ::testing::WithParamInterface<FrameFailure> {};

TEST_P(FrameFails, ShowsNoFrameAndGivesEverythingBack) {
    GetParam().arrange(*this);
    snapshot();
    EXPECT_EQ(GetParam().run(), GetParam().expected);
    EXPECT_TRUE(frame.shown.empty());
    EXPECT_TRUE(journal().matching("CoTaskMemFree").empty());
    expectEverythingGivenBack();
}

int filterFrame() {
    return vcx_FilterProp(kOwner, L"Overlay Mixer");
}
int pinFrame() {
    return vcx_DevPinProp(kOwner);
}
void closeSlot(PropertyPages&) {
    vcx_Close();
}

const FrameFailure kFrameFailures[] = {
    {"FilterOnClosedSlot", closeSlot, filterFrame, -1},
    {"FilterWithoutGraph", [](PropertyPages&) { dropField(vcx::activeSlot().graph); }, filterFrame,
     -3},
    {"UnknownName", [](PropertyPages&) {}, [] { return vcx_FilterProp(kOwner, L"Nobody"); }, -2},
    {"NullName", [](PropertyPages&) {}, [] { return vcx_FilterProp(kOwner, nullptr); }, -2},
    {"FilterWithoutPages", [](PropertyPages&) {},
     [] { return vcx_FilterProp(kOwner, L"Device Filter"); }, -2},
    {"FilterInfoFails",
     [](PropertyPages& t) { t.pagesFilter->setResult("QueryFilterInfo", E_FAIL); }, filterFrame,
     -4},
    {"FilterPagesFail", [](PropertyPages& t) { t.pagesFilter->setResult("GetPages", E_FAIL); },
     filterFrame, -5},
    {"PinOnClosedSlot", closeSlot, pinFrame, -1},
    {"PinWithoutDeviceFilter", [](PropertyPages&) { dropField(vcx::activeSlot().sourceFilter); },
     pinFrame, -6},
    {"NoPin", [](PropertyPages& t) { t.pins->items.clear(); }, pinFrame, -4},
    {"FirstPinWithoutPages", [](PropertyPages& t) { t.firstPin->offersPages = false; }, pinFrame,
     -5},
    {"PinPagesFail", [](PropertyPages& t) { t.firstPin->setResult("GetPages", E_FAIL); }, pinFrame,
     -7},
};

INSTANTIATE_TEST_SUITE_P(Paths, FrameFails, ::testing::ValuesIn(kFrameFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PropertyPages, CodecDialogPassesCodeAndWindowInTheCompressorsOrder) {
    EXPECT_EQ(vcx_CodecDialog(kOwner, VfwCompressDialog_About), -1) << "no compressor dialogs";
    Held<FakeCompressDialogs> dialogs("dialogs");
    dialogs->handOut(IID_IAMVfwCompressDialogs,
                     reinterpret_cast<void**>(&vcx::activeSlot().compressDialogs));
    dialogs->setResult("ShowDialog", S_FALSE);
    EXPECT_EQ(vcx_CodecDialog(kOwner, VfwCompressDialog_About), S_FALSE);
    dialogs->setResult("ShowDialog", E_FAIL);
    EXPECT_EQ(vcx_CodecDialog(kOwner, VfwCompressDialog_QueryConfig), E_FAIL);
    EXPECT_THAT(journal().matching("ShowDialog"),
                ElementsAre("dialogs.ShowDialog(2, -16962)", "dialogs.ShowDialog(4, -16962)"));
    EXPECT_EQ(dialogs->refs(), 2u) << "the slot keeps its one reference";
    vcx_Close();
}

} // namespace
