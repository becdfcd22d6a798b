// Anomaly tests. Each scenario is a host's sequence of exports. It runs once
// to count the fallible calls it makes on the fake platform, then once per
// call and per fault that call can meet, failing that call only. Every run
// checks, after each step, that the caller's buffers were written only within
// what they were sized for and that the slot is closed with every field null
// or fully open; the step that met the fault must answer what the table of
// documented outcomes says for that call, and a fault the library must
// ignore must change nothing; after the scenario's own clean-up every
// reference is given back, COM is balanced, and the slot opens again.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "core/slots.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_filter_enum.h"
#include "fakes/frame_world.h"
#include "fakes/injector.h"
#include "fakes/output_world.h"

using namespace fakes;

namespace {

// --- The host -----------------------------------------------------------------

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

// --- Steps and scenarios -------------------------------------------------------

struct Step {
    const char* name; // words the table of outcomes matches on
    int (*call)(Host&);
    const char* list = nullptr; // the buffer the step fills as a name list
};

vcx_intptr text(const wchar_t* value) {
    return reinterpret_cast<vcx_intptr>(value);
}

const Step kInit{"init", [](Host&) { return vcx_Init(); }};
const Step kExit{"exit", [](Host&) { return vcx_Exit(); }};
const Step kOpen0{"open 0", [](Host&) { return vcx_Open(0, 0, 0, 0, 0); }};
const Step kOpen1{"open 1", [](Host&) { return vcx_Open(0, 1, 0, 1, 1); }};
const Step kOpen2{"open 2", [](Host&) { return vcx_Open(0, 2, 0, 1, 1); }};
const Step kOpen6{"open 6", [](Host&) { return vcx_Open(0, 6, 0, 0, 0); }};
const Step kOpenAvi{"open avi 300", [](Host&) { return vcx_Open(0, 300, 0, text(L"a.avi"), 0); }};
const Step kOpenAviPreview{"open avi 301",
                           [](Host&) { return vcx_Open(0, 301, 0, text(L"a.avi"), 0); }};
const Step kOpenAviCodec{"open avi 300 codec", [](Host&) {
                             return vcx_Open(0, 300, 0, text(L"a.avi"), text(L"Codec B"));
                         }};
const Step kOpenAviPreviewCodec{"open avi 301 codec", [](Host&) {
                                    return vcx_Open(0, 301, 0, text(L"a.avi"), text(L"Codec B"));
                                }};
const Step kPlay{"run play", [](Host&) { return vcx_Play(7, 0, 0, 320, 240); }};
const Step kPlay2{"run play2", [](Host&) { return vcx_Play2(); }};
const Step kResize{"resize", [](Host&) { return vcx_ReSize(7, 10, 10, 160, 120); }};
const Step kState{"state", [](Host&) { return vcx_GetState(); }};
const Step kBufferingOff{"buffering", [](Host&) { return vcx_SetCapConfig(0); }};
const Step kBufferingOn{"buffering", [](Host&) { return vcx_SetCapConfig(1); }};
const Step kStop{"stop", [](Host&) { return vcx_Stop(); }};
const Step kClose{"close", [](Host&) { return vcx_Close(); }};
const Step kDevicesSize{"list devices size",
                        [](Host& h) { return h.sized("devices", vcx_GetDeviceListSize(0)); }};
const Step kDevices{"list devices",
                    [](Host& h) { return vcx_GetDeviceList(h.buffer("devices"), 0); }, "devices"};
const Step kCodecsSize{"list codecs size",
                       [](Host& h) { return h.sized("codecs", vcx_GetCodecListSize(0)); }};
const Step kCodecsSizeByType{"list codecs size",
                             [](Host& h) { return h.sized("codecs", vcx_GetBufferSize(3)); }};
const Step kCodecs{"list codecs", [](Host& h) { return vcx_GetCodecList(h.buffer("codecs"), 0); },
                   "codecs"};
const Step kFiltersSize{"list filters size",
                        [](Host& h) { return h.sized("filters", vcx_GetStreamFilterListSize()); }};
const Step kFilters{"list filters",
                    [](Host& h) { return vcx_StreamFilterList(h.buffer("filters")); }, "filters"};
const Step kBitsSize{"frame size", [](Host& h) { return h.sized("bits", vcx_GetImageMemSize(0)); }};
const Step kHeaderSize{"frame size",
                       [](Host& h) { return h.sized("header", vcx_GetBufferSize(6)); }};
const Step kGrab{"frame grab", [](Host& h) {
                     return vcx_GetImageMem(h.buffer("bits"), h.number("bits size", h.size("bits")),
                                            h.buffer("header"));
                 }};
const Step kPaint{"frame paint", [](Host&) { return vcx_GetImage(-2, 0, 0, 4, 3); }};
const Step kSave{"frame save", [](Host&) { return vcx_SaveBMP("C:\\snap.bmp"); }};
const Step kOverlay{"overlay", [](Host&) {
                        return vcx_VMRMixImage(-2, 0, 0, 4, 3, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1, 255,
                                               0, 255);
                    }};

class World;

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    void (*arrange)(World&) = nullptr;
};

