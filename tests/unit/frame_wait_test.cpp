// Waiting for frames on a faked running slot: vcx_WaitFrame and
// vcx_GetNextFrame against what happens while they wait (frames, a lost
// device, other graph events, time), with every code, the waits they make
// and what they leave behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "core/slots.h"
#include "frames/frame_counter.h"

#include "fakes/fake_heap.h"
#include "fakes/stream_world.h"

using namespace fakes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// What happens on other threads while the library waits.
enum class Happening {
    kFrame,    // a frame reaches the grabber 33 ms later
    kFrames3,  // three frames, 33 ms apart
    kLost,     // EC_DEVICE_LOST, device removed
    kBack,     // EC_DEVICE_LOST, device back (not a loss)
    kClock,    // EC_CLOCK_CHANGED (the stream goes on)
    kComplete, // EC_COMPLETE (the end of the stream)
    kAbort,    // EC_ERRORABORT (a failed write)
};

void happen(StreamWorld& world, Happening what) {
    switch (what) {
    case Happening::kFrame:
        world.deliver();
        break;
    case Happening::kFrames3:
        world.deliver(3);
        break;
    case Happening::kLost:
        world.graph->post(EC_DEVICE_LOST, 0x1234, 0);
        break;
    case Happening::kBack:
        world.graph->post(EC_DEVICE_LOST, 0x1234, 1);
        break;
    case Happening::kClock:
        world.graph->post(EC_CLOCK_CHANGED, 0, 0);
        break;
    case Happening::kComplete:
        world.graph->post(EC_COMPLETE, S_OK, 0);
        break;
    case Happening::kAbort:
        world.graph->post(EC_ERRORABORT, static_cast<LONG_PTR>(E_FAIL), 0);
        break;
    }
}

using H = Happening;

// The graph events vcx_GetEvent hands out, until it answers 0.
std::vector<int> eventsLeft() {
    std::vector<int> codes;
    int param1 = 0;
    int param2 = 0;
    for (int code; (code = vcx_GetEvent(&param1, &param2)) > 0;) {
        codes.push_back(code);
    }
    return codes;
}

// The waits the library made, as "count, timeout".
std::vector<std::string> waitsMade() {
    std::vector<std::string> waits;
    for (const std::string& entry : journal().matching("MsgWaitForMultipleObjectsEx(")) {
        const auto open = entry.find('(');
        waits.push_back(entry.substr(open + 1, entry.size() - open - 2));
    }
    return waits;
}

struct WaitCase {
    const char* name;
    int delivered; // frames before the call
    std::vector<Happening> before;
    int after;
    int timeoutMs;
    std::vector<Happening> during; // one per wait that finds nothing set
    int expected;
    std::vector<std::string> waits;
    std::vector<int> eventsLeft;
};

