// A capture world whose device offers a stream configuration: slot 0 opened
// on device0 without an output, the builder's FindInterface handing out a
// fake IAMStreamConfig, and checks that a call gave back every reference and
// every block of task memory it was handed.
#pragma once

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_stream_config.h"
#include "fakes/fake_task_memory.h"

namespace fakes {

class ConfigWorld : public CaptureWorld {
  public:
    static constexpr int kNoOutput = 5;

    ConfigWorld() {
        addDevice();
        builder->found = config.get();
        resetTaskMemoryRecords();
    }

    // Opens slot 0 and clears the journal.
    void open() {
        ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
        journal().clear();
    }

    // Every reference and every media type handed out came back.
    void expectEverythingGivenBack() const {
        EXPECT_EQ(config->refs(), 1u) << "the stream configuration was not released";
        EXPECT_TRUE(outstandingTaskMemory().empty())
            << outstandingTaskMemory().size() << " blocks of task memory not freed";
        EXPECT_EQ(strayTaskMemoryFrees(), 0) << "freed memory no fake handed out";
    }

    Held<FakeStreamConfig> config;
};

} // namespace fakes
