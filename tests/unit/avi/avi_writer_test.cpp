// The AVI writer as a filter, on fakes of the upstream pin, its samples, the
// graph's event sink and clocks: which pins take which types, where timed and
// untimed samples go, the jump events, the end of the streams and a failed write.
#include "avi/avi_writer.h"

#include "avi_reader.h"
#include "memory_file.h"

#include "core/com_ptr.h"
#include "vcxcap.h"

#include <dvdmedia.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vcx::ComPtr;

constexpr REFERENCE_TIME k30 = 333'333;
constexpr REFERENCE_TIME kHour = 3600 * 10'000'000LL;

// IUnknown of a fake the test owns: references are not counted.
#define UNCOUNTED_IUNKNOWN(Interface)                                                              \
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {                                 \
        *out = iid == IID_IUnknown || iid == IID_##Interface ? this : nullptr;                     \
        return *out != nullptr ? S_OK : E_NOINTERFACE;                                             \
    }                                                                                              \
    STDMETHODIMP_(ULONG) AddRef() override {                                                       \
        return 2;                                                                                  \
    }                                                                                              \
    STDMETHODIMP_(ULONG) Release() override {                                                      \
        return 1;                                                                                  \
    }

// An upstream output pin: the writer's pins ask only its direction.
class UpstreamPin final : public IPin {
  public:
    UNCOUNTED_IUNKNOWN(IPin)
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override {
        *direction = PINDIR_OUTPUT;
        return S_OK;
    }
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect() override { return E_NOTIMPL; }
    STDMETHODIMP ConnectedTo(IPin**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_NOTIMPL; }
    STDMETHODIMP BeginFlush() override { return E_NOTIMPL; }
    STDMETHODIMP EndFlush() override { return E_NOTIMPL; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }
};

// A sample of given bytes, with a start time or none, whose IsSyncPoint answers syncPoint.
class Sample final : public IMediaSample {
  public:
    Sample(std::vector<BYTE> bytes, std::optional<REFERENCE_TIME> start, HRESULT syncPoint = S_OK)
        : bytes_(std::move(bytes)), start_(start), syncPoint_(syncPoint) {}
    UNCOUNTED_IUNKNOWN(IMediaSample)
    STDMETHODIMP GetPointer(BYTE** data) override {
        *data = bytes_.data();
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return static_cast<long>(bytes_.size()); }
    STDMETHODIMP_(long) GetActualDataLength() override { return GetSize(); }
    STDMETHODIMP IsSyncPoint() override { return syncPoint_; }
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
        if (!start_) {
            return VFW_E_SAMPLE_TIME_NOT_SET;
        }
        *start = *start_;
        *stop = *start_ + 1;
        return S_OK;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP IsPreroll() override { return E_NOTIMPL; }
    STDMETHODIMP SetPreroll(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return E_NOTIMPL; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

  private:
    std::vector<BYTE> bytes_;
    const std::optional<REFERENCE_TIME> start_;
    const HRESULT syncPoint_;
};

// The graph as the writer sees it: only its event sink, which keeps what it hears.
class EventGraph final : public IFilterGraph, public IMediaEventSink {
  public:
    struct Event {
        long code;
        LONG_PTR param1;
        LONG_PTR param2;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IMediaEventSink ? static_cast<IMediaEventSink*>(this) : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Notify(long code, LONG_PTR param1, LONG_PTR param2) override {
        events.push_back(Event{code, param1, param2});
        return S_OK;
    }
    STDMETHODIMP AddFilter(IBaseFilter*, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
    STDMETHODIMP FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Reconnect(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; }
};

// The graph's reference clock, reading what the test set.
class ReferenceClock final : public IReferenceClock {
  public:
    REFERENCE_TIME now = 0;
    UNCOUNTED_IUNKNOWN(IReferenceClock)
    STDMETHODIMP GetTime(REFERENCE_TIME* time) override {
        *time = now;
        return S_OK;
    }
    STDMETHODIMP AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Unadvise(DWORD_PTR) override { return E_NOTIMPL; }
};

class ArrivalClock final : public vcx::avi::ArrivalClock {
  public:
    explicit ArrivalClock(const REFERENCE_TIME& now) : now_(now) {}
    REFERENCE_TIME now() override { return now_; }