class WaitFrame : public StreamWorld, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitFrame, AnswersWhatHappenedWhileItWaited) {
    const WaitCase& c = GetParam();
    openAndRun();
    deliver(c.delivered);
    for (const Happening what : c.before) {
        happen(*this, what);
    }
    for (const Happening what : c.during) {
        duringNextWait([this, what] { happen(*this, what); });
    }
    journal().clear();
    EXPECT_EQ(vcx_WaitFrame(c.after, c.timeoutMs), c.expected);
    EXPECT_THAT(waitsMade(), ElementsAreArray(c.waits));
    EXPECT_TRUE(sync().duringWaits.empty()) << "the wait ended before what was to happen";
    EXPECT_THAT(eventsLeft(), ElementsAreArray(c.eventsLeft));
    EXPECT_EQ(graph->freed.size(), static_cast<std::size_t>(graph->eventsTaken))
        << "parameters of an event taken and not freed";
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

const std::vector<Happening> kNone;
const std::vector<std::string> kNoWait;

INSTANTIATE_TEST_SUITE_P(
    Rows, WaitFrame,
    ::testing::Values(
        WaitCase{"alreadyThere", 2, kNone, 1, 100, kNone, 2, kNoWait, {}},
        WaitCase{"pollFindsNone", 0, kNone, 0, 0, kNone, -3, {"2, 0"}, {}},
        WaitCase{"pollFindsOne", 1, kNone, 0, 0, kNone, 1, kNoWait, {}},
        WaitCase{"frameArrives", 0, kNone, 0, 100, {H::kFrame}, 1, {"2, 100"}, {}},
        WaitCase{
            "notNewEnoughThenTimeout", 1, kNone, 2, 100, {H::kFrame}, -3, {"2, 100", "2, 67"}, {}},
        WaitCase{"secondFrameIsTheOne",
                 0,
                 kNone,
                 1,
                 100,
                 {H::kFrame, H::kFrame},
                 2,
                 {"2, 100", "2, 67"},
                 {}},
        WaitCase{"deviceLost", 0, kNone, 0, 100, {H::kLost}, -4, {"2, 100"}, {EC_DEVICE_LOST}},
        WaitCase{
            "deviceLostBefore", 0, {H::kLost}, 0, 100, kNone, -4, {"2, 100"}, {EC_DEVICE_LOST}},
        WaitCase{
            "newFrameBeforeTheLoss", 1, {H::kLost}, 0, 100, kNone, 1, kNoWait, {EC_DEVICE_LOST}},
        WaitCase{"deviceBackIsNoLoss",
                 0,
                 kNone,
                 0,
                 100,
                 {H::kBack, H::kFrame},
                 1,
                 {"2, 100", "2, 100"},
                 {EC_DEVICE_LOST}},
        WaitCase{"otherEventsKeptInOrder",
                 0,
                 kNone,
                 0,
                 100,
                 {H::kClock, H::kBack, H::kFrame},
                 1,
                 {"2, 100", "2, 100", "2, 100"},
                 {EC_CLOCK_CHANGED, EC_DEVICE_LOST}},
        WaitCase{"endOfStream", 0, kNone, 0, 100, {H::kComplete}, -12, {"2, 100"}, {EC_COMPLETE}},
        WaitCase{"abortBefore", 0, {H::kAbort}, 0, 100, kNone, -12, {"2, 100"}, {EC_ERRORABORT}},
        WaitCase{"frameBeforeTheAbort", 1, {H::kAbort}, 0, 100, kNone, 1, kNoWait, {EC_ERRORABORT}},
        // Without limit: the start-up allowance until the run's first frame, then none.
        WaitCase{"withoutEnd", 0, kNone, 0, -1, {H::kFrame}, 1, {"2, 10000"}, {}},
        WaitCase{"noFirstFrameWithinTheAllowance", 0, kNone, 0, -1, kNone, -13, {"2, 10000"}, {}},
        WaitCase{"withoutEndOnceAFrameCame", 1, kNone, 1, -1, {H::kFrame}, 2, {"2, INFINITE"}, {}},
        WaitCase{"longest", 0, kNone, 0, INT_MAX, {H::kFrame}, 1, {"2, 2147483647"}, {}},
        WaitCase{"afterNegative", 3, kNone, -1, 100, kNone, -5, kNoWait, {}},
        WaitCase{"timeoutBelowMinusOne", 0, kNone, 0, -2, kNone, -6, kNoWait, {}},
        WaitCase{"timeoutMostNegative", 0, kNone, 0, INT_MIN, kNone, -6, kNoWait, {}}),
    [](const auto& info) { return std::string(info.param.name); });

class Waits : public StreamWorld {};

TEST_F(Waits, ALossAlreadyTakenByTheHostEndsTheWaitAtOnce) {
    openAndRun();
    graph->post(EC_DEVICE_LOST, 0, 0);
    int param1 = 0;
    int param2 = 7;
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_DEVICE_LOST);
    EXPECT_EQ(param2, 0);
    journal().clear();
    EXPECT_EQ(vcx_WaitFrame(0, 1000), -4);
    EXPECT_EQ(vcx_GetNextFrame(0, 1000, std::vector<unsigned char>(48).data(),
                               std::vector<int>{48}.data(), std::vector<unsigned char>(44).data()),
              -4);
    EXPECT_TRUE(waitsMade().empty());
    // Until the slot closes: a new open hears of no loss.
    ASSERT_EQ(vcx_Close(), 0);
    openAndRun();
    duringNextWait([this] { deliver(); });
    EXPECT_EQ(vcx_WaitFrame(0, 1000), 1);
}