// The platform of every run: one camera, the compressors "Codec A" and
// "Codec B", a graph that lists three filters by name, a Sample Grabber
// connected with a 4 x 3 RGB24 format holding a frame, the code page, heap,
// files and GDI, and the library not yet started.
class World : public OutputWorld {
  public:
    World() {
        addDevice(L"Camera");
        addCompressor(L"Codec A");
        addCompressor(L"Codec B");
        platform.table().setAviOutputFileName = nullptr;
        graph->filterEnum = graphFilters.get();
        for (FakeNamedFilter* filter :
             {listedDevice.get(), listedGrabber.get(), listedRenderer.get()}) {
            graphFilters->filters.push_back(filter);
        }
        grabber->connectedFormat = FrameWorld::videoInfoBlock(FrameWorld::bitmapHeader());
        grabber->sampleSize = FrameWorld::kSampleSize;
        grabber->typeUnknown = typeUnknown.get();
        grabber->currentFrame.assign(36, 0x3C);
        vcx::library().comInitialized = 0;
    }
    void TestBody() override {}

    FakeCodePage codePage{platform};
    Held<FakeEnumFilters> graphFilters;
    Held<FakeNamedFilter> listedDevice{"filter0", L"Device Filter", graph.get()};
    Held<FakeNamedFilter> listedGrabber{"filter1", L"Sample Grabber", graph.get()};
    Held<FakeNamedFilter> listedRenderer{"filter2", L"Null Renderer", graph.get()};
    Held<FakeFilter> typeUnknown{"typeUnknown"};
    FakeHeap heap{platform};
    FakeFiles files{platform};
    FakeGdi gdi{platform};
};

void builderWithoutFileOutput(World& world) {
    world.builder->setResult("SetOutputFileName", E_NOTIMPL);
    world.aviWriter->install(world.platform);
}

const Scenario kScenarios[] = {
    {"video_renderer", {kInit, kOpen0, kPlay, kState, kResize, kStop, kClose, kExit}},
    {"vmr7_overlay", {kInit, kOpen1, kPlay, kOverlay, kStop, kClose, kExit}},
    {"vmr9_overlay", {kInit, kOpen2, kPlay2, kState, kOverlay, kStop, kClose, kExit}},
    {"frames",
     {kInit, kOpen6, kPlay2, kBitsSize, kHeaderSize, kGrab, kPaint, kSave, kStop, kClose, kExit}},
    {"null_renderer", {kInit, kOpen6, kPlay2, kBufferingOff, kBufferingOn, kStop, kClose, kExit}},
    {"avi", {kInit, kOpenAvi, kPlay2, kStop, kClose, kExit}},
    {"avi_preview_closed_running", {kInit, kOpenAviPreview, kPlay, kClose, kExit}},
    {"avi_codec_from_list", {kInit, kCodecsSize, kCodecs, kOpenAviCodec, kPlay2, kClose, kExit}},
    {"avi_preview_codec", {kInit, kOpenAviPreviewCodec, kPlay, kStop, kClose, kExit}},
    {"avi_own_writer", {kInit, kOpenAvi, kClose, kExit}, builderWithoutFileOutput},
    {"device_lists", {kInit, kDevicesSize, kDevices, kCodecsSizeByType, kCodecs, kExit}},
    {"filter_list", {kInit, kOpen6, kFiltersSize, kFilters, kClose, kExit}},
};