  private:
    const REFERENCE_TIME& now_;
};

// A media type with its own format block.
struct Type {
    AM_MEDIA_TYPE type{};
    std::vector<BYTE> block;
    static Type video(REFERENCE_TIME interval) {
        VIDEOINFOHEADER info{};
        info.AvgTimePerFrame = interval;
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
        return Type(MEDIATYPE_Video, FORMAT_VideoInfo, &info, sizeof(info));
    }
    static Type audio() { // 8 kHz mono 16-bit: 16000 bytes a second
        WAVEFORMATEX wave{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
        return Type(MEDIATYPE_Audio, FORMAT_WaveFormatEx, &wave, sizeof(wave));
    }
    Type(const GUID& major, const GUID& format, const void* data, std::size_t bytes)
        : block(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes) {
        type.majortype = major;
        type.formattype = format;
        type.cbFormat = static_cast<ULONG>(bytes);
        type.pbFormat = block.data();
    }
    Type(const Type& other)
        : Type(other.type.majortype, other.type.formattype, other.block.data(),
               other.block.size()) {}
};

class AviWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        auto owned = std::make_unique<avitest::MemoryFile>();
        file = owned.get();
        vcx::avi::AviLimits limits;
        limits.bufferBytes = 64;
        ASSERT_EQ(vcx::avi::AviWriter::create(std::move(owned),
                                              std::make_unique<ArrivalClock>(arrival), limits,
                                              IID_IBaseFilter, writer.putVoid()),
                  S_OK);
        ComPtr<IFileSinkFilter> sink;
        ASSERT_EQ(writer->QueryInterface(IID_IFileSinkFilter, sink.putVoid()), S_OK);
        ASSERT_EQ(sink->SetFileName(L"test.avi", nullptr), S_OK);
        ASSERT_EQ(writer->JoinFilterGraph(&graph, L"AVI Writer"), S_OK);
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(writer->FindPin(i == 0 ? L"Input" : L"Input 2", pins[i].put()), S_OK);
            ASSERT_EQ(pins[i]->QueryInterface(IID_IMemInputPin, inputs[i].putVoid()), S_OK);
        }
    }
    void TearDown() override {
        writer->Stop();
        writer->SetSyncSource(nullptr);
        for (const ComPtr<IPin>& pin : pins) {
            pin->Disconnect();
        }
        writer->JoinFilterGraph(nullptr, nullptr);
    }
    HRESULT connect(int pin, const Type& type) {
        return pins[pin]->ReceiveConnection(&upstream, &type.type);
    }
    // A sample of n bytes, each its number, timed or not, into pin.
    HRESULT send(int pin, std::size_t bytes, std::optional<REFERENCE_TIME> start, BYTE seed = 0) {
        std::vector<BYTE> data(bytes);
        std::iota(data.begin(), data.end(), seed);
        Sample sample(std::move(data), start);
        return inputs[pin]->Receive(&sample);
    }
    std::vector<EventGraph::Event> eventsOf(long code) const {
        std::vector<EventGraph::Event> found;
        for (const EventGraph::Event& event : graph.events) {
            if (event.code == code) {
                found.push_back(event);
            }
        }
        return found;
    }

