// Video media types of the camera's subtypes (RGB24, YUY2, NV12): built from
// a capability, and read back into one.
#pragma once

#include "capability.h"
#include "filterbase/media_type.h"

#include <optional>

namespace vcxcam {

// MEDIATYPE_Video and cap's subtype with a VIDEOINFOHEADER (or a
// VIDEOINFOHEADER2 for a vi2 capability) describing cap exactly: its FourCC
// and bit count, biSizeImage = lSampleSize = frameBytes.
HRESULT makeVideoType(const Capability& cap, filterbase::MediaType& out);

// The capability a well-formed video type of one of the subtypes describes:
// Video and the subtype, FORMAT_VideoInfo or FORMAT_VideoInfo2 with a format
// block of the right size, the subtype's bit count and compression, a width
// and height within kMaxDimension (width positive, height nonzero) that the
// subtype can hold. The frame interval is AvgTimePerFrame as given, which may
// be zero or negative. imageSize, when given, receives biSizeImage, which is
// not checked.
std::optional<Capability> readVideoType(const AM_MEDIA_TYPE& type, DWORD* imageSize = nullptr);

// Bytes one frame of a type readVideoType reads holds (frameBytes of its
// subtype and size); 0 for any other type.
long videoSampleBytes(const AM_MEDIA_TYPE& type);

// The RGB24 FORMAT_VideoInfo type a transform delivers for input: its width,
// height (the sign kept, so that rows stay where they are) and frame
// interval. VFW_E_TYPE_NOT_ACCEPTED for a type readVideoType does not read.
HRESULT makeRgb24TypeFor(const AM_MEDIA_TYPE& input, filterbase::MediaType& out);

} // namespace vcxcam
