// The vcxcam MJPEG decoder: a transform filter that takes MJPG frames
// (FORMAT_VideoInfo or FORMAT_VideoInfo2) on its input pin and delivers them
// as bottom-up RGB24 FORMAT_VideoInfo frames of the same size and frame
// interval, decompressed by jpeg_codec.h. A frame it cannot read in full is
// dropped and counted, never delivered. It is registered in the DirectShow
// filter category at a low merit, so that a graph builder connecting an MJPG
// camera to an RGB24-only filter puts it between where the platform has no
// MJPEG decompressor of its own (Wine).
#pragma once

#include "decoder_stats.h"
#include "jpeg_codec.h"

#include "filterbase/transform_filter.h"

#include <atomic>

namespace vcxcam {

class MjpegDecoder final : public filterbase::TransformFilter, public IDecoderStats {
  public:
    // Makes a decoder (there is one kind; index is not used).
    static HRESULT create(int index, REFIID iid, void** out);

    // IUnknown, shared with the filter
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDecoderStats
    STDMETHODIMP GetDecoderStats(DecoderStats* stats) override;

  protected:
    bool takesInput(const AM_MEDIA_TYPE& type) const override;
    HRESULT outputTypeFor(const AM_MEDIA_TYPE& input, filterbase::MediaType& output) const override;
    long outputSampleBytes(const AM_MEDIA_TYPE& output) const override;
    HRESULT transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length, BYTE* to,
                      long toSize, long& written) override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    MjpegDecoder();
    ~MjpegDecoder() override = default;

    JpegDecoder jpeg_; // used on the streaming thread only
    std::atomic<ULONGLONG> decoded_{0};
    std::atomic<ULONGLONG> dropped_{0};
};

} // namespace vcxcam
