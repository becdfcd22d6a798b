#include "anomaly_run.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <sstream>

#include "core/slots.h"
#include "fakes/fake_task_memory.h"
#include "fakes/frame_world.h"
#include "fakes/injector.h"

namespace anomaly {

World::World() {
    cameraMoniker->object = camera.get();
    cameraMoniker->storage = cameraBag.get();
    videoDevices->items.push_back(cameraMoniker.get());
    camera->pages = {CLSID_VideoProcAmpPropertyPage, CLSID_CameraControlPropertyPage};
    camera->pinEnumerator = cameraPins.get();
    cameraPins->items.push_back(cameraPin.get());
    cameraPin->pages = {CLSID_VideoStreamConfigPropertyPage};
    builder->found = streamConfig.get();
    streamConfig->capabilities = {videoCapability(640, 480, 333333),
                                  videoCapability(320, 240, 666666)};
    addCompressor(L"Codec A");
    addCompressor(L"Codec B");
    platform.table().setAviOutputFileName = nullptr;
    graph->filterEnum = graphFilters.get();
    for (FakeNamedFilter* filter :
         {listedDevice.get(), listedGrabber.get(), listedRenderer.get()}) {
        graphFilters->items.push_back(filter);
    }
    grabber->connectedFormat = FrameWorld::videoInfoBlock(FrameWorld::bitmapHeader());
    grabber->sampleSize = FrameWorld::kSampleSize;
    grabber->typeUnknown = typeUnknown.get();
    grabber->currentFrame.assign(36, 0x3C);
    controlCamera->procAmp[VideoProcAmp_Brightness] = {-64, 64, 1, 0, 2, 10, 2};
    controlCamera->procAmp[VideoProcAmp_Gain] = {0, 100, 1, 0, 3, 30, 1};
    controlCamera->cameraControl[CameraControl_Exposure] = {-13, -1, 1, -6, 3, -6, 1};
    sample->times = std::make_pair(REFERENCE_TIME{400'000}, REFERENCE_TIME{733'333});
    builder->alsoFound = {droppedFrames.get()};
    resetTaskMemoryRecords();
    vcx::library().comInitialized = 0;
}

namespace {

// The words of text, split at spaces; none for null.
std::vector<std::string> words(const char* text) {
    std::istringstream stream(text != nullptr ? text : "");
    return {std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
}

// Whether every word of wanted is a word of name.
bool hasWords(const std::string& name, const char* wanted) {
    const std::vector<std::string> present = words(name.c_str());
    return std::ranges::all_of(words(wanted), [&](const std::string& word) {
        return std::ranges::find(present, word) != present.end();
    });
}

// What the table documents for step meeting fault in its occurrence-th call
// with this entry; nullptr when it documents nothing.
const int* documented(std::span<const Outcome> outcomes, const std::string& step,
                      const std::string& entry, int occurrence, Fault fault) {
    for (const Outcome& row : outcomes) {
        std::string call = row.call;
        int nth = 0;
        if (const auto hash = call.find('#'); hash != std::string::npos) {
            nth = std::stoi(call.substr(hash + 1));
            call.resize(hash);
        }
        if (hasWords(step, row.step) && entry.find(call) != std::string::npos &&
            (nth == 0 || nth == occurrence)) {
            const int& column = fault == Fault::kUnexpected ? row.onUnexpected
                                : fault == Fault::kPartial  ? row.onPartial
                                                            : row.onFail;
            return column == kAsFail ? &row.onFail : &column;
        }
    }
    return nullptr;
}

// --- Runs ---------------------------------------------------------------------

struct Record {
    int result;
    Contents buffers;
    int32_t state; // of the active slot
};

// Every slot closed with every field null, or open with its graph's objects.
void expectSlotsSound() {
    for (const vcx::CaptureSlot& slot : vcx::library().slots) {
        if (slot.state == vcx::kSlotClosed) {
            CaptureWorld::expectSlotEmpty(slot); // the frame counter and events too
            EXPECT_FALSE(slot.windowPlaced);
            continue;
        }
        EXPECT_TRUE(slot.state == vcx::kSlotOpen || slot.state == vcx::kSlotRunning) << slot.state;
        for (const void* field :
             {static_cast<const void*>(slot.graph), static_cast<const void*>(slot.captureBuilder),
              static_cast<const void*>(slot.mediaControl),
              static_cast<const void*>(slot.videoWindow),
              static_cast<const void*>(slot.grabberFilter),
              static_cast<const void*>(slot.grabber)}) {
            EXPECT_NE(field, nullptr) << "an open slot without one of its graph's objects";
        }
    }
}

std::vector<std::string> lines(const std::string& contents) {
    std::vector<std::string> found;
    const std::string text = contents.substr(0, contents.find('\0'));
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        found.push_back(text.substr(start, end - start));
    }
    return found;
}

// A list a fault cut short: the clean run's lines in their places, some
// emptied, the last ones missing (or, where entries may be skipped, any
// missing), then the NUL and nothing written after it. A step whose clean
// result counted its lines counts them still.
void expectShorterList(const std::string& clean, const std::string& got, int cleanResult,
                       int result, bool skips) {
    const std::vector<std::string> cleanLines = lines(clean);
    const std::vector<std::string> gotLines = lines(got);
    if (static_cast<int>(cleanLines.size()) == cleanResult) {
        EXPECT_EQ(static_cast<int>(gotLines.size()), result);
    }
    auto next = cleanLines.begin();
    for (const std::string& line : gotLines) {
        const auto kept = [&](const std::string& cleanLine) {
            return line.empty() || line == cleanLine;
        };
        next = skips ? std::find_if(next, cleanLines.end(), kept) : next;
        ASSERT_TRUE(next != cleanLines.end() && kept(*next)) << "a line out of place: " << line;
        ++next;
    }
    const std::size_t end = got.find('\0');
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(got.substr(end + 1), std::string(got.size() - end - 1, GuardedBuffer::kFill));
}

// A step after the fault wrote what it wrote in the clean run, and left alone
// what it left alone there (a list the fault cut short stays short).
void expectWritesAsClean(const Contents& before, const Contents& after, const Contents& cleanBefore,
                         const Contents& cleanAfter) {
    for (const auto& [list, contents] : after) {
        const auto was = cleanBefore.find(list);
        if (was == cleanBefore.end() || was->second != cleanAfter.at(list)) {
            EXPECT_EQ(contents, cleanAfter.at(list));
        } else {
            EXPECT_EQ(contents, before.at(list)) << "a write to " << list;
        }
    }
}

class ScenarioRun {
  public:
    ScenarioRun(const Scenario& scenario, std::span<const Outcome> outcomes, Sizes& sizes)
        : scenario_(scenario), outcomes_(outcomes), host_(sizes) {
        if (scenario.arrange != nullptr) {
            scenario.arrange(world_);
        }
        start_ = FakeCom::referenceCounts();
    }

