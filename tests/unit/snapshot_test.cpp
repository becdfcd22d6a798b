// vcx_SaveBMP on a faked Sample Grabber and in-memory files: the exact file,
// the calls that make it, and no truncated bitmap left by a failed write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "vcxcap.h"

#include "fakes/frame_world.h"

using namespace fakes;
using ::testing::ElementsAre;

namespace {

void putLittleEndian(std::vector<unsigned char>& out, unsigned long value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

struct SaveCase {
    const char* name;
    LONG reported; // -1: the whole frame
    std::size_t n;
};

class Snapshot : public FrameWorld, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(Snapshot, WritesHeadersAndTheCopiedBytesExactly) {
    const SaveCase& c = GetParam();
    grabber->reportedSize = c.reported;
    useSlot(vcx::kSlotRunning);
    ASSERT_EQ(saveBmp(), 0);

    std::vector<unsigned char> expected = {'B', 'M'};
    putLittleEndian(expected, 54 + c.n, 4);
    putLittleEndian(expected, 0, 4);
    putLittleEndian(expected, 54, 4);
    const BITMAPINFOHEADER info = bitmapHeader();
    const auto* infoBytes = reinterpret_cast<const unsigned char*>(&info);
    expected.insert(expected.end(), infoBytes, infoBytes + sizeof info);
    expected.insert(expected.end(), frame.begin(), frame.begin() + static_cast<long>(c.n));
    EXPECT_EQ(files.files.at(kPath), expected);

    EXPECT_THAT(journal().matching("files."),
                ElementsAre("files.CreateFileA(C:\\frames\\snap.bmp, 0x40000000, 0, null, 2, "
                            "0x80, null)",
                            "files.WriteFile(14)", "files.WriteFile(40)",
                            "files.WriteFile(" + std::to_string(c.n) + ")", "files.CloseHandle"));
    ASSERT_EQ(heap.handedOut.size(), 1u);
    EXPECT_EQ(heap.handedOut[0].second, kSampleSize);
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(Rows, Snapshot,
                         ::testing::Values(SaveCase{"wholeFrame", -1, 36},
                                           SaveCase{"fewerBytesThanTheSampleSize", 24, 24}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Snapshot, FileThatCannotBeCreatedGivesMinusEight) {
    useSlot(vcx::kSlotOpen);
    files.setResult("CreateFileA", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(saveBmp(), -8);
    EXPECT_EQ(files.files.at(kPath), before);
    EXPECT_TRUE(journal().matching("files.WriteFile").empty());
    expectNothingHeld();
}

// A failed or short write closes the file, deletes it and reports -10.
struct WriteFailure {
    const char* name;
    const char* write;
    HRESULT answer; // S_FALSE: a short write
    std::size_t writes;
};

class FailedWrite : public FrameWorld, public ::testing::WithParamInterface<WriteFailure> {};

TEST_P(FailedWrite, LeavesNoTruncatedBitmap) {
    const WriteFailure& c = GetParam();
    useSlot(vcx::kSlotRunning);
    files.setResult(c.write, c.answer);
    EXPECT_EQ(saveBmp(), -10);
    EXPECT_EQ(files.files.count(kPath), 0u) << "the partial file is still there";
    EXPECT_EQ(journal().matching("files.WriteFile").size(), c.writes) << "wrote on after a failure";
    const std::vector<std::string> calls = journal().matching("files.");
    const std::vector<std::string> tail(calls.end() - 2, calls.end());
    EXPECT_THAT(tail, ElementsAre("files.CloseHandle", "files.DeleteFileA(C:\\frames\\snap.bmp)"));
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedWrite,
                         ::testing::Values(WriteFailure{"fileHeader", "WriteFile(14)", E_FAIL, 1},
                                           WriteFailure{"bitmapHeader", "WriteFile(40)",
                                                        HRESULT_FROM_WIN32(ERROR_DISK_FULL), 2},
                                           WriteFailure{"bits", "WriteFile(36)", E_FAIL, 3},
                                           WriteFailure{"shortFileHeader", "WriteFile(14)", S_FALSE,
                                                        1},
                                           WriteFailure{"shortBits", "WriteFile(36)", S_FALSE, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
