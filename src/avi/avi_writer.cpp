#include "avi/avi_writer.h"

#include "core/com_ptr.h"
#include "vcxcap.h"

#include <vfwmsgs.h>

#include <climits>
#include <cwchar>
#include <new>

namespace vcx::avi {

// An input pin of the writer: takes what the writer takes on it.
class AviWriterPin final : public filterbase::InputPin {
  public:
    AviWriterPin(AviWriter& writer, std::size_t number, std::wstring name)
        : InputPin(writer, std::move(name)), writer_(writer), number_(number) {}

  protected:
    bool acceptsType(const AM_MEDIA_TYPE& type) override {
        return writer_.acceptsType(number_, type);
    }
    HRESULT receive(IMediaSample* sample) override { return writer_.receive(number_, sample); }
    HRESULT endOfStream() override { return writer_.endOfStream(number_); }

  private:
    AviWriter& writer_;
    const std::size_t number_;
};

HRESULT AviWriter::create(std::unique_ptr<FileOutput> file, const AviLimits& limits, REFIID iid,
                          void** out) {
    return create(std::move(file), createPerformanceClock(), limits, iid, out);
}

HRESULT AviWriter::create(std::unique_ptr<FileOutput> file, std::unique_ptr<ArrivalClock> clock,
                          const AviLimits& limits, REFIID iid, void** out) {
    if (!file || !clock) {
        if (out != nullptr) {
            *out = nullptr;
        }
        return E_OUTOFMEMORY;
    }
    return filterbase::createFilter(
        [&file, &clock, &limits] {
            return new AviWriter(std::move(file), std::move(clock), limits);
        },
        iid, out);
}

AviWriter::AviWriter(std::unique_ptr<FileOutput> file, std::unique_ptr<ArrivalClock> clock,
                     const AviLimits& limits)
    : FilterBase(kClsidAviWriter), file_(std::move(file)), clock_(std::move(clock)),
      avi_(*file_, limits) {
    pins_[0] = std::make_unique<AviWriterPin>(*this, 0, L"Input");
    pins_[1] = std::make_unique<AviWriterPin>(*this, 1, L"Input 2");
}

AviWriter::~AviWriter() {
    Stop();
    filterbase::Locked lock(controlLock());
    closeFile();
}

STDMETHODIMP AviWriter::QueryInterface(REFIID iid, void** out) {
    return FilterBase::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) AviWriter::AddRef() {
    return FilterBase::AddRef();
}

STDMETHODIMP_(ULONG) AviWriter::Release() {
    return FilterBase::Release();
}

HRESULT AviWriter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == IID_IFileSinkFilter) {
        *out = static_cast<IFileSinkFilter*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

IPin* AviWriter::pinAt(ULONG index) const {
    return index < kPins ? pins_[index].get() : nullptr;
}

AviWriter::Kind AviWriter::kindOf(const AM_MEDIA_TYPE& type) {
    if (readVideoStream(type)) {
        return Kind::kVideo;
    }
    return readAudioStream(type) ? Kind::kAudio : Kind::kNone;
}

bool AviWriter::acceptsType(std::size_t pin, const AM_MEDIA_TYPE& type) {
    try {
        const Kind kind = kindOf(type);
        const AviWriterPin& other = *pins_[1 - pin];
        return kind != Kind::kNone &&
               !(other.isConnected() && kindOf(other.connectionType()) == kind);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void AviWriter::closeFile() {
    if (fileName_.empty()) {
        return;
    }
    file_->close();
    if (createdFile_ && !recorded_) {
        file_->remove(fileName_.c_str());
    }
    fileName_.clear();
}

STDMETHODIMP AviWriter::SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (fileName == nullptr) {
        return E_POINTER;
    }
    if (*fileName == L'\0') {
        return E_INVALIDARG;
    }
    filterbase::Locked lock(controlLock());
    if (state() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    std::wstring name;
    try {
        name = fileName;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    closeFile();
    bool created = false;
    const HRESULT hr = file_->open(name.c_str(), &created);
    if (FAILED(hr)) {
        return hr;
    }
    fileName_ = std::move(name);
    createdFile_ = created;
    recorded_ = false;
    return S_OK;
}

STDMETHODIMP AviWriter::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) {
    if (fileName == nullptr) {
        return E_POINTER;
    }
    *fileName = nullptr;
    filterbase::Locked lock(controlLock());
    if (fileName_.empty()) {
        return E_FAIL;
    }
    const std::size_t bytes = (fileName_.size() + 1) * sizeof(wchar_t);
    *fileName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*fileName == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::wmemcpy(*fileName, fileName_.c_str(), fileName_.size() + 1);
    if (type != nullptr) {
        *type = AM_MEDIA_TYPE{};
        type->majortype = MEDIATYPE_Stream;
        type->subtype = MEDIASUBTYPE_Avi;
        type->bFixedSizeSamples = TRUE;
        type->lSampleSize = 1;
    }
    return S_OK;
}

HRESULT AviWriter::activate() {
    std::array<Kind, kPins> kinds{};
    std::optional<VideoStream> video;
    std::optional<AudioStream> audio;
    try {
        // Accepted when connected, so each reads as one kind or the other.
        for (std::size_t i = 0; i < kPins; ++i) {
            if (!pins_[i]->isConnected()) {
                continue;
            }
            const AM_MEDIA_TYPE& type = pins_[i]->connectionType();
            if (std::optional<VideoStream> read = readVideoStream(type)) {
                video = std::move(read);
                kinds[i] = Kind::kVideo;
            } else {
                audio = readAudioStream(type);
                kinds[i] = Kind::kAudio;
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!video && !audio) {
        return S_OK;
    }
    if (fileName_.empty()) {
        return E_UNEXPECTED;
    }
    vcx::ComPtr<IMediaEventSink> events;
    if (graph() != nullptr) {
        graph()->QueryInterface(IID_IMediaEventSink, events.putVoid());
    }
    filterbase::Locked lock(streamLock_);
    recorded_ = true;
    events_ = events.get();
    kinds_ = kinds;
    ended_ = {};
    completed_ = false;
    arrivalBase_ = clock_->now();
    videoTimeline_ = VideoTimeline(video ? video->frameInterval : 0);
    audioTimes_ = JumpWatch();
    audio_ = audio ? *audio : AudioStream{};
    HRESULT hr = avi_.begin(video, audio);
    if (SUCCEEDED(hr) && video && audio) {
        const REFERENCE_TIME interval =
            video->frameInterval != 0 ? video->frameInterval : kDefaultFrameInterval;
        hr = avi_.reserveVideoLead(static_cast<DWORD>((kMaxLead + interval - 1) / interval));
    }
    if (FAILED(hr)) {
        // A failed pause can leave a graph that cannot be released on some
        // platforms: the graph hears of the failure as an event instead.
        abandonRecording(hr);
    }
    return S_OK;
}

void AviWriter::run(REFERENCE_TIME start) {
    const REFERENCE_TIME arrival = clock_->now();
    vcx::ComPtr<IReferenceClock> reference;
    *reference.put() = clockRef();
    REFERENCE_TIME clockTime = 0;
    REFERENCE_TIME streamTime = 0;
    if (reference && SUCCEEDED(reference->GetTime(&clockTime))) {
        streamTime = clockTime - start;
    }
    filterbase::Locked lock(streamLock_);
    arrivalBase_ = arrival - streamTime;
}

void AviWriter::deactivate() {
    filterbase::Locked lock(streamLock_);
    finishFile();
    events_ = nullptr;
}

void AviWriter::finishFile() {
    if (!avi_.recording()) {
        return;
    }
    const REFERENCE_TIME interval = videoTimeline_.headerInterval();
    StreamStarts starts;
    if (videoTimeline_.started() && audioTimes_.started()) {
        settleLead(interval);
        starts =
            streamStarts(videoTimeline_.firstTime(), interval, audioTimes_.firstTime(),
                         audio_.blockAlign, audio_.bytesPerSecond, avi_.videoLead().value_or(0));
    }
    avi_.setVideoTiming(interval, starts.videoFrames);
    avi_.setAudioStart(starts.audioBlocks);
    avi_.finish();
}

void AviWriter::abandonRecording(HRESULT reason) {
    finishFile();
    if (events_ != nullptr) {
        events_->Notify(EC_ERRORABORT, reason, 0);
    }
}

REFERENCE_TIME AviWriter::sampleTime(IMediaSample* sample, Kind kind, DWORD bytes, bool& arrived) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const HRESULT hr = sample->GetTime(&start, &stop);
    arrived = hr != S_OK && hr != VFW_S_NO_STOP_TIME;
    if (!arrived) {
        return start;
    }
    REFERENCE_TIME arrival = clock_->now() - arrivalBase_;
    if (kind == Kind::kAudio) {
        arrival -= static_cast<REFERENCE_TIME>(static_cast<double>(bytes) * 1e7 /
                                               static_cast<double>(audio_.bytesPerSecond));
    }
    return arrival;
}

void AviWriter::settleLead(REFERENCE_TIME interval) {
    if (videoTimeline_.started() && audioTimes_.started() && interval != 0) {
        avi_.settleVideoLead(
            videoLead(videoTimeline_.firstTime(), interval, audioTimes_.firstTime()));
    }
}

void AviWriter::reportJump(Kind kind, REFERENCE_TIME step) {
    if (events_ == nullptr) {
        return;
    }
    const REFERENCE_TIME ms = step / 10'000;
    const LONG_PTR clamped = ms > INT_MAX ? INT_MAX : ms < INT_MIN ? INT_MIN : ms;
    events_->Notify(VCX_EVENT_RECORDING_TIME_JUMP, kind == Kind::kVideo ? 0 : 1, clamped);
}

HRESULT AviWriter::writeVideo(IMediaSample* sample, const BYTE* data, DWORD bytes,
                              REFERENCE_TIME time, bool arrived) {
    const VideoTimeline::Placement placement = videoTimeline_.place(time, arrived);
    if (placement.jump) {
        reportJump(Kind::kVideo, *placement.jump);
    }
    HRESULT hr = S_OK;
    for (ULONGLONG i = 0; i < placement.drops && SUCCEEDED(hr); ++i) {
        hr = avi_.addDropFrame();
    }
    if (SUCCEEDED(hr)) {
        hr = avi_.addFrame(data, bytes, sample->IsSyncPoint() == S_OK);
    }
    return hr;
}

HRESULT AviWriter::writeAudio(const BYTE* data, DWORD bytes, REFERENCE_TIME time) {
    if (const std::optional<REFERENCE_TIME> jump = audioTimes_.next(time)) {
        reportJump(Kind::kAudio, *jump);
    }
    return avi_.addAudio(data, bytes);
}

HRESULT AviWriter::receive(std::size_t pin, IMediaSample* sample) {
    filterbase::Locked lock(streamLock_);
    if (!avi_.recording()) {
        return VFW_E_WRONG_STATE;
    }
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (SUCCEEDED(hr)) {
        const long length = sample->GetActualDataLength();
        const DWORD bytes = length > 0 ? static_cast<DWORD>(length) : 0;
        const Kind kind = kinds_[pin];
        bool arrived = false;
        const REFERENCE_TIME time = sampleTime(sample, kind, bytes, arrived);
        hr = kind == Kind::kVideo ? writeVideo(sample, data, bytes, time, arrived)
                                  : writeAudio(data, bytes, time);
        settleLead(videoTimeline_.placingInterval());
    }
    if (FAILED(hr)) {
        abandonRecording(hr);
    }
    return hr;
}

HRESULT AviWriter::endOfStream(std::size_t pin) {
    filterbase::Locked lock(streamLock_);
    ended_[pin] = true;
    for (std::size_t i = 0; i < kPins; ++i) {
        if (kinds_[i] != Kind::kNone && !ended_[i]) {
            return S_OK;
        }
    }
    if (events_ != nullptr && !completed_) {
        completed_ = true;
        events_->Notify(EC_COMPLETE, S_OK,
                        reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    }
    return S_OK;
}

} // namespace vcx::avi
