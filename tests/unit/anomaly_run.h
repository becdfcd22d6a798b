// The machinery of the anomaly tests: a host whose caller buffers sit between
// guard bytes, the fake platform every run starts from, and the runs of a
// scenario, clean and with each fault in turn, checked against a table of
// documented outcomes (anomaly_test.cpp holds the scenarios and the table).
#pragma once

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "fakes/fake_audio.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_files.h"
#include "fakes/fake_filter_enum.h"
#include "fakes/fake_gdi.h"
#include "fakes/fake_media_sample.h"
#include "fakes/fake_heap.h"
#include "fakes/fake_pins.h"
#include "fakes/fake_property_pages.h"
#include "fakes/fake_stream_config.h"
#include "fakes/output_world.h"

namespace anomaly {

using namespace fakes;

// A caller buffer between guard bytes. Its text starts empty and the rest
// holds a fill byte, so every byte a call writes shows.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(std::size_t capacity) : bytes_(capacity + 2 * kGuard, kGuardByte) {
        std::fill_n(data(), capacity, kFill);
        data()[0] = '\0';
    }
    char* data() { return bytes_.data() + kGuard; }
    std::string contents() const {
        return std::string(bytes_.begin() + kGuard, bytes_.end() - kGuard);
    }
    bool guardsIntact() const {
        const auto intact = [](char byte) { return byte == kGuardByte; };
        return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, intact) &&
               std::all_of(bytes_.end() - kGuard, bytes_.end(), intact);
    }

    static constexpr char kFill = 0x55;

  private:
    static constexpr std::size_t kGuard = 16;
    static constexpr char kGuardByte = static_cast<char>(0xA5);
    std::vector<char> bytes_;
};

using Sizes = std::map<std::string, int>;
using Contents = std::map<std::string, std::string>;

// What a host keeps between calls: the buffers its size queries sized. The
// sizes are the clean run's, kept for every later run: a fault can only make
// a list shorter, and a host sizes a buffer before it asks for the list.
class Host {
  public:
    explicit Host(Sizes& sizes) : sizes_(sizes) {}

    // A size query's result; the query sizes the buffer of list.
    int sized(const std::string& list, int result) {
        int& size = sizes_[list];
        size = std::max(size, result);
        buffers_.insert_or_assign(list, GuardedBuffer(static_cast<std::size_t>(std::max(size, 1))));
        return result;
    }
    char* buffer(const std::string& list) { return buffers_.at(list).data(); }
    int size(const std::string& list) const { return sizes_.at(list); }

    // A caller variable holding value, such as a size the call updates.
    int* number(const std::string& name, int value) {
        GuardedBuffer& variable =
            buffers_.insert_or_assign(name, GuardedBuffer(sizeof value)).first->second;
        std::memcpy(variable.data(), &value, sizeof value);
        return reinterpret_cast<int*>(variable.data());
    }

    Contents contents() const {
        Contents all;
        for (const auto& [list, buffer] : buffers_) {
            all[list] = buffer.contents();
        }
        return all;
    }
    bool guardsIntact() const {
        return std::all_of(buffers_.begin(), buffers_.end(),
                           [](const auto& entry) { return entry.second.guardsIntact(); });
    }

  private:
    Sizes& sizes_;
    std::map<std::string, GuardedBuffer> buffers_;
};

struct Step {
    const char* name; // words the table of outcomes matches on
    int (*call)(Host&);
    const char* lists = nullptr; // the buffers the step fills as name lists
};

class World;

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    void (*arrange)(World&) = nullptr;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// The platform of every run: one camera with property pages, a pin with
// pages of its own and a stream configuration of two formats; the
// compressors "Codec A" and "Codec B"; a graph that lists three filters by
// name; a Sample Grabber connected with a 4 x 3 RGB24 format holding a frame;
// the code page, heap, files, GDI and property frame; a stamped media sample
// for the grabber to deliver and a capture pin that counts dropped frames;
// the library not yet started.
class World : public OutputWorld {
  public:
    World();
    void TestBody() override {}

