// Stream control on a slot opened with fakes: each export's guard, missing
// interfaces, results, calls in order and the slot state it leaves.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "vcxcap.h"

#include "fakes/capture_world.h"

using namespace fakes;

namespace {

class Control : public CaptureWorld {
  public:
    Control() {
        addDevice();
        EXPECT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
        journal().clear();
    }

    // The calls since the last clear, joined by " | ".
    static std::string calls() {
        std::string all;
        for (const std::string& entry : journal().entries()) {
            all += (all.empty() ? "" : " | ") + entry;
        }
        return all;
    }
};

struct Call {
    const char* name;
    int32_t state;
    std::function<void(Control&, vcx::CaptureSlot&)> arrange;
    std::function<int()> call;
    int expected;
    int32_t stateAfter;
    std::string calls;
};

void PrintTo(const Call& row, std::ostream* out) {
    *out << row.name;
}

class ControlCalls : public Control, public ::testing::WithParamInterface<Call> {};

TEST_P(ControlCalls, AnswerCallInOrderAndLeaveTheState) {
    const Call& row = GetParam();
    vcx::CaptureSlot& slot = vcx::activeSlot();
    slot.state = row.state;
    row.arrange(*this, slot);
    journal().clear();
    EXPECT_EQ(row.call(), row.expected);
    EXPECT_EQ(calls(), row.calls);
    EXPECT_EQ(slot.state, row.stateAfter);
}

const auto play = [] { return vcx_Play(77, 1, 2, 3, 4); };
const auto play2 = [] { return vcx_Play2(); };
const auto resize = [] { return vcx_ReSize(77, 1, 2, 3, 4); };
const auto stop = [] { return vcx_Stop(); };
const auto state = [] { return vcx_GetState(); };
const auto none = [](Control&, vcx::CaptureSlot&) {};
const auto graphAnswers = [](const char* call, HRESULT hr, OAFilterState filterState = 0) {
    return [=](Control& t, vcx::CaptureSlot&) {
        t.graph->setResult(call, hr);
        t.graph->filterState = filterState;
    };
};
const auto noControl = [](Control&, vcx::CaptureSlot& s) { dropField(s.mediaControl); };
const auto noGrabber = [](Control&, vcx::CaptureSlot& s) { dropField(s.grabber); };
const auto noWindow = [](Control&, vcx::CaptureSlot& s) { dropField(s.videoWindow); };

const std::string kPlace = "graph.put_Owner(77) | graph.put_WindowStyle(0x44000000) | "
                           "graph.SetWindowPosition(1, 2, 3, 4) | "
                           "graph.SetWindowForeground(-1) | graph.put_Visible(-1)";
const std::string kBuffer = "grabber.SetBufferSamples(TRUE)";
const std::string kRun = kBuffer + " | graph.Run";
const std::string kState = "graph.GetState(-1)";

const Call kCalls[] = {
    {"PlayOnClosedSlot", 0, none, play, -1, 0, ""},
    {"PlayWhenRunning", 3, none, play, -2, 3, ""},
    {"PlayRuns", 2, none, play, 0, 3, kPlace + " | " + kRun},
    {"PlayRunFails", 2, graphAnswers("Run", E_FAIL), play, 1, 3, kPlace + " | " + kRun},
    {"PlayWithoutMediaControl", 2, noControl, play, -3, 2, kPlace + " | " + kBuffer},
    {"PlayWithoutVideoWindow", 2, noWindow, play, 0, 3, "graph.Run"},
    {"Play2OnClosedSlot", 0, none, play2, -1, 0, ""},
    {"Play2WhenRunning", 3, none, play2, -2, 3, ""},
    {"Play2Runs", 2, none, play2, 0, 3, kRun},
    {"Play2RunFails", 2, graphAnswers("Run", E_UNEXPECTED), play2, 1, 3, kRun},
    {"Play2WithoutGrabber", 2, noGrabber, play2, -3, 2, ""},
    {"Play2WithoutMediaControl", 2, noControl, play2, -4, 2, kBuffer},
    {"ReSizeOnClosedSlot", 0, none, resize, -1, 0, ""},
    {"ReSizeOpen", 2, none, resize, 0, 2, kPlace},
    {"ReSizeRunning", 3, none, resize, 0, 3, kPlace},
    {"ReSizeWithoutVideoWindow", 2, noWindow, resize, -2, 2, ""},
    {"StopOnClosedSlot", 0, none, stop, -1, 0, ""},
    {"StopWhenOpen", 2, none, stop, -1, 2, ""},
    {"StopRunning", 3, none, stop, 0, 2, "graph.Stop"},
    {"StopWithoutMediaControl", 3, noControl, stop, -2, 3, ""},
    {"StateOnClosedSlot", 0, none, state, -1, 0, ""},
    {"StateWithoutMediaControl", 2, noControl, state, -3, 2, ""},
    {"StateStopped", 2, graphAnswers("GetState", S_OK, State_Stopped), state, 0, 2, kState},
    {"StatePaused", 3, graphAnswers("GetState", S_OK, State_Paused), state, 1, 3, kState},
    {"StateRunning", 3, graphAnswers("GetState", S_OK, State_Running), state, 2, 3, kState},
    {"StateChanging", 3, graphAnswers("GetState", VFW_S_STATE_INTERMEDIATE, 1), state, 1, 3,
     kState},
    {"StateOtherFailure", 3, graphAnswers("GetState", E_UNEXPECTED, 2), state, 2, 3, kState},
    // The fake writes -1, as if it had written no state.
    {"StateNotWritten", 3, graphAnswers("GetState", E_POINTER, -1), state, -2, 3, kState},
};

INSTANTIATE_TEST_SUITE_P(Rows, ControlCalls, ::testing::ValuesIn(kCalls),
                         [](const auto& info) { return std::string(info.param.name); });

// The owner window crosses the interface as 32 bits and is sign-extended.
class WindowOwner : public Control,
                    public ::testing::WithParamInterface<std::pair<int, const char*>> {};

TEST_P(WindowOwner, IsSignExtended) {
    EXPECT_EQ(vcx_ReSize(GetParam().first, 0, 0, 1, 1), 0);
    EXPECT_EQ(calls().substr(0, calls().find(" | ")), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Handles, WindowOwner,
                         ::testing::Values(std::pair{0x00010002, "graph.put_Owner(65538)"},
                                           std::pair{-2, "graph.put_Owner(-2)"},
                                           std::pair{INT_MIN, "graph.put_Owner(-2147483648)"}));

// vcx_SetCapConfig on a running slot: value, recorded before, what
// SetBufferSamples answers, result, calls, recorded after.
struct Switch {
    int value;
    int32_t before;
    HRESULT answer;
    int expected;
    const char* calls;
    int32_t after;
};

class Buffering : public Control, public ::testing::WithParamInterface<Switch> {};

TEST_P(Buffering, SwitchesAndRecords) {
    const Switch& row = GetParam();
    vcx::activeSlot().state = vcx::kSlotRunning;
    vcx::library().grabEnabled = row.before;
    grabber->setResult("SetBufferSamples", row.answer);
    EXPECT_EQ(vcx_SetCapConfig(row.value), row.expected);
    EXPECT_EQ(calls(), row.calls);
    EXPECT_EQ(vcx::library().grabEnabled, row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Buffering,
    ::testing::Values(Switch{1, 0, S_OK, 0, "grabber.SetBufferSamples(TRUE)", 1},
                      Switch{0, 1, S_OK, 0, "grabber.SetBufferSamples(FALSE)", 0},
                      Switch{1, 0, E_FAIL, 0, "grabber.SetBufferSamples(TRUE)", 1},
                      Switch{-1, 1, S_OK, 1, "", 1}, Switch{-1, 0, S_OK, 0, "", 0},
                      Switch{2, 1, S_OK, 0, "", 1}, Switch{-2, 1, S_OK, 0, "", 1}));

TEST_F(Control, BufferingNeedsARunningSlotWithAGrabber) {
    vcx::library().grabEnabled = 1;
    EXPECT_EQ(vcx_SetCapConfig(-1), -1) << "open, not running";
    vcx::activeSlot().state = vcx::kSlotRunning;
    dropField(vcx::activeSlot().grabber);
    journal().clear();
    EXPECT_EQ(vcx_SetCapConfig(0), -2);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(vcx::library().grabEnabled, 1);
}

// One record for the library: runs and stops leave it alone, and a switch on
// one slot shows in a query on another.
TEST_F(Control, BufferingRecordIsLibraryWide) {
    ASSERT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 0) << "a run switches buffering on without recording it";
    EXPECT_EQ(vcx_SetCapConfig(1), 0);
    ASSERT_EQ(vcx_SetActiveSel(1), 0);
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    ASSERT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 1);
    EXPECT_EQ(vcx_SetCapConfig(0), 0);
    ASSERT_EQ(vcx_SetActiveSel(0), 0);
    ASSERT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Play2(), 0);
    EXPECT_EQ(vcx_SetCapConfig(-1), 0);
}

} // namespace
