// The vcxcam test compressor: a transform filter that takes RGB24
// FORMAT_VideoInfo frames on its input pin and passes them on unchanged, in
// the same type, from its output pin. It offers IAMVfwCompressDialogs, whose
// Config and About dialogs show nothing: the call is recorded under
// HKEY_CURRENT_USER\Software\vcxcam\LastDialog for tests to read.
#pragma once

#include "filterbase/filter_base.h"

#include <windows.h>
#include <dshow.h>

#include <memory>

namespace vcxcam {

class CompressorInputPin;
class CompressorOutputPin;

class CompressorFilter final : public filterbase::FilterBase, public IAMVfwCompressDialogs {
  public:
    // Makes the filter of compressor index.
    static HRESULT create(int index, REFIID iid, void** out);

    // IUnknown, shared with FilterBase
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IAMVfwCompressDialogs
    STDMETHODIMP ShowDialog(int dialog, HWND parent) override;
    STDMETHODIMP GetState(LPVOID state, int* size) override;
    STDMETHODIMP SetState(LPVOID state, int size) override;
    STDMETHODIMP SendDriverMessage(int message, LONG param1, LONG param2) override;

    // For the pins.
    bool acceptsInput(const AM_MEDIA_TYPE& type) const;
    bool acceptsOutput(const AM_MEDIA_TYPE& type) const;
    HRESULT passOn(IMediaSample* sample);
    HRESULT endOfStream();
    // The beginning (true) or end of a flush, passed on downstream.
    HRESULT passFlushOn(bool beginning);

  protected:
    ULONG pinCount() const override { return 2; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void deactivate() override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    explicit CompressorFilter(int index);
    ~CompressorFilter() override;

    std::unique_ptr<CompressorInputPin> input_;
    std::unique_ptr<CompressorOutputPin> output_;
    LONG streaming_ = 0;
};

} // namespace vcxcam