TEST_F(Waits, SignalOnlyWhileSomebodyWaits) {
    openAndRun();
    duringNextWait([this] { deliver(); });
    EXPECT_EQ(vcx_WaitFrame(0, 100), 1);
    EXPECT_EQ(journal().matching("sync.SetEvent").size(), 1u);
    journal().clear();
    deliver(2);
    EXPECT_TRUE(journal().matching("sync.SetEvent").empty()) << "a signal nobody waits for";
}

struct GraphEventsCase {
    const char* name;
    std::function<void(StreamWorld&)> arrange;
    std::vector<std::string> waits;
};

class WaitWithoutGraphEvents : public StreamWorld,
                               public ::testing::WithParamInterface<GraphEventsCase> {};

// Without the graph's events (or with a graph that cannot hand them out),
// frames still end the wait.
TEST_P(WaitWithoutGraphEvents, WaitsOnTheFramesAlone) {
    openAndRun();
    GetParam().arrange(*this);
    duringNextWait([this] { deliver(); });
    journal().clear();
    EXPECT_EQ(vcx_WaitFrame(0, 100), 1);
    EXPECT_THAT(waitsMade(), ElementsAreArray(GetParam().waits));
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(Rows, WaitWithoutGraphEvents,
                         ::testing::Values(GraphEventsCase{"eventsFailToCome",
                                                           [](StreamWorld& w) {
                                                               w.graph->post(EC_COMPLETE);
                                                               w.graph->setResult("GetEvent",
                                                                                  E_FAIL);
                                                           },
                                                           {"2, 100", "1, 100"}},
                                           GraphEventsCase{"pendingFull",
                                                           [](StreamWorld& w) {
                                                               for (int i = 0; i <= 32; ++i) {
                                                                   w.graph->post(EC_USER + i);
                                                               }
                                                           },
                                                           {"2, 100", "1, 100"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Waits, EventsKeptBeyondTheirRoomStayWithTheGraphInOrder) {
    openAndRun();
    for (int i = 0; i <= 32; ++i) {
        graph->post(EC_USER + i);
    }
    duringNextWait([this] { deliver(); });
    EXPECT_EQ(vcx_WaitFrame(0, 100), 1);
    EXPECT_EQ(graph->queued.size(), 1u);
    std::vector<int> expected;
    for (int i = 0; i <= 32; ++i) {
        expected.push_back(EC_USER + i);
    }
    EXPECT_EQ(eventsLeft(), expected);
}

// --- vcx_GetNextFrame -----------------------------------------------------------

struct NextCase {
    const char* name;
    int delivered;
    int after;
    int timeoutMs;
    std::vector<Happening> during;
    int expected;
    std::vector<std::string> waits;
};

class NextFrame : public StreamWorld, public ::testing::WithParamInterface<NextCase> {
  public:
    std::vector<unsigned char> bits = std::vector<unsigned char>(64, 0xEE);
    int bitsSize = 64;
    std::vector<unsigned char> header = std::vector<unsigned char>(44, 0xEE);
};

TEST_P(NextFrame, HandsOverTheFrameThatCameAndItsNumber) {
    const NextCase& c = GetParam();
    openAndRun();
    deliver(c.delivered);
    for (const Happening what : c.during) {
        duringNextWait([this, what] { happen(*this, what); });
    }
    journal().clear();
    EXPECT_EQ(vcx_GetNextFrame(c.after, c.timeoutMs, bits.data(), &bitsSize, header.data()),
              c.expected);
    EXPECT_THAT(waitsMade(), ElementsAreArray(c.waits));
    if (c.expected > 0) {
        std::vector<unsigned char> due = sample->bytes;
        due.resize(64, 0xEE);
        EXPECT_EQ(bits, due);
        EXPECT_EQ(bitsSize, 48);
        EXPECT_EQ(header, FrameWorld::frameHeader(FrameWorld::bitmapHeader()));
    } else {
        EXPECT_EQ(bits, std::vector<unsigned char>(64, 0xEE));
        EXPECT_EQ(bitsSize, 64);
        EXPECT_EQ(header, std::vector<unsigned char>(44, 0xEE));
    }
    EXPECT_EQ(sample->refs(), 1u) << "the handed-over sample kept";
    // No request is left behind: a frame after the call is held by nobody.
    deliver();
    EXPECT_EQ(sample->refs(), 1u);
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NextFrame,
    ::testing::Values(
        NextCase{"theNextOne", 2, 2, 100, {H::kFrame}, 3, {"2, 100"}},
        // Frames counted before the call are gone: the next one comes.
        NextCase{"notAnOlderOne", 2, 1, 100, {H::kFrame}, 3, {"2, 100"}},
        // Frames not above after neither answer the request nor wake the host.
        NextCase{"aboveAfter", 0, 2, 100, {H::kFrames3}, 3, {"2, 100"}},
        NextCase{"timeout", 0, 0, 100, {}, -3, {"2, 100"}},
        NextCase{"poll", 5, 0, 0, {}, -3, {"2, 0"}},
        NextCase{"deviceLost", 0, 0, 100, {H::kLost}, -4, {"2, 100"}},
        NextCase{"withoutEnd", 0, 0, -1, {H::kClock, H::kFrame}, 1, {"2, 10000", "2, 10000"}},
        NextCase{"endOfStream", 0, 0, 100, {H::kAbort}, -12, {"2, 100"}},
        NextCase{"afterNegative", 0, -3, 100, {}, -5, {}},
        NextCase{"timeoutBelowMinusOne", 0, 0, -5, {}, -6, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::function<void(StreamWorld&)> arrange;
    bool nullBits, nullSize, nullHeader;
    int capacity;
    int expected;
    bool waits;
};

class NextFrameRefused : public StreamWorld, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(NextFrameRefused, WritesNothingAndKeepsNoSample) {
    const RefusedCase& c = GetParam();
    openAndRun();
    c.arrange(*this);
    duringNextWait([this] { deliver(); });
    std::vector<unsigned char> bits(64, 0xEE);
    int size = c.capacity;
    std::vector<unsigned char> header(44, 0xEE);
    journal().clear();
    EXPECT_EQ(vcx_GetNextFrame(0, 100, c.nullBits ? nullptr : bits.data(),
                               c.nullSize ? nullptr : &size,
                               c.nullHeader ? nullptr : header.data()),
              c.expected);
    EXPECT_EQ(!waitsMade().empty(), c.waits);
    EXPECT_EQ(bits, std::vector<unsigned char>(64, 0xEE));
    EXPECT_EQ(size, c.capacity);
    EXPECT_EQ(header, std::vector<unsigned char>(44, 0xEE));
    EXPECT_EQ(sample->refs(), 1u);
    sync().duringWaits.clear();
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
    EXPECT_EQ(platform.taskMemFrees, grabber->formatBlocks) << "a format block not freed";
}

const auto kAsIs = [](StreamWorld&) {};

INSTANTIATE_TEST_SUITE_P(
    Rows, NextFrameRefused,
    ::testing::Values(
        RefusedCase{"nullBits", kAsIs, true, false, false, 48, -8, false},
        RefusedCase{"nullSize", kAsIs, false, true, false, 48, -8, false},
        RefusedCase{"nullHeader", kAsIs, false, false, true, 48, -8, false},
        RefusedCase{"formatBlockShort",
                    [](StreamWorld& w) { w.grabber->connectedFormat.resize(40); }, false, false,
                    false, 48, -9, false},
        RefusedCase{"tooSmallForTheFormat", kAsIs, false, false, false, 47, -10, false},
        RefusedCase{"negativeCapacity", kAsIs, false, false, false, -1, -10, false},
        RefusedCase{"frameLargerThanItsFormat", [](StreamWorld& w) { w.sample->actualLength = 49; },
                    false, false, false, 48, -10, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The callback takes the request in the instant between the wait's last look
// and its withdrawal of the request: the frame it hands over is the answer.
TEST_F(Waits, AFrameHandedOverAsTheWaitEndsIsTheAnswer) {
    openAndRun();
    duringNextWait([this] { sync().atNextTickRead = [this] { deliver(1, 0); }; });
    std::vector<unsigned char> bits(48, 0xEE);
    int size = 48;
    std::vector<unsigned char> header(44, 0xEE);
    EXPECT_EQ(vcx_GetNextFrame(0, 100, bits.data(), &size, header.data()), 1);
    EXPECT_EQ(bits, sample->bytes);
    EXPECT_EQ(sample->refs(), 1u);
}

TEST_F(Waits, AFrameHandedOverAsTheWaitEndsButNotAboveAfterIsGivenBack) {
    openAndRun();
    duringNextWait([this] { sync().atNextTickRead = [this] { deliver(1, 0); }; });
    std::vector<unsigned char> bits(48, 0xEE);
    int size = 48;
    std::vector<unsigned char> header(44, 0xEE);
    EXPECT_EQ(vcx_GetNextFrame(4, 100, bits.data(), &size, header.data()), -3);
    EXPECT_EQ(bits, std::vector<unsigned char>(48, 0xEE));
    EXPECT_EQ(sample->refs(), 1u);
}

TEST_F(Waits, ANumberedCopyDoesNotNeedTheGrabbersBuffering) {
    openAndRun();
    ASSERT_EQ(vcx_SetCapConfig(0), 0);
    duringNextWait([this] { deliver(); });
    std::vector<unsigned char> bits(48, 0xEE);
    int size = 48;
    std::vector<unsigned char> header(44, 0xEE);
    EXPECT_EQ(vcx_GetNextFrame(0, 100, bits.data(), &size, header.data()), 1);
    EXPECT_EQ(bits, sample->bytes);
    EXPECT_TRUE(journal().matching("GetCurrentBuffer").empty());
}

// --- The host's messages and what its handlers may call ------------------------

TEST_F(Waits, DispatchesTheHostsMessagesAndGivesBackItsQuit) {
    openAndRun();
    std::vector<UINT> handled;
    sync().onDispatch = [&](const MSG& message) { handled.push_back(message.message); };
    duringNextWait([this] {
        sync().post(WM_TIMER);
        sync().post(WM_QUIT, 3);
        sync().post(WM_USER); // behind the quit: the host's own loop gets it
    });
    duringNextWait([this] { deliver(); });
    journal().clear();
    EXPECT_EQ(vcx_WaitFrame(0, 100), 1);
    EXPECT_THAT(handled, ElementsAre(WM_TIMER));
    // Once the quit is taken, messages no longer wake the wait; it goes back at the end.
    EXPECT_THAT(waitsMade(), ElementsAre("2, 100", "2, 100, handles only"));
    EXPECT_TRUE(journal().contains("sync.PostQuitMessage(3)"));
    EXPECT_EQ(sync().messages.size(), 1u);
}

struct HandlerCase {
    const char* name;
    std::function<int()> call; // what the message handler calls
    int expectedInside;
    int expectedWait; // what the wait answers afterwards
};

class WaitHandler : public StreamWorld, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(WaitHandler, AnExportCalledFromAHandlerLeavesTheSlotSound) {
    openAndRun();
    int inside = 0;
    sync().onDispatch = [&](const MSG&) { inside = GetParam().call(); };
    duringNextWait([this] { sync().post(WM_USER); });
    duringNextWait([this] { deliver(); });
    EXPECT_EQ(vcx_WaitFrame(0, 100), GetParam().expectedWait);
    EXPECT_EQ(inside, GetParam().expectedInside);
    sync().duringWaits.clear();
    vcx_Close();
    expectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WaitHandler,
    ::testing::Values(HandlerCase{"count", [] { return vcx_GetFrameCount(); }, 0, 1},
                      HandlerCase{"waitWithinAWait", [] { return vcx_WaitFrame(0, 100); }, -14, 1},
                      HandlerCase{"nextWithinAWait",
                                  [] {
                                      std::vector<unsigned char> bits(48), header(44);
                                      int size = 48;
                                      return vcx_GetNextFrame(0, 100, bits.data(), &size,
                                                              header.data());
                                  },
                                  -14, 1},
                      HandlerCase{"exit", [] { return vcx_Exit(); }, -2, 1},
                      HandlerCase{"stop", [] { return vcx_Stop(); }, 0, -1},
                      HandlerCase{"close", [] { return vcx_Close(); }, 0, -1},
                      HandlerCase{"closeAndOpenAgain",
                                  [] { return vcx_Close() + vcx_Open(0, 5, 0, 0, 0); }, 0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// --- When no frame will come ---------------------------------------------------------

TEST_F(Waits, TheStartUpAllowanceIsTheHostsToChoose) {
    ASSERT_EQ(vcx_SetStartupAllowance(-1), -1);
    ASSERT_EQ(vcx_SetStartupAllowance(500), 0);
    openAndRun();
    EXPECT_EQ(vcx_WaitFrame(0, -1), -13);
    ASSERT_EQ(vcx_SetStartupAllowance(0), 0);
    duringNextWait([this] { deliver(); });
    journal().clear();
    EXPECT_EQ(vcx_WaitFrame(0, -1), 1);
    EXPECT_THAT(waitsMade(), ElementsAre("2, INFINITE"));
}

TEST_F(Waits, AnEndOfTheStreamHoldsUntilTheNextRun) {
    openAndRun();
    graph->post(EC_ERRORABORT, E_FAIL, 0);
    EXPECT_EQ(vcx_WaitFrame(0, 100), -12);
    EXPECT_EQ(vcx_WaitFrame(0, 100), -12) << "the event taken still holds";
    ASSERT_EQ(vcx_Stop(), 0);
    ASSERT_EQ(vcx_Play2(), 0);
    duringNextWait([this] { deliver(); });
    EXPECT_EQ(vcx_WaitFrame(0, 100), 1);
    EXPECT_EQ(eventsLeft(), std::vector<int>{EC_ERRORABORT});
}

// Events a wait keeps and the host takes in turn, the store refilled after a take.
TEST_F(Waits, EventsKeptAfterOthersWereTakenComeInOrder) {
    openAndRun();
    graph->post(EC_USER + 1);
    duringNextWait([this] { deliver(); });
    ASSERT_EQ(vcx_WaitFrame(0, 100), 1);
    int param1 = 0;
    int param2 = 0;
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_USER + 1);
    graph->post(EC_USER + 2);
    graph->post(EC_USER + 3);
    duringNextWait([this] { deliver(); });
    ASSERT_EQ(vcx_WaitFrame(1, 100), 2);
    EXPECT_EQ(eventsLeft(), (std::vector<int>{EC_USER + 2, EC_USER + 3}));
}

// --- Frame numbers past 2^31 ---------------------------------------------------------

TEST_F(Waits, NumbersStartAgainAtOneAfterTheLargestAndStayAboveIt) {
    openAndRun();
    vcx::activeSlot().frameCounter->skipTo(INT32_MAX - 1);
    deliver();
    EXPECT_EQ(vcx_GetFrameCount(), INT32_MAX);
    EXPECT_EQ(vcx_WaitFrame(INT32_MAX, 0), -3) << "the newest is not above itself";
    deliver();
    EXPECT_EQ(vcx_GetFrameCount(), 1);
    EXPECT_EQ(vcx_WaitFrame(INT32_MAX, 0), 1);
    EXPECT_EQ(vcx_WaitFrame(INT32_MAX - 1, 0), 1);
    EXPECT_EQ(vcx_WaitFrame(1, 0), -3);
    duringNextWait([this] { deliver(); });
    std::vector<unsigned char> bits(48), header(44);
    int size = 48;
    EXPECT_EQ(vcx_GetNextFrame(1, 100, bits.data(), &size, header.data()), 2);
}

// --- The frame queue --------------------------------------------------------------------

class QueuedFrames : public StreamWorld {
  public:
    // A frame whose first byte is its number.
    void deliverNumbered(int frames) {
        for (int i = 0; i < frames; ++i) {
            sample->bytes[0] = static_cast<unsigned char>(++numbered_);
            deliver();
        }
    }
    // The frame vcx_GetNextFrame hands out: its number, and its first byte.
    std::pair<int, int> next(int after, int timeoutMs = 0) {
        std::vector<unsigned char> bits(48, 0), header(44);
        int size = 48;
        const int number = vcx_GetNextFrame(after, timeoutMs, bits.data(), &size, header.data());
        return {number, bits[0]};
    }
    FakeHeap heap{platform};

  private:
    int numbered_ = 0;
};

TEST_F(QueuedFrames, ALateHostGetsTheFrameAfterTheOneItSaw) {
    ASSERT_EQ(vcx_SetFrameQueue(3), 0);
    EXPECT_EQ(vcx_GetFrameQueue(), 3);
    openAndRun();
    EXPECT_EQ(vcx_GetFrameQueue(), 3);
    deliverNumbered(3);
    EXPECT_EQ(next(0), std::make_pair(1, 1));
    EXPECT_EQ(next(1), std::make_pair(2, 2));
    deliverNumbered(3); // frames 4..6 over 1..3: 3 is gone
    EXPECT_EQ(next(2), std::make_pair(4, 4)) << "the numbers show the gap";
    EXPECT_EQ(next(6).first, -3) << "nothing queued above the newest";
    duringNextWait([this] { deliverNumbered(1); });
    EXPECT_EQ(next(6, 100), std::make_pair(7, 7));
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_TRUE(heap.live.empty()) << "the queue outlived its slot";
}

struct QueueSetCase {
    const char* name;
    int depth;
    std::function<void(QueuedFrames&)> arrange;
    int expected;
    int inForce; // vcx_GetFrameQueue afterwards
};

class QueueSet : public QueuedFrames, public ::testing::WithParamInterface<QueueSetCase> {};

TEST_P(QueueSet, AnswersAndHoldsNothingItCouldNotMake) {
    const QueueSetCase& c = GetParam();
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    c.arrange(*this);
    EXPECT_EQ(vcx_SetFrameQueue(c.depth), c.expected);
    EXPECT_EQ(vcx_GetFrameQueue(), c.inForce);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_TRUE(heap.live.empty());
    expectAllReleased();
}

const auto kOpenAsIs = [](QueuedFrames&) {};

INSTANTIATE_TEST_SUITE_P(
    Rows, QueueSet,
    ::testing::Values(
        QueueSetCase{"made", 2, kOpenAsIs, 0, 2}, QueueSetCase{"none", 0, kOpenAsIs, 0, 0},
        QueueSetCase{"negative", -1, kOpenAsIs, -1, 0},
        QueueSetCase{"tooDeep", 1025, kOpenAsIs, -1, 0},
        QueueSetCase{"running", 2, [](QueuedFrames&) { ASSERT_EQ(vcx_Play2(), 0); }, -2, 0},
        QueueSetCase{"noMemory", 2, [](QueuedFrames& w) { w.heap.setResult("HeapAlloc", E_FAIL); },
                     -3, 0},
        QueueSetCase{"noFormat", 2,
                     [](QueuedFrames& w) { w.grabber->setResult("GetConnectedMediaType", E_FAIL); },
                     -4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
