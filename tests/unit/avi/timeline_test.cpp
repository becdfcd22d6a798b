// Where frames go in time: drop chunks for gaps, the interval estimated
// from the samples, jumps, and the starts of two streams.
#include "avi/timeline.h"

#include "avi/video_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vcx::avi::VideoTimeline;

constexpr REFERENCE_TIME k30 = 333'333;
constexpr REFERENCE_TIME kHour = 3600 * 10'000'000LL;

struct PlaceCase {
    const char* name;
    REFERENCE_TIME formatInterval;
    std::vector<REFERENCE_TIME> times;
    std::string places;                // F a frame, D a drop chunk, in file order
    std::vector<REFERENCE_TIME> jumps; // the steps reported, in order
    REFERENCE_TIME headerInterval;
    bool arrivals = false; // the times are arrivals, not stamps
};

// n frames spaced by step from start.
std::vector<REFERENCE_TIME> steady(int n, REFERENCE_TIME step, REFERENCE_TIME start = 0) {
    std::vector<REFERENCE_TIME> times;
    for (int i = 0; i < n; ++i) {
        times.push_back(start + i * step);
    }
    return times;
}

std::vector<REFERENCE_TIME> operator+(std::vector<REFERENCE_TIME> a,
                                      const std::vector<REFERENCE_TIME>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class TimelineTest : public testing::TestWithParam<PlaceCase> {};

INSTANTIATE_TEST_SUITE_P(
    Times, TimelineTest,
    testing::Values(
        PlaceCase{"Steady", k30, steady(4, k30), "FFFF", {}, k30},
        PlaceCase{
            "GapsBecomeDrops", k30, {0, k30, 3 * k30 + 1000, 7 * k30 - 1000}, "FFDFDDDF", {}, k30},
        PlaceCase{"JitterUnderHalfAnInterval",
                  k30,
                  {0, k30 + 150'000, 2 * k30 - 150'000},
                  "FFF",
                  {},
                  k30},
        PlaceCase{"EarlyFrameGoesNext", k30, {0, 100'000, 2 * k30}, "FFF", {}, k30},
        // A frame held up by three quarters of an interval: stamped, it is
        // due at the next place; arriving, it is only late.
        PlaceCase{
            "LateStampIsItsPlace", k30, {0, k30, 2 * k30 + 250'000, 3 * k30}, "FFDFF", {}, k30},
        PlaceCase{
            "LateArrivalIsNoGap", k30, {0, k30, 2 * k30 + 250'000, 3 * k30}, "FFFF", {}, k30, true},
        PlaceCase{"ArrivalsAfterALostFrame",
                  k30,
                  {0, k30, 3 * k30 + 50'000, 4 * k30 + 300'000, 5 * k30},
                  "FFDFFF",
                  {},
                  k30,
                  true},
        PlaceCase{
            "ArrivalsAtAThirdOfTheRate", k30, steady(3, 3 * k30, 10'000), "FDDFDDF", {}, k30, true},
        PlaceCase{"ThirdOfTheRate", k30, steady(4, 3 * k30), "FDDFDDFDDF", {}, k30},
        PlaceCase{"JumpForwardHours",
                  k30,
                  {0, k30, 2 * kHour, 2 * kHour + k30},
                  "FFFF",
                  {2 * kHour - k30},
                  k30},
        PlaceCase{"JumpBack",
                  k30,
                  {0, k30, 2 * k30, 100'000, 100'000 + 2 * k30},
                  "FFFFDF",
                  {100'000 - 2 * k30},
                  k30},
        PlaceCase{"LongGapIsKept",
                  400'000,
                  {0, 59 * 10'000'000LL},
                  "F" + std::string(1474, 'D') + "F",
                  {},
                  400'000},
        // No format interval: the first eight spacings (200 ms, one of them
        // a gap) are written one after another; their median places the rest.
        PlaceCase{"RateFromSamples",
                  0,
                  steady(5, 2'000'000) + steady(5, 2'000'000, 12'000'000) +
                      steady(2, 2'000'000, 24'000'000),
                  "FFFFFFFFFFDFF",
                  {},
                  (26'000'000 + 6) / 12},
        PlaceCase{"RateFromFewSamples", 0, steady(3, 500'000), "FFF", {}, 500'000},
        PlaceCase{"OneSampleOnly", 0, {42}, "F", {}, vcx::avi::kDefaultFrameInterval},
        PlaceCase{
            "InstantSamples", 0, steady(12, 0), "FFFFFFFFFFFF", {}, vcx::avi::kMinFrameInterval}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(TimelineTest, PlacesFramesWhereTheirTimesSay) {
    const PlaceCase& c = GetParam();
    VideoTimeline timeline(c.formatInterval);
    std::string places;
    std::vector<REFERENCE_TIME> jumps;
    for (const REFERENCE_TIME time : c.times) {
        const VideoTimeline::Placement placement = timeline.place(time, c.arrivals);
        places += std::string(placement.drops, 'D') + "F";
        if (placement.jump) {
            jumps.push_back(*placement.jump);
        }
    }
    EXPECT_EQ(places, c.places);
    EXPECT_EQ(jumps, c.jumps);
    EXPECT_EQ(timeline.headerInterval(), c.headerInterval);
    EXPECT_EQ(timeline.firstTime(), c.times.front());
}

struct StartCase {
    const char* name;
    REFERENCE_TIME videoFirst;
    REFERENCE_TIME interval;
    REFERENCE_TIME audioFirst;
    DWORD lead;     // the drop chunks the video needs ahead of its first frame
    DWORD leadKept; // those the file holds
    DWORD videoFrames;
    DWORD audioBlocks; // of 2 bytes at 16000 bytes per second: 8000 a second
};

class StreamStartsTest : public testing::TestWithParam<StartCase> {};

INSTANTIATE_TEST_SUITE_P(
    Starts, StreamStartsTest,
    testing::Values(StartCase{"Together", 5'000'000, k30, 5'000'000, 0, 0, 0, 0},
                    StartCase{"AudioLater", 5'000'000, k30, 7'500'000, 0, 0, 0, 2000},
                    // 3.6 intervals: 4 frames back from the video, then 0.4 intervals of audio.
                    StartCase{"AudioEarlier", 1'200'000, k30, 0, 4, 4, 0, 107},
                    StartCase{"AudioEarlierLeadShort", 1'200'000, k30, 0, 4, 1, 3, 107},
                    StartCase{"AudioEarlierLeadLong", 1'200'000, k30, 0, 4, 5, 0, 373},
                    StartCase{"AudioEarlierByWholeFrames", 1'000'000, 500'000, 0, 2, 2, 0, 0},
                    StartCase{"NegativeTimes", -1'000'000, 500'000, -2'250'000, 3, 3, 0, 200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(StreamStartsTest, PutsBothStreamsWhereTheirTimesSay) {
    const StartCase& c = GetParam();
    EXPECT_EQ(vcx::avi::videoLead(c.videoFirst, c.interval, c.audioFirst), c.lead);
    const vcx::avi::StreamStarts starts =
        vcx::avi::streamStarts(c.videoFirst, c.interval, c.audioFirst, 2, 16000, c.leadKept);
    EXPECT_EQ(starts.videoFrames, c.videoFrames);
    EXPECT_EQ(starts.audioBlocks, c.audioBlocks);
}

TEST(JumpWatchTest, ReportsStepsBackAndBeyondTheLimitOnly) {
    vcx::avi::JumpWatch watch;
    const REFERENCE_TIME limit = vcx::avi::kMaxTimeStep;
    EXPECT_EQ(watch.next(10), std::nullopt);
    EXPECT_EQ(watch.next(10), std::nullopt);
    EXPECT_EQ(watch.next(10 + limit), std::nullopt);
    EXPECT_EQ(watch.next(11 + 2 * limit), std::optional<REFERENCE_TIME>(limit + 1));
    EXPECT_EQ(watch.next(10), std::optional<REFERENCE_TIME>(-1 - 2 * limit));
    EXPECT_EQ(watch.firstTime(), 10);
}

} // namespace
