#include "jpeg_codec.h"

#include "picture.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vcxcam {

JpegEncoder::JpegEncoder() : handle_(tjInitCompress()) {}

JpegEncoder::~JpegEncoder() {
    if (handle_ != nullptr) {
        tjDestroy(handle_);
    }
    tjFree(buffer_);
}

std::size_t JpegEncoder::encode(const std::uint8_t* rgb, int width, int height, std::uint8_t* out,
                                std::size_t capacity) {
    if (handle_ == nullptr) {
        return 0;
    }
    // TurboJPEG writes into a buffer of its own, grown as needed and kept
    // for the next frame: with a buffer of the caller's it does not check
    // the room left.
    unsigned long size = bufferSize_;
    const int flags = height > 0 ? TJFLAG_BOTTOMUP : 0;
    const int failed =
        tjCompress2(handle_, rgb, width, static_cast<int>(rowStride(width)), std::abs(height),
                    TJPF_BGR, &buffer_, &size, TJSAMP_422, kJpegQuality, flags);
    if (buffer_ != nullptr) {
        bufferSize_ = std::max(bufferSize_, size);
    }
    if (failed != 0 || size > capacity) {
        return 0;
    }
    std::memcpy(out, buffer_, size);
    return size;
}

JpegDecoder::JpegDecoder() : handle_(tjInitDecompress()) {}

JpegDecoder::~JpegDecoder() {
    if (handle_ != nullptr) {
        tjDestroy(handle_);
    }
}

bool JpegDecoder::decode(const std::uint8_t* jpeg, std::size_t size, int width, int height,
                         std::uint8_t* rgb) {
    int jpegWidth = 0;
    int jpegHeight = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (handle_ == nullptr ||
        tjDecompressHeader3(handle_, jpeg, static_cast<unsigned long>(size), &jpegWidth,
                            &jpegHeight, &subsampling, &colourspace) != 0 ||
        jpegWidth != width || jpegHeight != height) {
        return false;
    }
    return tjDecompress2(handle_, jpeg, static_cast<unsigned long>(size), rgb, width,
                         static_cast<int>(rowStride(width)), height, TJPF_BGR,
                         TJFLAG_BOTTOMUP | TJFLAG_STOPONWARNING) == 0;
}

} // namespace vcxcam
