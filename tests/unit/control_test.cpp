// Stream control: run, stop, the video window, frame buffering and the graph
// state, on a slot opened with fakes.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/capture_world.h"

using namespace fakes;

namespace {

constexpr int kNoOutput = 5;

class Control : public CaptureWorld {
  public:
    Control() {
        addDevice();
        EXPECT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
        journal().clear();
    }

    // Gives back a field's reference and empties it.
    template <class T> static void drop(T*& field) {
        field->Release();
        field = nullptr;
    }
};

const std::vector<std::string> kPlacement = {
    "graph.put_Owner(77)", "graph.put_WindowStyle(0x44000000)",
    "graph.SetWindowPosition(1, 2, 3, 4)", "graph.SetWindowForeground(-1)",
    "graph.put_Visible(-1)"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ControlCase {
    const char* name;
    int32_t state;
    std::function<void(Control&, vcx::CaptureSlot&)> arrange;
    std::function<int()> call;
    int expected;
    int32_t stateAfter;
    std::vector<std::string> calls;
};

void PrintTo(const ControlCase& row, std::ostream* out) {
    *out << row.name;
}

class ControlCalls : public Control, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(ControlCalls, AnswerAndCallInOrder) {
    const ControlCase& row = GetParam();
    vcx::CaptureSlot& slot = vcx::activeSlot();
    slot.state = row.state;
    row.arrange(*this, slot);
    journal().clear();
    EXPECT_EQ(row.call(), row.expected);
    EXPECT_EQ(journal().entries(), row.calls);
    EXPECT_EQ(slot.state, row.state == 0 ? 0 : row.stateAfter);
}

const auto play = [] { return vcx_Play(77, 1, 2, 3, 4); };
const auto resize = [] { return vcx_ReSize(77, 1, 2, 3, 4); };
const auto play2 = [] { return vcx_Play2(); };
const auto stop = [] { return vcx_Stop(); };
const auto getState = [] { return vcx_GetState(); };
const auto nothing = [](Control&, vcx::CaptureSlot&) {};
const auto runAnswers = [](HRESULT hr) {
    return [hr](Control& t, vcx::CaptureSlot&) { t.graph->setResult("Run", hr); };
};
const auto stateAnswers = [](HRESULT hr, OAFilterState state) {
    return [hr, state](Control& t, vcx::CaptureSlot&) {
        t.graph->setResult("GetState", hr);
        t.graph->filterState = state;
    };
};
const auto noMediaControl = [](Control&, vcx::CaptureSlot& s) { Control::drop(s.mediaControl); };
const auto noGrabber = [](Control&, vcx::CaptureSlot& s) { Control::drop(s.grabber); };
const auto noVideoWindow = [](Control&, vcx::CaptureSlot& s) { Control::drop(s.videoWindow); };

const std::vector<std::string> kBufferAndRun = {"grabber.SetBufferSamples(TRUE)", "graph.Run"};

const ControlCase kControlCases[] = {
    {"PlayOnClosedSlot", 0, nothing, play, -1, 0, {}},
    {"PlayWhenRunning", 3, nothing, play, -2, 3, {}},
    {"PlayRuns", 2, nothing, play, 0, 3, kPlacement + kBufferAndRun},
    {"PlayStillChanging", 2, runAnswers(S_FALSE), play, 1, 3, kPlacement + kBufferAndRun},
    {"PlayRunFails", 2, runAnswers(E_FAIL), play, 1, 3, kPlacement + kBufferAndRun},
    {"PlayWithoutMediaControl", 2, noMediaControl, play, -3, 2,
     kPlacement + std::vector<std::string>{"grabber.SetBufferSamples(TRUE)"}},
    {"PlayWithoutVideoWindow", 2, noVideoWindow, play, 0, 3, {"graph.Run"}},
    {"Play2OnClosedSlot", 0, nothing, play2, -1, 0, {}},
    {"Play2WhenRunning", 3, nothing, play2, -2, 3, {}},
    {"Play2Runs", 2, nothing, play2, 0, 3, kBufferAndRun},
    {"Play2StillChanging", 2, runAnswers(S_FALSE), play2, 1, 3, kBufferAndRun},
    {"Play2RunFails", 2, runAnswers(E_UNEXPECTED), play2, 1, 3, kBufferAndRun},
    {"Play2WithoutGrabber", 2, noGrabber, play2, -3, 2, {}},
    {"Play2WithoutMediaControl",
     2,
     noMediaControl,
     play2,
     -4,
     2,
     {"grabber.SetBufferSamples(TRUE)"}},
    {"ReSizeOnClosedSlot", 0, nothing, resize, -1, 0, {}},
    {"ReSizeOpen", 2, nothing, resize, 0, 2, kPlacement},
    {"ReSizeRunning", 3, nothing, resize, 0, 3, kPlacement},
    {"ReSizeWithoutVideoWindow", 2, noVideoWindow, resize, -2, 2, {}},
    {"StopOnClosedSlot", 0, nothing, stop, -1, 0, {}},
    {"StopWhenOpen", 2, nothing, stop, -1, 2, {}},
    {"StopRunning", 3, nothing, stop, 0, 2, {"graph.Stop"}},
    {"StopFails",
     3,
     [](Control& t, vcx::CaptureSlot&) { t.graph->setResult("Stop", E_FAIL); },
     stop,
     0,
     2,
     {"graph.Stop"}},
    {"StopWithoutMediaControl", 3, noMediaControl, stop, -2, 3, {}},
    {"GetStateOnClosedSlot", 0, nothing, getState, -1, 0, {}},
    {"GetStateWithoutMediaControl", 2, noMediaControl, getState, -3, 2, {}},
    {"GetStateStopped",
     2,
     stateAnswers(S_OK, State_Stopped),
     getState,
     0,
     2,
     {"graph.GetState(-1)"}},
    {"GetStatePaused", 3, stateAnswers(S_OK, State_Paused), getState, 1, 3, {"graph.GetState(-1)"}},
    {"GetStateRunning",
     3,
     stateAnswers(S_OK, State_Running),
     getState,
     2,
     3,
     {"graph.GetState(-1)"}},
    {"GetStateIntermediate",
     3,
     stateAnswers(VFW_S_STATE_INTERMEDIATE, State_Paused),
     getState,
     1,
     3,
     {"graph.GetState(-1)"}},
    {"GetStateFails",
     3,
     stateAnswers(E_FAIL, State_Running),
     getState,
     -2,
     3,
     {"graph.GetState(-1)"}},
    {"GetStateOtherFailureWithState",
     3,
     stateAnswers(E_UNEXPECTED, State_Running),
     getState,
     2,
     3,
     {"graph.GetState(-1)"}},
    // The fake writes -1, as if it had written nothing.
    {"GetStateOtherFailureWithoutState",
     3,
     stateAnswers(E_POINTER, -1),
     getState,
     -2,
     3,
     {"graph.GetState(-1)"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, ControlCalls, ::testing::ValuesIn(kControlCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The owner window crosses the interface as 32 bits and is sign-extended.
struct Owner {
    int owner;
    const char* call;
};

class WindowOwner : public Control, public ::testing::WithParamInterface<Owner> {};

TEST_P(WindowOwner, IsSignExtended) {
    EXPECT_EQ(vcx_ReSize(GetParam().owner, 0, 0, 1, 1), 0);
    ASSERT_FALSE(journal().entries().empty());
    EXPECT_EQ(journal().entries().front(), GetParam().call);
}

INSTANTIATE_TEST_SUITE_P(Handles, WindowOwner,
                         ::testing::Values(Owner{0x00010002, "graph.put_Owner(65538)"},
                                           Owner{-2, "graph.put_Owner(-2)"},
                                           Owner{INT_MIN, "graph.put_Owner(-2147483648)"},
                                           Owner{INT_MAX, "graph.put_Owner(2147483647)"}));

// vcx_SetCapConfig on a running slot.
struct Switch {
    const char* name;
    int value;
    int32_t recordedBefore;
    HRESULT bufferResult;
    int expected;
    std::vector<std::string> calls;
    int32_t recordedAfter;
};

void PrintTo(const Switch& row, std::ostream* out) {
    *out << row.name;
}

class Buffering : public Control, public ::testing::WithParamInterface<Switch> {};

TEST_P(Buffering, SwitchesAndRecords) {
    const Switch& row = GetParam();
    vcx::activeSlot().state = vcx::kSlotRunning;
    vcx::library().grabEnabled = row.recordedBefore;
    grabber->setResult("SetBufferSamples", row.bufferResult);
    EXPECT_EQ(vcx_SetCapConfig(row.value), row.expected);
    EXPECT_EQ(journal().entries(), row.calls);
    EXPECT_EQ(vcx::library().grabEnabled, row.recordedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Buffering,
    ::testing::Values(
        Switch{"On", 1, 0, S_OK, 0, {"grabber.SetBufferSamples(TRUE)"}, 1},
        Switch{"Off", 0, 1, S_OK, 0, {"grabber.SetBufferSamples(FALSE)"}, 0},
        Switch{"OnRecordedThoughRefused", 1, 0, E_FAIL, 0, {"grabber.SetBufferSamples(TRUE)"}, 1},
        Switch{"QueryOn", -1, 1, S_OK, 1, {}, 1}, Switch{"QueryOff", -1, 0, S_OK, 0, {}, 0},
        Switch{"OtherValue", 2, 1, S_OK, 0, {}, 1}, Switch{"NegativeValue", -2, 1, S_OK, 0, {}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Control, BufferingNeedsARunningSlotWithAGrabber) {
    vcx::library().grabEnabled = 1;
    EXPECT_EQ(vcx_SetCapConfig(-1), -1) << "open, not running";
    EXPECT_EQ(vcx_SetCapConfig(0), -1);
    vcx::activeSlot().state = vcx::kSlotRunning;
    drop(vcx::activeSlot().grabber);
    journal().clear();
    EXPECT_EQ(vcx_SetCapConfig(0), -2);
    EXPECT_TRUE(journal().entries().empty());
    EXPECT_EQ(vcx::library().grabEnabled, 1);
}

// The record is one value for the library: runs leave it alone, and a
// switch on one slot shows in a query on another.
TEST_F(Control, BufferingRecordIsLibraryWide) {
    ASSERT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 0) << "a run switches buffering on without recording it";
    EXPECT_EQ(vcx_SetCapConfig(1), 0);
    ASSERT_EQ(vcx_SetActiveSel(1), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    ASSERT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 1);
    EXPECT_EQ(vcx_SetCapConfig(0), 0);
    ASSERT_EQ(vcx_SetActiveSel(0), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 0);
}

TEST_F(Control, StopAndRunAgainKeepBuffering) {
    ASSERT_EQ(vcx_Play2(), 0);
    ASSERT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Stop(), -1);
    EXPECT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(journal().matching("SetBufferSamples").size(), 2u);
    EXPECT_TRUE(journal().matching("SetBufferSamples(FALSE)").empty());
    EXPECT_EQ(vcx_GetRef(), 3);
}

} // namespace
