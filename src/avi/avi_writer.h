// The library's AVI writer: a sink filter with one video input pin that
// records what it receives into an AVI file (see avi_file.h).
//
// The file is opened when its name is set (created when absent, kept as it
// is otherwise), so that a path that cannot be written fails there. Each
// pause out of the stopped state starts a recording: the file is emptied and
// written from the beginning. Stopping, or releasing the filter, completes
// the file. A frame that arrives while stopped is refused. A write that fails
// ends the recording: the file is completed with the frames written whole
// before it, and the graph is told with EC_ERRORABORT. A writer released
// without ever recording deletes the file if it created it.
#pragma once

#include "avi/avi_file.h"
#include "avi/file_output.h"

#include "filterbase/filter_base.h"
#include "filterbase/input_pin.h"

#include <windows.h>
#include <dshow.h>

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
    // and hands it out as iid.
    static HRESULT create(std::unique_ptr<FileOutput> file, const AviLimits& limits, REFIID iid,
                          void** out);

    // IUnknown, shared with FilterBase
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IFileSinkFilter. The media type is not used; GetCurFile reports the
    // AVI stream type.
    STDMETHODIMP SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) override;

    // For the input pin.
    HRESULT receive(IMediaSample* sample);
    HRESULT endOfStream();

  protected:
    ULONG pinCount() const override { return 1; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void deactivate() override;
    ULONG miscFlags() const override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    AviWriter(std::unique_ptr<FileOutput> file, const AviLimits& limits);
    ~AviWriter() override;

    // Closes the file, deleting it when this writer created it and never
    // recorded into it. Call with controlLock() held, stopped.
    void closeFile();
    // Ends the recording after a failure: completes the file as far as it
    // goes and tells the graph. Call with streamLock_ held.
    void abandonRecording(HRESULT reason);

    std::unique_ptr<FileOutput> file_;
    std::unique_ptr<AviWriterPin> pin_;
    std::wstring fileName_; // empty: no file open
    bool createdFile_ = false;
    bool recorded_ = false;

    // Serialises the recording between the streaming thread and state
    // changes; taken after controlLock(), never before it. The graph's
    // event sink is called with it held (it only queues the event).
    filterbase::CriticalSection streamLock_;
    AviFile avi_;
    // The graph's event sink while recording; the graph outlives the
    // recording, so it is not counted.
    IMediaEventSink* events_ = nullptr;
};

} // namespace vcx::avi
