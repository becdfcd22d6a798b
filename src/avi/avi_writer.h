// The library's AVI writer: a sink filter that records what its input pins
// receive into an AVI file (see avi_file.h): a video stream, an audio stream,
// or both.
//
// Pins: "Input" and "Input 2", each taking a video type (video_stream.h) or
// an audio type (audio_stream.h), as long as the other pin does not carry the
// same kind: at most one video and one audio stream, connected in any order
// (a capture graph builder renders into the first unconnected input pin).
// A graph without audio leaves "Input 2" unconnected, and records as a
// writer with a single video pin would.
//
// The file is opened when its name is set (created when absent, kept as it
// is otherwise), so that a path that cannot be written fails there. Each
// pause out of the stopped state starts a recording of the connected pins:
// the file is emptied and written from the beginning. Stopping, or releasing
// the filter, completes the file. A sample that arrives while stopped is
// refused. A write that fails ends the recording of both streams: the file
// is completed with the chunks written whole before it, and the graph is
// told with EC_ERRORABORT. The end of the stream on one pin while the other
// goes on ends nothing: EC_COMPLETE is posted once every connected pin has
// ended. A writer released without ever recording deletes the file if it
// created it.
//
// Time (timeline.h): a sample's time is its start time stamp; a sample
// without one takes its arrival on the arrival clock, as stream time: the
// clock reading when the filter ran counts as the graph's reference clock at
// that moment less the run's start (as the run's start when the graph has no
// clock; while paused before running, as the pause). An audio sample's
// arrival is its end, so its start is taken its duration earlier. Video
// frames are placed by their times, with drop chunks for gaps; audio is
// written as it comes. The stream that starts later waits: a recording of
// both begins with kMaxLead of drop chunks reserved for the video, of which
// it keeps as many as its first frame comes after the audio's first sample
// (settled once both have come and the video's interval is known; the rest
// become JUNK), and the audio waits by its header start.
// A time jump is posted as VCX_EVENT_RECORDING_TIME_JUMP (vcxcap.h) once per
// jump.
#pragma once

#include "avi/arrival_clock.h"
#include "avi/avi_file.h"
#include "avi/file_output.h"
#include "avi/timeline.h"

#include "filterbase/filter_base.h"
#include "filterbase/input_pin.h"

#include <windows.h>
#include <dshow.h>

#include <array>
#include <memory>
#include <string>

namespace vcx::avi {

// {607E9A79-F17C-4C44-B79B-A97FBB9D238E}
inline constexpr CLSID kClsidAviWriter = {
    0x607e9a79, 0xf17c, 0x4c44, {0xb7, 0x9b, 0xa9, 0x7f, 0xbb, 0x9d, 0x23, 0x8e}};

class AviWriterPin;

class AviWriter final : public filterbase::FilterBase, public IFileSinkFilter {
  public:
    // Makes a writer that writes through file, with the given layout limits,
    // reads arrivals on clock (the performance counter when not given), and
    // hands it out as iid.
    static HRESULT create(std::unique_ptr<FileOutput> file, const AviLimits& limits, REFIID iid,
                          void** out);
    static HRESULT create(std::unique_ptr<FileOutput> file, std::unique_ptr<ArrivalClock> clock,
                          const AviLimits& limits, REFIID iid, void** out);

    // IUnknown, shared with FilterBase
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IFileSinkFilter. The media type is not used; GetCurFile reports the
    // AVI stream type.
    STDMETHODIMP SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) override;

    // For the input pins, by their number (0 "Input", 1 "Input 2").
    bool acceptsType(std::size_t pin, const AM_MEDIA_TYPE& type);
    HRESULT receive(std::size_t pin, IMediaSample* sample);
    HRESULT endOfStream(std::size_t pin);

  protected:
    ULONG pinCount() const override { return kPins; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void run(REFERENCE_TIME start) override;
    void deactivate() override;
    ULONG miscFlags() const override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    static constexpr std::size_t kPins = 2;
    enum class Kind { kNone, kVideo, kAudio };

    AviWriter(std::unique_ptr<FileOutput> file, std::unique_ptr<ArrivalClock> clock,
              const AviLimits& limits);
    ~AviWriter() override;

    // Which stream a type makes (kNone: the writer takes no such type).
    static Kind kindOf(const AM_MEDIA_TYPE& type);
    // Closes the file, deleting it when this writer created it and never
    // recorded into it. Call with controlLock() held, stopped.
    void closeFile();
    // The sample's time (see above). Call with streamLock_ held.
    // The sample's time; arrived tells whether it is its arrival.
    REFERENCE_TIME sampleTime(IMediaSample* sample, Kind kind, DWORD bytes, bool& arrived);
    HRESULT writeVideo(IMediaSample* sample, const BYTE* data, DWORD bytes, REFERENCE_TIME time,
                       bool arrived);
    HRESULT writeAudio(const BYTE* data, DWORD bytes, REFERENCE_TIME time);
    void reportJump(Kind kind, REFERENCE_TIME step);
    // Settles the video's lead once both streams started and interval
    // (which places the video's frames) is known.
    void settleLead(REFERENCE_TIME interval);
    // Gives the file its timing and completes it. Call with streamLock_ held.
    void finishFile();
    // Ends the recording after a failure: completes the file as far as it
    // goes and tells the graph. Call with streamLock_ held.
    void abandonRecording(HRESULT reason);

    std::unique_ptr<FileOutput> file_;
    std::unique_ptr<ArrivalClock> clock_;
    std::array<std::unique_ptr<AviWriterPin>, kPins> pins_;
    std::wstring fileName_; // empty: no file open
    bool createdFile_ = false;
    bool recorded_ = false;

    // Serialises the recording between the streaming threads and state
    // changes; taken after controlLock(), never before it. The graph's
    // event sink is called with it held (it only queues the event).
    filterbase::CriticalSection streamLock_;
    AviFile avi_;
    // What the recording's pins carry, and which of them ended their stream.
    std::array<Kind, kPins> kinds_{};
    std::array<bool, kPins> ended_{};
    bool completed_ = false;
    // Arrival clock reading of stream time 0.
    REFERENCE_TIME arrivalBase_ = 0;
    VideoTimeline videoTimeline_;
    JumpWatch audioTimes_;
    AudioStream audio_;
    // The graph's event sink while recording; the graph outlives the
    // recording, so it is not counted.
    IMediaEventSink* events_ = nullptr;
};

} // namespace vcx::avi