    REFERENCE_TIME arrival = 0;
    avitest::MemoryFile* file = nullptr;
    ComPtr<IBaseFilter> writer;
    ComPtr<IPin> pins[2];
    ComPtr<IMemInputPin> inputs[2];
    EventGraph graph;
    ReferenceClock clock;
    UpstreamPin upstream;
};

struct PinCase {
    const char* name;
    const char* kinds; // v video, a audio, x a type neither takes: into Input, then Input 2
    HRESULT first;
    HRESULT second;
};

class AviWriterPinTest : public AviWriterTest, public testing::WithParamInterface<PinCase> {};

INSTANTIATE_TEST_SUITE_P(Kinds, AviWriterPinTest,
                         testing::Values(PinCase{"VideoThenAudio", "va", S_OK, S_OK},
                                         PinCase{"AudioThenVideo", "av", S_OK, S_OK},
                                         PinCase{"TwoVideos", "vv", S_OK, VFW_E_TYPE_NOT_ACCEPTED},
                                         PinCase{"TwoAudios", "aa", S_OK, VFW_E_TYPE_NOT_ACCEPTED},
                                         PinCase{"NeitherKind", "xv", VFW_E_TYPE_NOT_ACCEPTED,
                                                 S_OK}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviWriterPinTest, EachPinTakesTheKindTheOtherDoesNotCarry) {
    const auto typeOf = [](char kind) {
        return kind == 'v'   ? Type::video(k30)
               : kind == 'a' ? Type::audio()
                             : Type(MEDIATYPE_Stream, FORMAT_None, "", 0);
    };
    EXPECT_EQ(connect(0, typeOf(GetParam().kinds[0])), GetParam().first);
    EXPECT_EQ(connect(1, typeOf(GetParam().kinds[1])), GetParam().second);
}

struct TimingCase {
    const char* name;
    REFERENCE_TIME interval; // the video type's
    bool audio;              // whether the audio pin is connected
    bool graphClock;         // run on a graph clock reading 50 s, stream start 49 s, arrival 7 s
    // What the recording is fed, in order: into the video pin (v) or the
    // audio pin (a, 1600 bytes: 0.1 s), stamped with the time that follows,
    // or unstamped (?) arriving when the arrival clock reads it.
    const char* feeds;
    const char* places; // the video chunks: F a frame, D a drop chunk
    DWORD rate;
    DWORD scale;
    DWORD videoStart;
    DWORD audioStart;
    LONG_PTR jump; // param2 (ms) of the video's one jump event; 0: none
};

class AviWriterTimingTest : public AviWriterTest, public testing::WithParamInterface<TimingCase> {};

INSTANTIATE_TEST_SUITE_P(
    Feeds, AviWriterTimingTest,
    testing::Values(
        TimingCase{"StampedGaps", k30, false, false, "v0 v333333 v1333332", "FFDDF", 10'000'000,
                   333'333, 0, 0, 0},
        TimingCase{"ArrivalsWithoutStamps", k30, false, false, "v5000000? v5333333? v5999999?",
                   "FFDF", 10'000'000, 333'333, 0, 0, 0},
        TimingCase{"RateFromStamps", 0, false, false, "v0 v500000 v1000000", "FFF", 20, 1, 0, 0, 0},
        TimingCase{"JumpPosted", k30, false, false, "v0 v333333 v108000000000", "FFF", 10'000'000,
                   333'333, 0, 0, (3 * kHour - k30) / 10'000},
        // The video waits behind 4 drop chunks, the audio 0.4 frame intervals.
        TimingCase{"AudioFirst", k30, true, false, "a0 v1200000 a1000000", "DDDDF", 10'000'000,
                   333'333, 0, 107, 0},
        // Settled at the end, on the mean interval.
        TimingCase{"AudioFirstRateFromStamps", 0, true, false, "a0 v1200000 v1700000 v2200000",
                   "DDDFFF", 20, 1, 0, 240, 0},
        TimingCase{"VideoFirst", k30, true, false, "v0 a2500000", "F", 10'000'000, 333'333, 0, 2000,
                   0},
        // Unstamped audio arrives at its end: 1600 bytes are 0.1 s.
        TimingCase{"AudioArrivesAtItsEnd", k30, true, false, "a2000000? v1000000", "F", 10'000'000,
                   333'333, 0, 0, 0},
        // Arrival 7 s is stream time 1 s: the unstamped frame at arrival
        // 7.5 s goes with audio stamped 1.5 s.
        TimingCase{"ArrivalsOnStreamTime", k30, true, true, "v7500000? a1500000", "F", 10'000'000,
                   333'333, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviWriterTimingTest, SamplesGoWhereTheirTimesSay) {
    const TimingCase& c = GetParam();
    ASSERT_EQ(connect(0, Type::video(c.interval)), S_OK);
    if (c.audio) {
        ASSERT_EQ(connect(1, Type::audio()), S_OK);
    }
    ASSERT_EQ(writer->Pause(), S_OK);
    if (c.graphClock) {
        clock.now = 50'000'000;
        arrival = 7'000'000;
        ASSERT_EQ(writer->SetSyncSource(&clock), S_OK);
        ASSERT_EQ(writer->Run(49'000'000), S_OK);
    }
    std::size_t audioBytes = 0;
    std::istringstream feeds(c.feeds);
    for (std::string feed; feeds >> feed;) {
        const REFERENCE_TIME time = std::stoll(feed.substr(1));
        const bool stamped = feed.back() != '?';
        arrival = stamped ? arrival : time;
        const std::size_t bytes = feed[0] == 'v' ? 4 : 1600;
        ASSERT_EQ(send(feed[0] == 'v' ? 0 : 1, bytes, stamped ? std::optional(time) : std::nullopt),
                  S_OK);
        audioBytes += feed[0] == 'a' ? bytes : 0;
    }
    ASSERT_EQ(writer->Stop(), S_OK);

    const avitest::ReadAvi read = avitest::readAvi(file->bytes());
    ASSERT_EQ(read.error, "");
    std::string places;
    for (const std::uint32_t size : read.frameSizes) {
        places += size == 0 ? 'D' : 'F';
    }
    EXPECT_EQ(places, c.places);
    ASSERT_EQ(read.streams.size(), c.audio ? 2u : 1u);
    const avitest::ReadStream& video = read.streams[0];
    EXPECT_EQ(video.rate, c.rate);
    EXPECT_EQ(video.scale, c.scale);
    EXPECT_EQ(video.start, c.videoStart);
    if (c.audio) {
        EXPECT_EQ(read.streams[1].start, c.audioStart);
        EXPECT_EQ(avitest::joined(read.streams[1]).size(), audioBytes);
    }
    std::vector<EventGraph::Event> jumps;
    if (c.jump != 0) {
        jumps.push_back(EventGraph::Event{VCX_EVENT_RECORDING_TIME_JUMP, 0, c.jump});
    }
    EXPECT_EQ(eventsOf(VCX_EVENT_RECORDING_TIME_JUMP), jumps);
}

struct EndCase {
    const char* name;
    bool audio;
    const char* ends; // the pins that end their stream, in order
    std::size_t completes;
};

class AviWriterEndTest : public AviWriterTest, public testing::WithParamInterface<EndCase> {};

INSTANTIATE_TEST_SUITE_P(Ends, AviWriterEndTest,
                         testing::Values(EndCase{"VideoOnly", false, "0", 1},
                                         EndCase{"OneOfTwo", true, "1", 0},
                                         EndCase{"Both", true, "10", 1},
                                         EndCase{"OneTwiceThenTheOther", true, "001", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviWriterEndTest, CompleteOnlyWhenEveryConnectedPinEnded) {
    ASSERT_EQ(connect(0, Type::video(k30)), S_OK);
    if (GetParam().audio) {
        ASSERT_EQ(connect(1, Type::audio()), S_OK);
    }
    ASSERT_EQ(writer->Pause(), S_OK);
    for (const char* pin = GetParam().ends; *pin != '\0'; ++pin) {
        EXPECT_EQ(pins[*pin - '0']->EndOfStream(), S_OK);
    }
    if (std::string(GetParam().ends).find('0') == std::string::npos) {
        // The stream that goes on is still recorded.
        EXPECT_EQ(send(0, 4, 0), S_OK);
    }
    EXPECT_EQ(eventsOf(EC_COMPLETE).size(), GetParam().completes);
}

TEST_F(AviWriterTest, AFailedWriteEndsBothStreams) {
    ASSERT_EQ(connect(0, Type::video(k30)), S_OK);
    ASSERT_EQ(connect(1, Type::audio()), S_OK);
    ASSERT_EQ(writer->Pause(), S_OK);
    ASSERT_EQ(send(0, 100, 0, 1), S_OK);
    ASSERT_EQ(send(1, 100, 0, 2), S_OK);
    file->failingWrites = {file->writes()};
    ASSERT_EQ(send(0, 100, k30, 3), HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL));
    EXPECT_EQ(send(1, 100, k30, 4), VFW_E_WRONG_STATE);
    EXPECT_EQ(send(0, 100, 2 * k30, 5), VFW_E_WRONG_STATE);
    const std::vector<EventGraph::Event> aborts = eventsOf(EC_ERRORABORT);
    ASSERT_EQ(aborts.size(), 1u);
    EXPECT_EQ(aborts[0].param1, HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL));
    const avitest::ReadAvi read = avitest::readAvi(file->bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.order, "01");
}

// Without audio, the second pin changes nothing: the file is what the layout
// alone makes of the same frames.
TEST_F(AviWriterTest, WithoutAudioTheFileIsTheSingleStreamFile) {
    ASSERT_EQ(connect(0, Type::video(k30)), S_OK);
    ASSERT_EQ(writer->Pause(), S_OK);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(send(0, 4, i * k30, static_cast<BYTE>(i)), S_OK);
    }
    ASSERT_EQ(writer->Stop(), S_OK);

    avitest::MemoryFile expected;
    vcx::avi::AviLimits limits;
    limits.bufferBytes = 64;
    vcx::avi::AviFile avi(expected, limits);
    ASSERT_EQ(avi.begin(vcx::avi::readVideoStream(Type::video(k30).type)), S_OK);
    for (int i = 0; i < 5; ++i) {
        const BYTE bytes[4] = {static_cast<BYTE>(i), static_cast<BYTE>(i + 1),
                               static_cast<BYTE>(i + 2), static_cast<BYTE>(i + 3)};
        ASSERT_EQ(avi.addFrame(bytes, 4, true), S_OK);
    }
    ASSERT_EQ(avi.finish(), S_OK);
    EXPECT_EQ(file->bytes(), expected.bytes());
}

// MJPG frames in a VIDEOINFOHEADER2 type: recorded as they come, each a key
// frame as its sample says, the stream format the type's BITMAPINFOHEADER.
TEST_F(AviWriterTest, RecordsCompressedVideoInfo2FramesAsTheyCome) {
    VIDEOINFOHEADER2 info{};
    info.AvgTimePerFrame = k30;
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), 64, 48, 1, 24, MAKEFOURCC('M', 'J', 'P', 'G'), 0, 0, 0, 0, 0};
    ASSERT_EQ(connect(0, Type(MEDIATYPE_Video, FORMAT_VideoInfo2, &info, sizeof(info))), S_OK);
    ASSERT_EQ(writer->Pause(), S_OK);
    const std::vector<std::vector<BYTE>> frames = {{0xFF, 0xD8, 1, 0xFF, 0xD9},
                                                   {0xFF, 0xD8, 2, 3, 4, 5, 0xFF, 0xD9},
                                                   {0xFF, 0xD8, 0xFF, 0xD9}};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Sample sample(frames[i], static_cast<REFERENCE_TIME>(i) * k30, i == 1 ? S_FALSE : S_OK);
        EXPECT_EQ(inputs[0]->Receive(&sample), S_OK);
    }
    ASSERT_EQ(writer->Stop(), S_OK);
    const avitest::ReadAvi read = avitest::readAvi(file->bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.frames, frames);
    EXPECT_EQ(read.keyFrames, std::vector<bool>({true, false, true}));
    EXPECT_EQ(read.streams[0].handler, MAKEFOURCC('M', 'J', 'P', 'G'));
    const auto* header = reinterpret_cast<const BYTE*>(&info.bmiHeader);
    EXPECT_EQ(read.streams[0].format, std::vector<BYTE>(header, header + sizeof(BITMAPINFOHEADER)));
}

struct SyncCase {
    const char* name;
    HRESULT answer; // of IsSyncPoint, for the middle one of three frames
    bool keyFrame;
};

class AviWriterSyncTest : public AviWriterTest, public testing::WithParamInterface<SyncCase> {};

INSTANTIATE_TEST_SUITE_P(Answers, AviWriterSyncTest,
                         testing::Values(SyncCase{"SyncPoint", S_OK, true},
                                         SyncCase{"NotASyncPoint", S_FALSE, false},
                                         SyncCase{"Unanswered", E_NOTIMPL, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviWriterSyncTest, OnlySyncPointsAreKeyFrames) {
    ASSERT_EQ(connect(0, Type::video(400'000)), S_OK);
    ASSERT_EQ(writer->Pause(), S_OK);
    int frame = 0;
    for (const HRESULT answer : {S_OK, GetParam().answer, S_OK}) {
        Sample sample({1, 2, 3, 4}, 400'000 * frame++, answer);
        EXPECT_EQ(inputs[0]->Receive(&sample), S_OK);
    }
    ASSERT_EQ(writer->Stop(), S_OK);
    const avitest::ReadAvi read = avitest::readAvi(file->bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.keyFrames, std::vector<bool>({true, GetParam().keyFrame, true}));
}

} // namespace
