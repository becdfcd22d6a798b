// The vcxcam test compressor: a transform filter that takes RGB24
// FORMAT_VideoInfo frames on its input pin and passes them on unchanged, in
// the same type, from its output pin. It offers IAMVfwCompressDialogs, whose
// Config and About dialogs show nothing: the call is recorded under
// HKEY_CURRENT_USER\Software\vcxcam\LastDialog for tests to read.
#pragma once

#include "filterbase/transform_filter.h"

#include <windows.h>
#include <dshow.h>

namespace vcxcam {

class CompressorFilter final : public filterbase::TransformFilter, public IAMVfwCompressDialogs {
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

  protected:
    bool takesInput(const AM_MEDIA_TYPE& type) const override;
    HRESULT outputTypeFor(const AM_MEDIA_TYPE& input, filterbase::MediaType& output) const override;
    long outputSampleBytes(const AM_MEDIA_TYPE& output) const override;
    HRESULT transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length, BYTE* to,
                      long toSize, long& written) override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    explicit CompressorFilter(int index);
    ~CompressorFilter() override = default;
};

} // namespace vcxcam
