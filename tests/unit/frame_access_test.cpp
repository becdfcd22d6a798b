// The frame exports on a faked Sample Grabber: sizes, the copy into host
// memory, painting, and what each leaves behind on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "vcxcap.h"

#include "fakes/frame_world.h"

using namespace fakes;

namespace {

bool asked(const char* call) {
    return !journal().matching(std::string("grabber.") + call).empty();
}

struct SizeCase {
    const char* name;
    int32_t state;
    bool withGrabber;
    int headerFlag;
    HRESULT connected;
    std::size_t formatBytes; // of the VIDEOINFOHEADER block
    int expected;
};

class SizeQuery : public FrameWorld, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeQuery, AnswersFromTheConnectedFormatAndFreesIt) {
    const SizeCase& c = GetParam();
    useSlot(c.state, c.withGrabber);
    grabber->setResult("GetConnectedMediaType", c.connected);
    grabber->connectedFormat.resize(c.formatBytes);
    EXPECT_EQ(vcx_GetImageMemSize(c.headerFlag), c.expected);
    EXPECT_EQ(asked("GetConnectedMediaType"), c.state != 0 && c.headerFlag == 0 && c.withGrabber);
    EXPECT_FALSE(asked("GetCurrentBuffer"));
    expectNothingHeld();
}

constexpr int32_t kOpen = vcx::kSlotOpen;
constexpr int32_t kRunning = vcx::kSlotRunning;
constexpr std::size_t kVih = sizeof(VIDEOINFOHEADER);

INSTANTIATE_TEST_SUITE_P(
    Rows, SizeQuery,
    ::testing::Values(SizeCase{"closedBits", 0, true, 0, S_OK, kVih, -1},
                      SizeCase{"closedHeader", 0, true, 1, S_OK, kVih, -1},
                      SizeCase{"header", kOpen, true, 1, S_OK, kVih, 44},
                      SizeCase{"headerMinusOne", kRunning, true, -1, S_OK, kVih, 44},
                      SizeCase{"headerWithoutGrabber", kOpen, false, 5, S_OK, kVih, 44},
                      SizeCase{"bits", kOpen, true, 0, S_OK, kVih, 48},
                      SizeCase{"noGrabber", kOpen, false, 0, S_OK, kVih, -3},
                      SizeCase{"formatTooShort", kOpen, true, 0, S_OK, kVih - 1, -2}),
    [](const auto& info) { return std::string(info.param.name); });

// One grabber answer, seen by the three exports that copy a frame.
struct CopyCase {
    const char* name;
    HRESULT answer;
    int expected;
};

class CopyResult : public FrameWorld, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyResult, MapsTheSameForEveryExportAndTouchesNothingOnFailure) {
    const CopyCase& c = GetParam();
    useSlot(kRunning);
    grabber->setResult("GetCurrentBuffer", c.answer);
    EXPECT_EQ(getImageMem(), c.expected);
    if (c.expected != 0) {
        EXPECT_EQ(header, std::vector<unsigned char>(44, 0xEE)) << "header written on failure";
    } else {
        EXPECT_EQ(header, frameHeader(bitmapHeader()));
    }
    EXPECT_EQ(getImage(), c.expected);
    EXPECT_EQ(gdi.paints.size(), c.expected == 0 ? 1u : 0u);
    EXPECT_EQ(saveBmp(), c.expected);
    if (c.expected != 0) {
        EXPECT_EQ(files.files.at(kPath), before) << "the snapshot touched the file";
        EXPECT_TRUE(journal().matching("files.CreateFileA").empty());
    }
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(Rows, CopyResult,
                         ::testing::Values(CopyCase{"bufferingOff", E_INVALIDARG, -3},
                                           CopyCase{"bufferTooSmall", E_OUTOFMEMORY, -4},
                                           CopyCase{"nullSize", E_POINTER, -5},
                                           CopyCase{"notConnected", VFW_E_NOT_CONNECTED, -6},
                                           CopyCase{"noSampleYet", VFW_E_WRONG_STATE, -7}),
                         [](const auto& info) { return std::string(info.param.name); });

// Refusals before or after the copy, per export.
struct Refusal {
    const char* name;
    int (*run)(FrameWorld&);
    void (*arrange)(FrameWorld&);
    int expected;
    bool copies;
};

// The three exports, and the arrangements that make them refuse.
struct Run {
    static int mem(FrameWorld& world) { return world.getImageMem(); }
    static int memNoHeader(FrameWorld& w) {
        return vcx_GetImageMem(w.bits.data(), &w.bitsSize, nullptr);
    }
    static int image(FrameWorld& world) { return world.getImage(); }
    static int save(FrameWorld& world) { return world.saveBmp(); }
};
struct Arrange {
    static void closed(FrameWorld& world) { world.useSlot(0); }
    static void noGrabber(FrameWorld& world) { world.useSlot(kRunning, false); }
    static void running(FrameWorld& world) { world.useSlot(kRunning); }
    static void oversizedReport(FrameWorld& world) {
        world.useSlot(kRunning);
        world.grabber->reportedSize = FrameWorld::kSampleSize + 1;
    }
};

class Refused : public FrameWorld, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refused, LeavesHostMemoryFilesAndHeapAlone) {
    const Refusal& r = GetParam();
    r.arrange(*this);
    EXPECT_EQ(r.run(*this), r.expected);
    EXPECT_EQ(asked("GetCurrentBuffer"), r.copies);
    EXPECT_EQ(header, std::vector<unsigned char>(44, 0xEE));
    EXPECT_EQ(bits, std::vector<unsigned char>(kSampleSize, 0xEE));
    EXPECT_TRUE(gdi.paints.empty());
    EXPECT_EQ(files.files.at(kPath), before);
    EXPECT_TRUE(journal().matching("files.").empty());
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Refused,
    ::testing::Values(
        Refusal{"memClosed", Run::mem, Arrange::closed, -1, false},
        Refusal{"imageClosed", Run::image, Arrange::closed, -1, false},
        Refusal{"saveClosed", Run::save, Arrange::closed, -1, false},
        Refusal{"memNoGrabber", Run::mem, Arrange::noGrabber, -8, false},
        Refusal{"imageNoGrabber", Run::image, Arrange::noGrabber, -9, false},
        Refusal{"saveNoGrabber", Run::save, Arrange::noGrabber, -9, false},
        Refusal{"memNullHeader", Run::memNoHeader, Arrange::running, -9, false},
        Refusal{"imageOversizedReport", Run::image, Arrange::oversizedReport, -4, true},
        Refusal{"saveOversizedReport", Run::save, Arrange::oversizedReport, -4, true}),
    [](const auto& info) { return std::string(info.param.name); });

