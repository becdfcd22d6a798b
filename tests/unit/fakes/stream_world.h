// A running capture slot for the frame-sequence, frame-wait and graph-event
// exports: one device, opened without output and run, its grabber connected
// with the 4 x 3 RGB24 format of FrameWorld (lSampleSize 48) and its frame
// counter attached; a media sample of 48 known bytes for the grabber to
// deliver; the device's capture pin reporting dropped frames. Time moves on
// the FakeSync clock.
#pragma once

#include <vector>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_media_sample.h"
#include "fakes/frame_world.h"

namespace fakes {

class StreamWorld : public CaptureWorld {
  public:
    // 100 ns units of one frame at 30 fps.
    static constexpr LONGLONG kInterval = 333'333;

    StreamWorld() {
        addDevice();
        grabber->connectedFormat = FrameWorld::videoInfoBlock(FrameWorld::bitmapHeader());
        grabber->sampleSize = FrameWorld::kSampleSize;
        for (unsigned char i = 0; i < FrameWorld::kSampleSize; ++i) {
            sample->bytes.push_back(static_cast<unsigned char>(0x40 + i));
        }
        builder->alsoFound = {droppedFrames.get()};
    }

    FakeSync& sync() { return platform.sync; }

    // Opens the active slot without output and runs it; clears the journal.
    void openAndRun() {
        ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
        ASSERT_EQ(vcx_Play2(), 0);
        journal().clear();
    }

    // frames samples reaching the grabber, one interval apart on the clock.
    void deliver(int frames = 1, LONGLONG interval = kInterval) {
        for (int i = 0; i < frames; ++i) {
            sync().now += interval;
            EXPECT_EQ(grabber->deliver(sample.get()), S_OK);
        }
    }

    // The next wait of the library's sees this happen.
    void duringNextWait(std::function<void()> meanwhile) {
        sync().duringWaits.push_back(std::move(meanwhile));
    }

    Held<FakeMediaSample> sample{"sample"};
    Held<FakeDroppedFrames> droppedFrames;
};

} // namespace fakes
