#include "converter_filter.h"

#include "colour_conversion.h"
#include "ids.h"
#include "picture.h"
#include "video_type.h"

#include <vfwmsgs.h>

namespace vcxcam {

HRESULT ConverterFilter::create(int, REFIID iid, void** out) {
    return filterbase::createFilter([] { return new ConverterFilter(); }, iid, out);
}

ConverterFilter::ConverterFilter() : TransformFilter(kConverterClsid) {}

bool ConverterFilter::takesInput(const AM_MEDIA_TYPE& type) const {
    DWORD imageSize = 0;
    const std::optional<Capability> format = readVideoType(type, &imageSize);
    const bool convertible =
        format && (format->subtype == Subtype::Yuy2 || format->subtype == Subtype::Nv12 ||
                   (format->subtype == Subtype::Rgb24 && format->videoInfo2));
    return convertible && (imageSize == 0 ||
                           imageSize == frameBytes(format->subtype, format->width, format->height));
}

HRESULT ConverterFilter::outputTypeFor(const AM_MEDIA_TYPE& input,
                                       filterbase::MediaType& output) const {
    // YUY2 and NV12 heights are positive: a bottom-up picture of the same
    // rows; an RGB24 picture keeps its rows as they are.
    return makeRgb24TypeFor(input, output);
}

long ConverterFilter::outputSampleBytes(const AM_MEDIA_TYPE& output) const {
    return videoSampleBytes(output);
}

HRESULT ConverterFilter::transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length,
                                   BYTE* to, long toSize, long& written) {
    const std::optional<Capability> format = readVideoType(input);
    if (!format) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const std::size_t inBytes = frameBytes(format->subtype, format->width, format->height);
    const std::size_t outBytes = frameSize(format->width, format->height);
    if (length < 0 || static_cast<std::size_t>(length) < inBytes) {
        return E_INVALIDARG;
    }
    if (toSize < 0 || static_cast<std::size_t>(toSize) < outBytes) {
        return VFW_E_BUFFER_OVERFLOW;
    }
    convertToRgb24(format->subtype, from, format->width, format->height, to);
    written = static_cast<long>(outBytes);
    return S_OK;
}

} // namespace vcxcam