    Held<FakeMoniker> cameraMoniker{"device0.moniker"};
    Held<FakePagesFilter> camera{"device0", L"Device Filter", graph.get()};
    Held<FakePropertyBag> cameraBag{"device0.bag", L"Camera"};
    Held<FakeEnumPins> cameraPins{"device0.pins"};
    Held<FakePin> cameraPin{"device0.pin0"};
    Held<FakeStreamConfig> streamConfig;
    FakePropertyFrame frame{platform};
    FakeCodePage codePage{platform};
    Held<FakeEnumFilters> graphFilters{"filterEnum"};
    Held<FakeNamedFilter> listedDevice{"filter0", L"Device Filter", graph.get()};
    Held<FakeNamedFilter> listedGrabber{"filter1", L"Sample Grabber", graph.get()};
    Held<FakeNamedFilter> listedRenderer{"filter2", L"Null Renderer", graph.get()};
    Held<FakeFilter> typeUnknown{"typeUnknown"};
    // A camera with both control interfaces (Brightness, Gain, Exposure),
    // which a scenario's arrange puts behind the camera's moniker.
    Held<FakeControlFilter> controlCamera{"controlCamera"};
    FakeHeap heap{platform};
    FakeFiles files{platform};
    FakeGdi gdi{platform};
    Held<FakeMediaSample> sample{"sample", std::vector<unsigned char>(48, 0x3C)};
    Held<FakeDroppedFrames> droppedFrames;
    // The sound of a recording, which a scenario's arrange puts in place: a
    // microphone with a clock and two formats, an audio compressor, and
    // Windows' AVI Mux as the builder's multiplexer.
    Held<FakeEnumMoniker> audioDevices{"audioDevices"};
    Held<FakeEnumMoniker> audioCompressors{"audioCompressors"};
    FakeEntry<FakeAudioDevice> microphone{"microphone0", L"Mic"};
    FakeEntry<FakeFilter> audioCodec{"audioCodec0", L"Speech codec"};
    Held<FakeStreamConfig> audioConfig{"audioConfig"};
    Held<FakeAviMux> aviMux{"aviMux"};
};

// Outcomes beyond a plain code:
// the step and every later one answer as in the clean run;
constexpr int kSame = INT_MIN;
// the step answers as in the clean run, and leaves a documented mark (a null
// field) that later steps may show;
constexpr int kSameHere = INT_MIN + 1;
// a list or size query with entries cut off or emptied: a list holds the
// clean run's lines or empty ones in their place, at most as many; later
// steps answer as in the clean run;
constexpr int kShorter = INT_MIN + 3;
// the same with entries skipped anywhere: the clean run's lines in order,
// some left out;
constexpr int kSkipped = INT_MIN + 4;
// the step answers the HRESULT the call answered; later steps answer as in
// the clean run;
constexpr int kPassed = INT_MIN + 5;
// (in the last two columns) as for a failure.
constexpr int kAsFail = INT_MIN + 6;

// Any other outcome is the code the step returns. A failing open leaves the
// slot closed, and later steps are not compared; after any other code the
// slot keeps the clean run's state and later steps answer as in the clean run.
struct Outcome {
    const char* step; // words every matching step name has
    const char* call; // text of the failing call's journal entry; "#n": its nth in the step
    int onFail;
    int onUnexpected = kAsFail;
    int onPartial = kAsFail; // S_FALSE, or a short write
};

// The faults a scenario met: its fallible calls, and the runs with a fault.
struct Tally {
    std::size_t calls;
    int injections;
};

// Runs scenario clean, then once per fallible call and fault that call can
// meet, checking every run; the table outcomes documents what the step that
// met each fault answers.
Tally runEveryFault(const Scenario& scenario, std::span<const Outcome> outcomes);

} // namespace anomaly