    // Plays the scenario; with clean given, checks each step against it and
    // the step that met the armed fault against the table.
    std::vector<Record> play(const std::vector<Record>* clean, Fault fault) {
        std::vector<Record> records;
        bool laterAsClean = true;
        for (const Step& step : scenario_.steps) {
            SCOPED_TRACE(step.name);
            const bool firedBefore = injector().fired();
            const std::size_t firstCall = injector().calls().size();
            const Contents before = snapshot();
            const int result = step.call(host_);
            records.push_back({result, snapshot(), vcx::activeSlot().state});
            EXPECT_TRUE(host_.guardsIntact()) << "a write outside a caller buffer";
            expectSlotsSound();
            slotsUsed_.insert(vcx::library().activeSlot);
            if (clean == nullptr) {
                continue;
            }
            const std::size_t index = records.size() - 1;
            const Record& expected = (*clean)[index];
            if (!firedBefore && injector().fired()) {
                laterAsClean = checkMet(step, firstCall, fault, before, expected, records.back());
            } else if (laterAsClean) {
                EXPECT_EQ(records.back().result, expected.result);
                EXPECT_EQ(records.back().state, expected.state);
                expectWritesAsClean(before, records.back().buffers,
                                    index == 0 ? Contents{} : (*clean)[index - 1].buffers,
                                    expected.buffers);
            }
        }
        injector().stop();
        return records;
    }

    // After the scenario: every reference back, every block freed, every
    // file closed, COM balanced, and each slot it used opens and closes again.
    void checkAfter() {
        EXPECT_EQ(FakeCom::referenceCounts(), start_);
        EXPECT_TRUE(world_.heap.live.empty()) << "heap blocks not freed";
        EXPECT_TRUE(outstandingTaskMemory().empty()) << "task memory not freed";
        EXPECT_EQ(strayTaskMemoryFrees(), 0) << "freed memory no fake handed out";
        EXPECT_TRUE(world_.files.open.empty()) << "a file left open";
        EXPECT_EQ(world_.platform.comStarts, 0);
        EXPECT_EQ(vcx_Init(), S_OK);
        for (const int slot : slotsUsed_) {
            EXPECT_EQ(vcx_SetActiveSel(slot), 0);
            EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), 0) << "slot " << slot << " does not open again";
            EXPECT_EQ(vcx_Close(), 0);
        }
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(FakeCom::referenceCounts(), start_);
    }

