// The JPEG frames of the MJPG subtype, through libjpeg-turbo's TurboJPEG API
// (built from Debian's source by scripts/libjpeg.sh): the camera compresses
// its RGB24 test picture, the MJPEG decoder decompresses a frame into RGB24.
// Both keep a TurboJPEG instance and are used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcxcam {

// The quality and chroma subsampling (4:2:2, as webcams send MJPG) of the
// camera's frames. The same picture always compresses into the same bytes.
constexpr int kJpegQuality = 90;

class JpegEncoder {
  public:
    JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;
    ~JpegEncoder();

    // Compresses the width x |height| RGB24 picture rgb (bottom-up for a
    // positive height, rows padded to 4 bytes) into out, which holds capacity
    // bytes: the JPEG's length, or 0 when it does not fit or cannot be made.
    std::size_t encode(const std::uint8_t* rgb, int width, int height, std::uint8_t* out,
                       std::size_t capacity);

  private:
    void* handle_;
    unsigned char* buffer_ = nullptr; // the codec's own, kept between frames
    unsigned long bufferSize_ = 0;
};

class JpegDecoder {
  public:
    JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
    ~JpegDecoder();

    // Decompresses the JPEG of size bytes at jpeg into the width x height
    // RGB24 picture rgb (bottom-up, height positive, rows padded to 4 bytes).
    // False, with rgb in any state, for a frame it cannot read in full: not
    // a JPEG, of another size, cut short or damaged (a warning of the codec
    // counts as a failure).
    bool decode(const std::uint8_t* jpeg, std::size_t size, int width, int height,
                std::uint8_t* rgb);

  private:
    void* handle_;
};

} // namespace vcxcam