// --- Documented outcomes -------------------------------------------------------

// Outcomes beyond a plain code:
// the step and every later one answer as in the clean run;
constexpr int kSame = INT_MIN;
// the step answers as in the clean run, and leaves a documented mark (a null
// field) that later steps may show;
constexpr int kSameHere = INT_MIN + 1;
// the step answers as in the clean run, without what the failing call would
// have written (a copy it goes on from as after success); later steps answer
// as in the clean run;
constexpr int kSameResult = INT_MIN + 5;
// a list or size query with entries cut off or emptied: a list holds the
// clean run's lines or empty ones in their place, at most as many; later
// steps answer as in the clean run;
constexpr int kShorter = INT_MIN + 2;
// the step answers the HRESULT the call answered;
constexpr int kPassed = INT_MIN + 3;
// (in the last two columns) as for a failure.
constexpr int kAsFail = INT_MIN + 4;

struct Outcome {
    const char* step; // words every matching step name has
    const char* call; // text of the failing call's journal entry; "#n": its nth in the step
    int onFail;
    int onUnexpected = kAsFail;
    int onPartial = kAsFail; // S_FALSE, or a short write
};

// The first row whose step words and call match decides.
const Outcome kOutcomes[] = {
    {"init", "CoInitialize", kPassed},
    // Open: the graph, the device, the video window.
    {"open", "CoCreateInstance(FilterGraph", -30},
    {"open", "CoCreateInstance(SampleGrabber", -31},
    {"open", "grabber.QueryInterface(ISampleGrabber)", -32},
    {"open", "grabber.SetMediaType", -33},
    {"open", "graph.AddFilter(Sample Grabber)", -34},
    {"open", "CoCreateInstance(CaptureGraphBuilder2", -35},
    {"open", "builder.SetFiltergraph", -36},
    {"open", "graph.QueryInterface(IMediaControl)", -37},
    {"open", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 1)", -38},
    {"open", "CreateClassEnumerator(VideoInputDeviceCategory", kSame},
    {"open", "videoDevices.Reset", kSame},
    {"open", "videoDevices.Next#1", -4},
    {"open", "videoDevices.Next", kSame},
    {"open", "device0.moniker.BindToObject", kSameHere, kSameHere, kSame},
    {"open", "graph.AddFilter(Device Filter)", kSame},
    {"open", "graph.QueryInterface(IVideoWindow)", -58},
    // Open: the outputs.
    {"open 0", "CoCreateInstance(VideoRenderer", -39},
    {"open 0", "AddFilter(Video Renderer)", -79},
    {"open 0", "RenderStream", -76, kSame, kSame},
    {"open 1", "CoCreateInstance(VideoMixingRenderer", -40},
    {"open 1", "QueryInterface(IVMRFilterConfig)", -41},
    {"open 1", "SetRenderingMode", -87},
    {"open 1", "SetNumberOfStreams", -88},
    {"open 1", "AddFilter(VMR7)", -89},
    {"open 1", "RenderStream", -86, kSame, kSame},
    {"open 2", "CoCreateInstance(VideoMixingRenderer9", -42},
    {"open 2", "QueryInterface(IVMRFilterConfig9)", -43},
    {"open 2", "SetRenderingMode", -97},
    {"open 2", "SetNumberOfStreams", -98},
    {"open 2", "AddFilter(VMR9)", -99},
    {"open 2", "RenderStream", -96, kSame, kSame},
    {"open 6", "CoCreateInstance(NullRenderer", -44},
    {"open 6", "AddFilter(Null Renderer)", -59},
    {"open 6", "RenderStream", -56, kSame, kSame},
    {"open codec", "CoCreateInstance(SystemDeviceEnum, null, ICreateDevEnum, 3)", -47},
    {"open codec", "CreateClassEnumerator(VideoCompressorCategory", -48},
    {"open codec", "videoCompressors.Next", -49},
    {"open codec", "codec0.", kSame},
    {"open codec", "codec1.moniker.BindToStorage", -49, -49, kSame},
    {"open codec", "codec1.bag.Read", -49, -49, kSame},
    {"open codec", "codec1.moniker.BindToObject", kSameHere, kSameHere, kSame},
    {"open codec", "AddFilter(Codec B)", kSame},
    {"open codec", "VariantClear", kSame},
    {"open codec", "SetOutputFileName", -50},
    {"open codec", "PIN_CATEGORY_CAPTURE", -51},
    {"open avi", "SetOutputFileName", -45},
    {"open avi", "PIN_CATEGORY_CAPTURE", -46},
    {"open 300", "CoCreateInstance(NullRenderer", -52},
    {"open 300", "AddFilter(Null Renderer)", -53},
    {"open 300", "PIN_CATEGORY_PREVIEW", -54},
    {"open 301", "PIN_CATEGORY_PREVIEW", -55},
    // Stream control: only Run and GetState are reported.
    {"run", "graph.Run", 1},
    {"run", "grabber.SetBufferSamples", kSame},
    {"run play", "graph.", kSame},
    {"resize", "graph.", kSame},
    {"state", "graph.GetState", -2, kSame, kSame},
    {"buffering", "grabber.SetBufferSamples", kSame},
    {"stop", "graph.Stop", kSame},
    {"close", "graph.", kSame},
    // Frames: of the copy only five results count; a working buffer that
    // cannot be had, a picture not painted and a file not written do.
    {"frame", "GetConnectedMediaType", -2},
    {"frame", "GetCurrentBuffer", kSameResult, kSameResult, kSame},
    {"frame", "HeapFree", kSame},
    {"frame paint", "HeapAlloc", -10},
    {"frame paint", "SetDIBitsToDevice", -8},
    {"frame save", "HeapAlloc", -11},
    {"frame save", "CreateFileA", -8},
    {"frame save", "WriteFile", -10},
    {"frame save", "CloseHandle", kSame},
    {"overlay", "QueryInterface(IVMRMixerBitmap", -9},
    {"overlay", "SetRect", kSame},
    {"overlay", "SetAlphaBitmap", -7, kPassed, kPassed},
    // Lists: a failure part-way keeps what was gathered.
    {"list devices", "CoCreateInstance(SystemDeviceEnum", -1},
    {"list codecs", "CoCreateInstance(SystemDeviceEnum", -2},
    {"list", "CreateClassEnumerator", kSame},
    {"list", ".Reset", kSame},
    {"list", ".Next(1)", kShorter},
    {"list", "BindToStorage", kShorter, kShorter, kSame},
    {"list", ".Read(FriendlyName", kShorter, kShorter, kSame},
    {"list", "WideCharToMultiByte", kShorter},
    {"list", "VariantClear", kSame},
    {"list filters", "graph.EnumFilters", kShorter, kShorter, kSame},
    {"list filters", "QueryFilterInfo", kShorter, kShorter, kSame},
};

