// A capture slot ready for the frame exports: the CaptureWorld's Sample
// Grabber, connected with a 4 x 3 RGB24 format (rows of 12 bytes,
// lSampleSize 48) whose media type carries a pUnk, buffering a frame of 36
// known bytes; host buffers filled with 0xEE; an existing snapshot file; the
// heap, files and GDI faked.
#pragma once

#include <cstring>
#include <vector>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_files.h"
#include "fakes/fake_gdi.h"
#include "fakes/fake_heap.h"

namespace fakes {

class FrameWorld : public CaptureWorld {
  public:
    static constexpr ULONG kSampleSize = 48;
    static constexpr char kPath[] = "C:\\frames\\snap.bmp";

    FrameWorld() {
        grabber->connectedFormat = videoInfoBlock(bitmapHeader());
        grabber->sampleSize = kSampleSize;
        grabber->typeUnknown = typeUnknown.get();
        for (unsigned char i = 1; i <= 36; ++i) {
            frame.push_back(i);
        }
        grabber->currentFrame = frame;
        files.files[kPath] = before;
    }

    // Puts the grabber (or none) into the active slot in the given state.
    void useSlot(int32_t state, bool withGrabber = true) {
        vcx::activeSlot().state = state;
        if (withGrabber) {
            grabber->handOut(IID_ISampleGrabber,
                             reinterpret_cast<void**>(&vcx::activeSlot().grabber));
        }
    }
    static BITMAPINFOHEADER bitmapHeader(LONG height = 3, LONG width = 4) {
        return {
            sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 36, 0x1234, 0x5678, 0, 0x9A};
    }
    // A VIDEOINFOHEADER around header, every other byte 0xA5.
    static std::vector<unsigned char> videoInfoBlock(const BITMAPINFOHEADER& header) {
        std::vector<unsigned char> block(sizeof(VIDEOINFOHEADER), 0xA5);
        std::memcpy(block.data() + offsetof(VIDEOINFOHEADER, bmiHeader), &header, sizeof header);
        return block;
    }
    // The frame header due: header, then 4 zero bytes.
    static std::vector<unsigned char> frameHeader(const BITMAPINFOHEADER& header) {
        std::vector<unsigned char> expected(44, 0);
        std::memcpy(expected.data(), &header, sizeof header);
        return expected;
    }

    int getImageMem() { return vcx_GetImageMem(bits.data(), &bitsSize, header.data()); }
    int getImage(int height = 3) { return vcx_GetImage(-2, 5, 7, 4, height); }
    int saveBmp() { return vcx_SaveBMP(kPath); }

    // No heap block, format block, pUnk reference or open file left.
    void expectNothingHeld() const {
        EXPECT_TRUE(heap.live.empty()) << "working buffers left on the heap";
        EXPECT_EQ(platform.taskMemFrees, grabber->formatBlocks) << "format blocks not freed";
        EXPECT_EQ(typeUnknown->refs(), 1u) << "the media type's pUnk not released";
        EXPECT_TRUE(files.open.empty()) << "a file left open";
    }

    FakeHeap heap{platform};
    FakeFiles files{platform};
    FakeGdi gdi{platform};
    Held<FakeFilter> typeUnknown{"typeUnknown"};
    std::vector<unsigned char> frame;
    std::vector<unsigned char> bits = std::vector<unsigned char>(kSampleSize, 0xEE);
    int bitsSize = static_cast<int>(kSampleSize);
    std::vector<unsigned char> header = std::vector<unsigned char>(44, 0xEE);
    const std::vector<unsigned char> before = {'o', 'l', 'd'};
};

} // namespace fakes