  private:
    // The caller's buffers and the files, as "file <path>".
    Contents snapshot() const {
        Contents all = host_.contents();
        for (const auto& [path, bytes] : world_.files.files) {
            all["file " + path] = std::string(bytes.begin(), bytes.end());
        }
        return all;
    }

    // Checks the step that met the fault; whether later steps must answer as
    // in the clean run. Only a failing open changes the slot's state (it
    // leaves the slot closed); every other outcome leaves the state the clean
    // run had, a failed Run included.
    bool checkMet(const Step& step, std::size_t firstCall, Fault fault, const Contents& before,
                  const Record& clean, const Record& got) {
        const Injector::Call& met = injector().firedCall();
        const auto& calls = injector().calls();
        const auto occurrence =
            std::count_if(calls.begin() + static_cast<std::ptrdiff_t>(firstCall), calls.end(),
                          [&](const Injector::Call& call) { return call.entry == met.entry; });
        const int* outcome =
            documented(outcomes_, step.name, met.entry, static_cast<int>(occurrence), fault);
        if (outcome == nullptr) {
            ADD_FAILURE() << "no documented outcome for " << step.name << " meeting " << met.entry;
            return false;
        }
        switch (*outcome) {
        case kSame:
        case kSameHere:
            EXPECT_EQ(got.result, clean.result) << "a failure that must be ignored";
            EXPECT_EQ(got.state, clean.state);
            EXPECT_EQ(got.buffers, clean.buffers);
            return *outcome != kSameHere;
        case kShorter:
        case kSkipped:
            EXPECT_LE(got.result, clean.result);
            EXPECT_EQ(got.state, clean.state);
            if (step.lists == nullptr) {
                EXPECT_GE(got.result, 1);
            }
            for (const std::string& list : words(step.lists)) {
                expectShorterList(clean.buffers.at(list), got.buffers.at(list), clean.result,
                                  got.result, *outcome == kSkipped);
            }
            return true;
        case kPassed:
            EXPECT_EQ(got.result, faultResult(fault));
            EXPECT_EQ(got.state, clean.state);
            return true;
        default:
            // A failing step writes nothing; a file it had created is gone.
            EXPECT_EQ(got.result, *outcome);
            for (const auto& [name, contents] : got.buffers) {
                const auto was = before.find(name);
                EXPECT_TRUE(was != before.end() ? was->second == contents
                                                : !name.starts_with("file "))
                    << "a failing call wrote " << name;
            }
            for (const auto& [name, contents] : before) {
                EXPECT_TRUE(got.buffers.count(name) == 1 || name.starts_with("file "))
                    << name << " is gone";
            }
            if (*outcome < 0 && hasWords(step.name, "open")) {
                EXPECT_EQ(got.state, vcx::kSlotClosed);
                return false;
            }
            EXPECT_EQ(got.state, clean.state);
            return true;
        }
    }

    const Scenario& scenario_;
    std::span<const Outcome> outcomes_;
    World world_;
    Host host_;
    std::map<std::string, ULONG> start_;
    std::set<int> slotsUsed_;
};

} // namespace

Tally runEveryFault(const Scenario& scenario, std::span<const Outcome> outcomes) {
    Sizes sizes;
    std::vector<Record> clean;
    std::vector<Injector::Call> calls;
    {
        ScenarioRun run(scenario, outcomes, sizes);
        injector().count();
        clean = run.play(nullptr, Fault::kFail);
        calls = injector().calls();
        run.checkAfter();
    }
    const ::testing::TestResult& result =
        *::testing::UnitTest::GetInstance()->current_test_info()->result();
    if (result.Failed()) {
        ADD_FAILURE() << "the scenario fails without a fault";
        return {calls.size(), 0};
    }
    // A fault the library mishandles shows in many runs: the first few tell.
    constexpr int kFailingRunsShown = 3;
    int failingRuns = 0;
    int injections = 0;
    for (std::size_t k = 1; k <= calls.size() && failingRuns < kFailingRunsShown; ++k) {
        for (const Fault fault : faultsOf(calls[k - 1].site)) {
            SCOPED_TRACE("call " + std::to_string(k) + ", " + calls[k - 1].entry + ", " +
                         faultName(fault));
            const int partsBefore = result.total_part_count();
            ScenarioRun run(scenario, outcomes, sizes);
            injector().arm(static_cast<int>(k), fault);
            run.play(&clean, fault);
            EXPECT_TRUE(injector().fired() && injector().firedCall().entry == calls[k - 1].entry)
                << "the scenario does not repeat its calls";
            run.checkAfter();
            ++injections;
            failingRuns += result.total_part_count() != partsBefore ? 1 : 0;
        }
    }
    return {calls.size(), injections};
}

} // namespace anomaly
