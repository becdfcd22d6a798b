// RGB24 video media types: built from a capability, and read back into one.
#pragma once

#include "capability.h"
#include "filterbase/media_type.h"

#include <optional>

namespace vcxcam {

// MEDIATYPE_Video / MEDIASUBTYPE_RGB24 with a VIDEOINFOHEADER (or a
// VIDEOINFOHEADER2 for a vi2 capability) describing cap exactly.
HRESULT makeVideoType(const Capability& cap, filterbase::MediaType& out);

// The capability a well-formed RGB24 video type describes: Video/RGB24,
// FORMAT_VideoInfo or FORMAT_VideoInfo2 with a format block of the right
// size, 24 bits per pixel, BI_RGB, a width and height within kMaxDimension
// (width positive, height nonzero). The frame interval is AvgTimePerFrame as
// given, which may be zero or negative. imageSize, when given, receives
// biSizeImage, which is not checked.
std::optional<Capability> readVideoType(const AM_MEDIA_TYPE& type, DWORD* imageSize = nullptr);

} // namespace vcxcam
