// The frame sequence on a faked Sample Grabber: the counter that open
// attaches and close releases, the count, the newest frame's time, the
// measured rate and the dropped frames, with every code.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "vcxcap.h"

#include "core/slots.h"
#include "fakes/stream_world.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

int frameTime(int& milliseconds) {
    return vcx_GetFrameTime(&milliseconds);
}

// Each new export on a slot that is closed, open but stopped, and running
// without a counter (its attachment refused at open).
struct StateCase {
    const char* name;
    std::function<int()> call;
    int closed;
    int stopped; // open, not running, with a counter and no frame yet
    int noCounter;
};

class StateChecks : public StreamWorld, public ::testing::WithParamInterface<StateCase> {};

std::vector<unsigned char> bits(48, 0xEE);
int bitsSize = 48;
std::vector<unsigned char> header(44, 0xEE);
int param1 = 0;
int param2 = 0;
int milliseconds = 0;

TEST_P(StateChecks, AnswerTheirCodeAndTouchNothing) {
    const StateCase& c = GetParam();
    EXPECT_EQ(c.call(), c.closed) << "closed";
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    EXPECT_EQ(c.call(), c.stopped) << "open, stopped";
    ASSERT_EQ(vcx_Close(), 0);

    grabber->setResult("SetCallback", E_FAIL);
    openAndRun();
    EXPECT_EQ(vcx::activeSlot().frameCounter, nullptr);
    EXPECT_EQ(c.call(), c.noCounter) << "no counter";
    EXPECT_TRUE(journal().matching("MsgWaitForMultipleObjectsEx").empty())
        << "waited without a counter";
    EXPECT_EQ(bits, std::vector<unsigned char>(48, 0xEE));
    EXPECT_EQ(header, std::vector<unsigned char>(44, 0xEE));
    EXPECT_EQ(milliseconds, 0);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(sync().libraryEventsOpen(), 0) << "the refused counter's event";
}

