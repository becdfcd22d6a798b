// vcx_GetEvent on a faked graph: each event once, in order, with its
// parameters as 32-bit numbers and freed; what a failing graph or a bad
// argument answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "vcxcap.h"

#include "fakes/stream_world.h"

using namespace fakes;

namespace {

struct EventCase {
    const char* name;
    std::function<void(StreamWorld&)> arrange;
    bool nullFirst, nullSecond;
    int expected;
    int param1, param2; // written, or left at 0x5A5A5A5A
    int taken;          // events the graph handed out
    int freed;          // FreeEventParams calls
};

class GetEvent : public StreamWorld, public ::testing::WithParamInterface<EventCase> {};

TEST_P(GetEvent, TakesOneEventAndFreesItsParameters) {
    const EventCase& c = GetParam();
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    c.arrange(*this);
    int param1 = 0x5A5A5A5A;
    int param2 = 0x5A5A5A5A;
    EXPECT_EQ(vcx_GetEvent(c.nullFirst ? nullptr : &param1, c.nullSecond ? nullptr : &param2),
              c.expected);
    EXPECT_EQ(param1, c.param1);
    EXPECT_EQ(param2, c.param2);
    EXPECT_EQ(graph->eventsTaken, c.taken);
    EXPECT_EQ(static_cast<int>(graph->freed.size()), c.freed);
    ASSERT_EQ(vcx_Close(), 0);
    expectAllReleased();
}

constexpr int kUntouched = 0x5A5A5A5A;
const HRESULT kDiskFull = HRESULT_FROM_WIN32(ERROR_DISK_FULL);

INSTANTIATE_TEST_SUITE_P(
    Rows, GetEvent,
    ::testing::Values(
        EventCase{"none", [](StreamWorld&) {}, false, false, 0, kUntouched, kUntouched, 0, 0},
        EventCase{"writeFailed", [](StreamWorld& w) { w.graph->post(EC_ERRORABORT, kDiskFull, 0); },
                  false, false, EC_ERRORABORT, static_cast<int>(kDiskFull), 0, 1, 1},
        EventCase{"pointerParameterLow32Bits",
                  [](StreamWorld& w) {
                      w.graph->post(EC_DEVICE_LOST, static_cast<LONG_PTR>(0x12345678'9ABCDEF0LL),
                                    1);
                  },
                  false, false, EC_DEVICE_LOST, static_cast<int>(0x9ABCDEF0u), 1, 1, 1},
        EventCase{"nullFirst", [](StreamWorld& w) { w.graph->post(EC_COMPLETE); }, true, false, -2,
                  kUntouched, kUntouched, 0, 0},
        EventCase{"nullSecond", [](StreamWorld& w) { w.graph->post(EC_COMPLETE); }, false, true, -2,
                  kUntouched, kUntouched, 0, 0},
        // An answer that is no S_OK does not count, but what came with it is freed.
        EventCase{"graphAnswersOtherwise",
                  [](StreamWorld& w) {
                      w.graph->post(EC_COMPLETE);
                      w.graph->setResult("GetEvent", S_FALSE);
                  },
                  false, false, -4, kUntouched, kUntouched, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

class Events : public StreamWorld {};

TEST_F(Events, ComeOnceEachInTheGraphsOrder) {
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
    graph->post(EC_COMPLETE, S_OK, 0);
    graph->post(EC_STREAM_ERROR_STOPPED, E_FAIL, 2);
    graph->post(EC_DEVICE_LOST, 0, 0);
    int param1 = 0;
    int param2 = 0;
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_COMPLETE);
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_STREAM_ERROR_STOPPED);
    EXPECT_EQ(param1, static_cast<int>(E_FAIL));
    EXPECT_EQ(param2, 2);
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_DEVICE_LOST);
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), 0);
    ASSERT_EQ(graph->freed.size(), 3u);
    EXPECT_EQ(graph->freed[1].code, EC_STREAM_ERROR_STOPPED);
    EXPECT_EQ(graph->freed[1].param1, E_FAIL);
    EXPECT_EQ(graph->freed[1].param2, 2);
    // The graph's events interface is taken per call, never kept.
    EXPECT_EQ(graph->refs(), 4u);
}

TEST_F(Events, AStoppedSlotStillHandsThemOutAClosedOneDoesNot) {
    openAndRun();
    ASSERT_EQ(vcx_Stop(), 0);
    graph->post(EC_ERRORABORT, E_FAIL, 0);
    int param1 = 0;
    int param2 = 0;
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), EC_ERRORABORT);
    graph->post(EC_COMPLETE);
    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), -1);
    EXPECT_EQ(graph->eventsTaken, 1);
}

TEST_F(Events, ThoseAWaitKeptGoWithTheSlot) {
    openAndRun();
    graph->post(EC_CLOCK_CHANGED);
    duringNextWait([this] { deliver(); });
    ASSERT_EQ(vcx_WaitFrame(0, 100), 1);
    ASSERT_EQ(vcx_Close(), 0);
    openAndRun();
    int param1 = 0;
    int param2 = 0;
    EXPECT_EQ(vcx_GetEvent(&param1, &param2), 0) << "an event of the slot's previous graph";
}

} // namespace
