#include "mjpeg_decoder.h"

#include "ids.h"
#include "picture.h"
#include "video_type.h"

#include <vfwmsgs.h>

namespace vcxcam {

HRESULT MjpegDecoder::create(int, REFIID iid, void** out) {
    return filterbase::createFilter([] { return new MjpegDecoder(); }, iid, out);
}

MjpegDecoder::MjpegDecoder() : TransformFilter(kMjpegDecoderClsid) {}

STDMETHODIMP MjpegDecoder::QueryInterface(REFIID iid, void** out) {
    return TransformFilter::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) MjpegDecoder::AddRef() {
    return TransformFilter::AddRef();
}

STDMETHODIMP_(ULONG) MjpegDecoder::Release() {
    return TransformFilter::Release();
}

HRESULT MjpegDecoder::queryExtraInterface(REFIID iid, void** out) {
    if (iid != kIidDecoderStats) {
        return E_NOINTERFACE;
    }
    *out = static_cast<IDecoderStats*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP MjpegDecoder::GetDecoderStats(DecoderStats* stats) {
    if (stats == nullptr) {
        return E_POINTER;
    }
    stats->framesDecoded = decoded_.load();
    stats->framesDropped = dropped_.load();
    return S_OK;
}

bool MjpegDecoder::takesInput(const AM_MEDIA_TYPE& type) const {
    const std::optional<Capability> format = readVideoType(type);
    return format && format->subtype == Subtype::Mjpg;
}

HRESULT MjpegDecoder::outputTypeFor(const AM_MEDIA_TYPE& input,
                                    filterbase::MediaType& output) const {
    // MJPG heights are positive: a bottom-up picture of the same rows.
    return makeRgb24TypeFor(input, output);
}

long MjpegDecoder::outputSampleBytes(const AM_MEDIA_TYPE& output) const {
    return videoSampleBytes(output);
}

HRESULT MjpegDecoder::transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length, BYTE* to,
                                long toSize, long& written) {
    const std::optional<Capability> format = readVideoType(input);
    if (!format) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const std::size_t outBytes = frameSize(format->width, format->height);
    if (toSize < 0 || static_cast<std::size_t>(toSize) < outBytes) {
        return VFW_E_BUFFER_OVERFLOW;
    }
    if (length <= 0 ||
        !jpeg_.decode(from, static_cast<std::size_t>(length), format->width, format->height, to)) {
        ++dropped_;
        return S_FALSE;
    }
    ++decoded_;
    written = static_cast<long>(outBytes);
    return S_OK;
}

} // namespace vcxcam