INSTANTIATE_TEST_SUITE_P(
    Exports, StateChecks,
    ::testing::Values(StateCase{"count", vcx_GetFrameCount, -1, 0, -2},
                      StateCase{"time", [] { return frameTime(milliseconds); }, -1, -4, -3},
                      StateCase{"rate", vcx_GetFrameRate, -1, 0, -2},
                      StateCase{"wait", [] { return vcx_WaitFrame(0, 100); }, -1, -1, -2},
                      StateCase{"nextFrame",
                                [] {
                                    return vcx_GetNextFrame(0, 100, bits.data(), &bitsSize,
                                                            header.data());
                                },
                                -1, -1, -2},
                      StateCase{"event", [] { return vcx_GetEvent(&param1, &param2); }, -1, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class FrameSequence : public StreamWorld {};

TEST_F(FrameSequence, CountsEveryFrameAcrossRunsAndStartsAgainAtTheNextOpen) {
    openAndRun();
    EXPECT_EQ(vcx_GetFrameCount(), 0);
    deliver(3);
    EXPECT_EQ(vcx_GetFrameCount(), 3);
    ASSERT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_GetFrameCount(), 3) << "a stopped slot keeps its count";
    ASSERT_EQ(vcx_Play2(), 0);
    deliver(2);
    EXPECT_EQ(vcx_GetFrameCount(), 5);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(sync().libraryEventsOpen(), 0);
    openAndRun();
    EXPECT_EQ(vcx_GetFrameCount(), 0);
    // The callback only counts and stamps: nothing signalled while nobody waits.
    deliver(1);
    EXPECT_THAT(journal().entries(), ElementsAre("sample.GetTime"));
}

TEST_F(FrameSequence, CloseReleasesTheCounterAfterTheGraph) {
    openAndRun();
    ASSERT_EQ(vcx_Close(), 0);
    const int graphGone = journal().indexOf("graph.Release(IGraphBuilder)");
    const int eventGone = journal().indexOf("sync.CloseHandle(event)");
    ASSERT_GE(graphGone, 0);
    EXPECT_GT(eventGone, graphGone);
    expectSlotEmpty(vcx::activeSlot());
    expectAllReleased();
}

TEST_F(FrameSequence, AnEventThatCannotBeMadeLeavesTheSlotOpenWithoutACounter) {
    sync().setResult("CreateEventW(auto-reset)", E_FAIL);
    EXPECT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    EXPECT_EQ(vcx::activeSlot().frameCounter, nullptr);
    EXPECT_TRUE(journal().matching("SetCallback").empty());
    EXPECT_EQ(vcx_GetFrameCount(), -2);
}

// A grabber that answers SetCallback with a success other than S_OK may have
// installed the counter: it is taken back before the counter goes.
TEST_F(FrameSequence, ACallbackInstalledWithAnotherSuccessIsTakenBack) {
    grabber->setResult("SetCallback(0)", S_FALSE);
    EXPECT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    EXPECT_EQ(vcx::activeSlot().frameCounter, nullptr);
    EXPECT_EQ(grabber->callback, nullptr);
    EXPECT_THAT(journal().matching("SetCallback"),
                ElementsAre("grabber.SetCallback(0)", "grabber.SetCallback(0)"));
    EXPECT_EQ(sync().libraryEventsOpen(), 0);
}

struct TimeCase {
    const char* name;
    std::vector<std::optional<REFERENCE_TIME>> starts; // one per frame delivered
    HRESULT getTime;
    int expected;
    int milliseconds;
};

class FrameTime : public StreamWorld, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(FrameTime, IsTheNewestStartOrItsArrival) {
    const TimeCase& c = GetParam();
    openAndRun();
    sample->setResult("GetTime", c.getTime);
    for (const std::optional<REFERENCE_TIME>& start : c.starts) {
        sample->times.reset();
        if (start) {
            sample->times = std::make_pair(*start, *start + kInterval);
        }
        deliver(1, 400'000); // 40 ms apart
    }
    int written = 0x7EEEEEEE;
    EXPECT_EQ(vcx_GetFrameTime(&written), c.expected);
    EXPECT_EQ(written, c.milliseconds);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameTime,
    ::testing::Values(
        TimeCase{"noFrameYet", {}, S_OK, -4, 0x7EEEEEEE},
        TimeCase{"timed", {123'456'789}, S_OK, 0, 12345},
        TimeCase{"newestOfTwo", {0, 333'333}, S_OK, 0, 33},
        TimeCase{"negativeRoundsDown", {-15'000}, S_OK, 0, -2},
        TimeCase{"hugeClamps", {REFERENCE_TIME{1} << 60}, S_OK, 0, INT_MAX},
        TimeCase{"untimedFirst", {std::nullopt}, S_OK, 1, 0},
        TimeCase{"untimedSinceFirst", {std::nullopt, std::nullopt, std::nullopt}, S_OK, 1, 80},
        TimeCase{"newestUntimed", {5'000'000, std::nullopt}, S_OK, 1, 40},
        TimeCase{"getTimeFails", {5'000'000, 5'400'000}, E_FAIL, 1, 40},
        TimeCase{"startOnly", {70'000}, VFW_S_NO_STOP_TIME, 0, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameSequence, TimeRefusesANullPointer) {
    openAndRun();
    deliver(1);
    EXPECT_EQ(vcx_GetFrameTime(nullptr), -2);
}

struct RateCase {
    const char* name;
    int frames;
    LONGLONG interval;     // between frames, 100 ns units
    LONGLONG quietAfterMs; // from the last frame to the query
    int expected;          // thousandths of a frame per second
};

class FrameRate : public StreamWorld, public ::testing::WithParamInterface<RateCase> {};

TEST_P(FrameRate, IsTheMeanRateOfTheLastSecond) {
    const RateCase& c = GetParam();
    openAndRun();
    deliver(c.frames, c.interval);
    sync().advanceMs(c.quietAfterMs);
    EXPECT_EQ(vcx_GetFrameRate(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameRate,
    ::testing::Values(RateCase{"none", 0, StreamWorld::kInterval, 0, 0},
                      RateCase{"one", 1, StreamWorld::kInterval, 0, 0},
                      RateCase{"two", 2, 500'000, 0, 20000},
                      RateCase{"thirtyFor2s", 60, StreamWorld::kInterval, 0, 30000},
                      RateCase{"ntsc", 90, 333'667, 5, 29970},
                      // Only the frames of the last second count: a camera
                      // that slowed down shows its new rate.
                      RateCase{"staleFramesAged", 40, StreamWorld::kInterval, 900, 30000},
                      RateCase{"quietForASecond", 40, StreamWorld::kInterval, 1001, 0},
                      // A second at 1000 fps fills half the ring.
                      RateCase{"thousand", 1500, 10'000, 0, 1000000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameSequence, RateFollowsAChangeWithinASecond) {
    openAndRun();
    deliver(60, 333'333); // 30 fps for two seconds
    deliver(40, 666'667); // then 15 fps: 15 frames in the last second
    EXPECT_EQ(vcx_GetFrameRate(), 15000);
}

struct DroppedCase {
    const char* name;
    std::function<void(StreamWorld&)> arrange;
    int expected;
};

class DroppedFrames : public StreamWorld, public ::testing::WithParamInterface<DroppedCase> {};

TEST_P(DroppedFrames, AreAskedOfTheCapturePin) {
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    droppedFrames->dropped = 7;
    GetParam().arrange(*this);
    journal().clear();
    EXPECT_EQ(vcx_GetDroppedFrames(), GetParam().expected);
    EXPECT_EQ(droppedFrames->refs(), 1u);
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DroppedFrames,
    ::testing::Values(
        DroppedCase{"counted", [](StreamWorld&) {}, 7},
        DroppedCase{"none", [](StreamWorld& w) { w.droppedFrames->dropped = 0; }, 0},
        DroppedCase{"notOffered", [](StreamWorld& w) { w.builder->alsoFound.clear(); }, -3},
        DroppedCase{"negative", [](StreamWorld& w) { w.droppedFrames->dropped = -1; }, -4},
        DroppedCase{"noDevice", [](StreamWorld&) { dropField(vcx::activeSlot().sourceFilter); },
                    -2},
        DroppedCase{"noBuilder", [](StreamWorld&) { dropField(vcx::activeSlot().captureBuilder); },
                    -2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameSequence, DroppedFramesAskTheCaptureCategoryOfTheDevice) {
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    journal().clear();
    EXPECT_EQ(vcx_GetDroppedFrames(), 0);
    EXPECT_THAT(journal().entries(),
                ElementsAre("builder.FindInterface(PIN_CATEGORY_CAPTURE, null, device0, "
                            "IAMDroppedFrames)",
                            "droppedFrames.GetNumDropped", "droppedFrames.Release"));
    EXPECT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetDroppedFrames(), -1);
}

} // namespace