using FrameAccess = FrameWorld;

TEST_F(FrameAccess, GetImageMemCopiesStraightIntoHostMemory) {
    useSlot(kOpen);
    EXPECT_EQ(getImageMem(), 0);
    EXPECT_EQ(grabber->lastSize, reinterpret_cast<LONG*>(&bitsSize));
    EXPECT_EQ(grabber->lastBuffer, reinterpret_cast<LONG*>(bits.data()));
    EXPECT_EQ(bitsSize, 36);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), bits.begin()));
    EXPECT_EQ(header, frameHeader(bitmapHeader())) << "bytes 0..39 the bitmap header, 40..43 zero";
    EXPECT_TRUE(heap.handedOut.empty()) << "no buffer of its own";
    expectNothingHeld();

    // A null bits pointer asks the grabber for the size only.
    bitsSize = 0;
    EXPECT_EQ(vcx_GetImageMem(nullptr, &bitsSize, header.data()), 0);
    EXPECT_EQ(grabber->lastBuffer, nullptr);
    EXPECT_EQ(bitsSize, 36);
    expectNothingHeld();
}

// Twelve exact arguments; the scan lines never reach past the rows the
// grabber filled. Rows of 24-bit pixels are padded to 4 bytes: 5 pixels take
// 16 bytes, 7 take 24, 641 take 1924.
struct PaintCase {
    const char* name;
    LONG frameHeight;
    int height;
    LONG reported;
    UINT scanLines;
    int expected;
    LONG frameWidth = 4;
    ULONG sampleSize = FrameWorld::kSampleSize;
};

class Painting : public FrameWorld, public ::testing::WithParamInterface<PaintCase> {};

TEST_P(Painting, LimitsScanLinesToTheCopiedRows) {
    const PaintCase& c = GetParam();
    grabber->connectedFormat = videoInfoBlock(bitmapHeader(c.frameHeight, c.frameWidth));
    grabber->sampleSize = c.sampleSize;
    grabber->reportedSize = c.reported;
    useSlot(kRunning);
    EXPECT_EQ(getImage(c.height), c.expected);
    ASSERT_EQ(gdi.paints.size(), 1u);
    const DIBitsCall& paint = gdi.paints[0];
    EXPECT_EQ(paint.dc, reinterpret_cast<HDC>(static_cast<intptr_t>(-2))) << "sign-extended";
    EXPECT_EQ(std::tuple(paint.x, paint.y, paint.width, paint.height),
              std::tuple(5, 7, 4ul, static_cast<DWORD>(c.height)));
    EXPECT_EQ(std::tuple(paint.srcX, paint.srcY, paint.startScan, paint.scanLines),
              std::tuple(0, 0, 0u, c.scanLines));
    ASSERT_EQ(heap.handedOut.size(), 1u);
    EXPECT_EQ(paint.bits, heap.handedOut[0].first);
    EXPECT_EQ(heap.handedOut[0].second, c.sampleSize) << "lSampleSize bytes";
    EXPECT_EQ(paint.header, frameHeader(bitmapHeader(c.frameHeight, c.frameWidth)));
    EXPECT_EQ(paint.colorUse, static_cast<UINT>(DIB_RGB_COLORS));
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Painting,
    ::testing::Values(PaintCase{"whole", 3, 3, -1, 3, 0}, PaintCase{"tooHigh", 3, 10, -1, 3, 0},
                      PaintCase{"topDownTooHigh", -3, 10, -1, 3, 0},
                      PaintCase{"twoRowsCopied", 3, 3, 24, 2, 0},
                      PaintCase{"partialRow", 3, 3, 23, 1, 0}, PaintCase{"lower", 3, 2, -1, 2, 0},
                      PaintCase{"zero", 3, 0, -1, 0, -8}, PaintCase{"negative", 3, -1, -1, 0, -8},
                      // Three unpadded rows' worth of bytes hold two padded rows.
                      PaintCase{"width5", 3, 3, 45, 2, 0, 5, 48},
                      PaintCase{"width7", 3, 3, 63, 2, 0, 7, 72},
                      PaintCase{"width641", 3, 3, 5769, 2, 0, 641, 5772}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
