// A private interface of the MJPEG decoder that reports the frames it
// decoded and the ones it dropped, for the tests. Not part of any DirectShow
// contract.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace vcxcam {

struct DecoderStats {
    ULONGLONG framesDecoded; // frames decoded and delivered downstream
    ULONGLONG framesDropped; // frames it could not read, never delivered
};

// {0B6A4E37-2F1D-4C59-9F0E-5D7C81A3B2C4}
inline constexpr IID kIidDecoderStats = {
    0x0b6a4e37, 0x2f1d, 0x4c59, {0x9f, 0x0e, 0x5d, 0x7c, 0x81, 0xa3, 0xb2, 0xc4}};

struct IDecoderStats : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDecoderStats(DecoderStats* stats) = 0;
};

} // namespace vcxcam