bool hasWords(const std::string& name, const char* words) {
    std::istringstream wanted(words);
    std::istringstream have(name);
    const std::vector<std::string> present{std::istream_iterator<std::string>(have), {}};
    for (std::string word; wanted >> word;) {
        if (std::find(present.begin(), present.end(), word) == present.end()) {
            return false;
        }
    }
    return true;
}

// What the table documents for step meeting fault in its occurrence-th call
// with this entry; nullptr when it documents nothing.
const int* documented(const std::string& step, const std::string& entry, int occurrence,
                      Fault fault) {
    for (const Outcome& row : kOutcomes) {
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

std::map<std::string, ULONG> referenceCounts() {
    std::map<std::string, ULONG> counts;
    for (FakeCom* fake : FakeCom::living()) {
        counts[fake->name()] = fake->refs();
    }
    return counts;
}

void expectSlotSound() {
    const vcx::CaptureSlot& slot = vcx::activeSlot();
    if (slot.state == vcx::kSlotClosed) {
        CaptureWorld::expectSlotEmpty(slot);
        EXPECT_FALSE(slot.windowPlaced);
        return;
    }
    EXPECT_TRUE(slot.state == vcx::kSlotOpen || slot.state == vcx::kSlotRunning) << slot.state;
    for (const void* field :
         {static_cast<const void*>(slot.graph), static_cast<const void*>(slot.captureBuilder),
          static_cast<const void*>(slot.mediaControl), static_cast<const void*>(slot.videoWindow),
          static_cast<const void*>(slot.grabberFilter), static_cast<const void*>(slot.grabber)}) {
        EXPECT_NE(field, nullptr) << "an open slot without one of its graph's objects";
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

// A list a fault cut short: entries lines, each the clean run's line at its
// place or empty, then the NUL and nothing written after it.
void expectShorterList(const std::string& clean, const std::string& got, int entries) {
    const std::vector<std::string> cleanLines = lines(clean);
    const std::vector<std::string> gotLines = lines(got);
    ASSERT_EQ(static_cast<int>(gotLines.size()), entries);
    ASSERT_LE(gotLines.size(), cleanLines.size());
    for (std::size_t i = 0; i < gotLines.size(); ++i) {
        EXPECT_TRUE(gotLines[i].empty() || gotLines[i] == cleanLines[i]) << gotLines[i];
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
    ScenarioRun(const Scenario& scenario, Sizes& sizes) : scenario_(scenario), host_(sizes) {
        if (scenario.arrange != nullptr) {
            scenario.arrange(world_);
        }
        start_ = referenceCounts();
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
            expectSlotSound();
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
    // file closed, COM balanced, and the slot opens and closes again.
    void checkAfter() {
        EXPECT_EQ(referenceCounts(), start_);
        EXPECT_TRUE(world_.heap.live.empty()) << "heap blocks not freed";
        EXPECT_EQ(world_.platform.taskMemFrees, world_.grabber->formatBlocks)
            << "format blocks not freed";
        EXPECT_TRUE(world_.files.open.empty()) << "a file left open";
        EXPECT_EQ(world_.platform.comStarts, 0);
        EXPECT_EQ(vcx_Init(), S_OK);
        EXPECT_EQ(vcx_Open(0, 6, 0, 0, 0), 0) << "the slot does not open again";
        EXPECT_EQ(vcx_Close(), 0);
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(referenceCounts(), start_);
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
        const int* outcome = documented(step.name, met.entry, static_cast<int>(occurrence), fault);
        if (outcome == nullptr) {
            ADD_FAILURE() << "no documented outcome for " << step.name << " meeting " << met.entry;
            return false;
        }
        switch (*outcome) {
        case kSame:
        case kSameHere:
        case kSameResult:
            EXPECT_EQ(got.result, clean.result) << "a failure that must be ignored";
            EXPECT_EQ(got.state, clean.state);
            if (*outcome != kSameResult) {
                EXPECT_EQ(got.buffers, clean.buffers);
            }
            return *outcome != kSameHere;
        case kShorter:
            EXPECT_LE(got.result, clean.result);
            EXPECT_EQ(got.state, clean.state);
            if (step.list == nullptr) {
                EXPECT_GE(got.result, 1);
            } else {
                expectShorterList(clean.buffers.at(step.list), got.buffers.at(step.list),
                                  got.result);
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
    World world_;
    Host host_;
    std::map<std::string, ULONG> start_;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

class Anomaly : public ::testing::TestWithParam<Scenario> {};

TEST_P(Anomaly, EveryFallibleCallFailsInTurn) {
    const Scenario& scenario = GetParam();
    Sizes sizes;
    std::vector<Record> clean;
    std::vector<Injector::Call> calls;
    {
        ScenarioRun run(scenario, sizes);
        injector().count();
        clean = run.play(nullptr, Fault::kFail);
        calls = injector().calls();
        run.checkAfter();
    }
    ASSERT_FALSE(HasFailure()) << "the scenario fails without a fault";
    int injections = 0;
    for (std::size_t k = 1; k <= calls.size(); ++k) {
        for (const Fault fault : faultsOf(calls[k - 1].site)) {
            SCOPED_TRACE("call " + std::to_string(k) + ", " + calls[k - 1].entry + ", " +
                         faultName(fault));
            ScenarioRun run(scenario, sizes);
            injector().arm(static_cast<int>(k), fault);
            run.play(&clean, fault);
            EXPECT_TRUE(injector().fired() && injector().firedCall().entry == calls[k - 1].entry)
                << "the scenario does not repeat its calls";
            run.checkAfter();
            ++injections;
        }
    }
    std::printf("anomaly %s: %zu fallible calls, %d injections\n", scenario.name, calls.size(),
                injections);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Anomaly, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
