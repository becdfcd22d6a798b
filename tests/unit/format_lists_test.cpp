// vcx_GetDevCapConfig and vcx_GetDevCapConfigSize: the three lists of the
// device's formats, and sizes that match what the lists write.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "config_world.h"

using namespace fakes;

namespace {

class FormatLists : public ConfigWorld {
  protected:
    // The three lists written after the given texts.
    struct Lists {
        std::string rates, widths, heights;
    };
    Lists listAfter(const char* before = "") {
        char buffers[3][128];
        for (auto& buffer : buffers) {
            std::memset(buffer, 'x', sizeof buffer);
            std::memcpy(buffer, before, std::strlen(before) + 1);
        }
        EXPECT_EQ(vcx_GetDevCapConfig(buffers[0], buffers[1], buffers[2]), 0);
        return {buffers[0], buffers[1], buffers[2]};
    }
};

TEST_F(FormatLists, TwoFormatsAtThirtyFramesGiveFifteenElevenEleven) {
    config->capabilities = {videoCapability(640, 480, 333333), videoCapability(320, 240, 333333)};
    open();
    EXPECT_EQ(vcx_GetDevCapConfigSize(0), 15);
    EXPECT_EQ(vcx_GetDevCapConfigSize(1), 11);
    EXPECT_EQ(vcx_GetDevCapConfigSize(2), 11);
    EXPECT_EQ(vcx_GetBufferSize(7), 15);
    EXPECT_EQ(vcx_GetBufferSize(8), 11);
    EXPECT_EQ(vcx_GetBufferSize(9), 11);
    const Lists lists = listAfter();
    EXPECT_EQ(lists.rates, "30.00\r\n30.00\r\n");
    EXPECT_EQ(lists.widths, "640\r\n320\r\n");
    EXPECT_EQ(lists.heights, "480\r\n240\r\n");
    expectEverythingGivenBack();
}

TEST_F(FormatLists, FollowTheTextAlreadyThereAndSkipOtherBlocks) {
    FakeCapability videoInfo2 = videoCapability(800, 600, 333333);
    videoInfo2.formatType = FORMAT_VideoInfo2;
    FakeCapability shortBlock = videoCapability(1, 1, 1);
    shortBlock.formatSize = 87;
    config->capabilities = {videoInfo2, videoCapability(640, -480, 666666), shortBlock,
                            videoCapability(1920, 1080, 333667)};
    open();
    const Lists lists = listAfter("A\r\n");
    EXPECT_EQ(lists.rates, "A\r\n15.00\r\n29.97\r\n");
    EXPECT_EQ(lists.widths, "A\r\n640\r\n1920\r\n");
    EXPECT_EQ(lists.heights, "A\r\n-480\r\n1080\r\n");
    EXPECT_EQ(vcx_GetDevCapConfigSize(2), 13);
    expectEverythingGivenBack();
}

// The size query counts exactly what the list writes, whatever the interval.
class ListSize : public FormatLists, public ::testing::WithParamInterface<REFERENCE_TIME> {};

TEST_P(ListSize, IsTheLengthTheRateListWrites) {
    config->capabilities = {videoCapability(640, 480, GetParam())};
    open();
    const Lists lists = listAfter();
    EXPECT_EQ(vcx_GetDevCapConfigSize(0), static_cast<int>(lists.rates.size() + 1)) << lists.rates;
    EXPECT_EQ(lists.rates.substr(lists.rates.size() - 2), "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Intervals, ListSize,
                         ::testing::Values(1, 0, -1, -333333, 2000000,
                                           std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int64_t>::max()));

TEST_F(FormatLists, NoQualifyingFormatOrOtherTypeWritesNothingAndSizesOne) {
    FakeCapability videoInfo2 = videoCapability(800, 600, 333333);
    videoInfo2.formatType = FORMAT_VideoInfo2;
    config->capabilities = {videoInfo2};
    open();
    EXPECT_EQ(listAfter("kept").heights, "kept");
    EXPECT_EQ(vcx_GetDevCapConfigSize(0), 1);
    config->capabilities = {videoCapability(640, 480, 333333)};
    EXPECT_EQ(vcx_GetDevCapConfigSize(3), 1);
    EXPECT_EQ(vcx_GetDevCapConfigSize(-1), 1);
    expectEverythingGivenBack();
}

TEST_F(FormatLists, ANullBufferIsRefusedBeforeAnythingIsWritten) {
    config->capabilities = {videoCapability(640, 480, 333333)};
    open();
    char first[16] = "a";
    char second[16] = "b";
    EXPECT_EQ(vcx_GetDevCapConfig(nullptr, first, second), -5);
    EXPECT_EQ(vcx_GetDevCapConfig(first, nullptr, second), -5);
    EXPECT_EQ(vcx_GetDevCapConfig(first, second, nullptr), -5);
    EXPECT_STREQ(first, "a");
    EXPECT_STREQ(second, "b");
    EXPECT_TRUE(journal().matching("GetNumberOfCapabilities").empty());
    expectEverythingGivenBack();
    vcx_Close();
    EXPECT_EQ(vcx_GetDevCapConfig(nullptr, first, second), -2) << "the slot's codes come first";
}

} // namespace
