#include "compressor_filter.h"

#include "ids.h"
#include "picture.h"
#include "registry.h"
#include "video_type.h"

#include <vfwmsgs.h>

#include <cstring>

namespace vcxcam {

HRESULT CompressorFilter::create(int index, REFIID iid, void** out) {
    return filterbase::createFilter([index] { return new CompressorFilter(index); }, iid, out);
}

CompressorFilter::CompressorFilter(int index) : TransformFilter(compressorClsid(index)) {}

STDMETHODIMP CompressorFilter::QueryInterface(REFIID iid, void** out) {
    return TransformFilter::QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) CompressorFilter::AddRef() {
    return TransformFilter::AddRef();
}

STDMETHODIMP_(ULONG) CompressorFilter::Release() {
    return TransformFilter::Release();
}

HRESULT CompressorFilter::queryExtraInterface(REFIID iid, void** out) {
    if (iid == IID_IAMVfwCompressDialogs) {
        *out = static_cast<IAMVfwCompressDialogs*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

bool CompressorFilter::takesInput(const AM_MEDIA_TYPE& type) const {
    DWORD imageSize = 0;
    const std::optional<Capability> format = readVideoType(type, &imageSize);
    return type.formattype == FORMAT_VideoInfo && format && format->subtype == Subtype::Rgb24 &&
           (imageSize == 0 || imageSize == frameSize(format->width, format->height));
}

HRESULT CompressorFilter::outputTypeFor(const AM_MEDIA_TYPE& input,
                                        filterbase::MediaType& output) const {
    // Frames go through unchanged, in the type they came in.
    return output.copyFrom(input);
}

long CompressorFilter::outputSampleBytes(const AM_MEDIA_TYPE& output) const {
    return videoSampleBytes(output);
}

HRESULT CompressorFilter::transform(const AM_MEDIA_TYPE&, const BYTE* from, long length, BYTE* to,
                                    long toSize, long& written) {
    if (toSize < length) {
        return VFW_E_BUFFER_OVERFLOW;
    }
    written = length > 0 ? length : 0;
    std::memcpy(to, from, static_cast<std::size_t>(written));
    return S_OK;
}

STDMETHODIMP CompressorFilter::ShowDialog(int dialog, HWND parent) {
    switch (dialog) {
    case VfwCompressDialog_QueryConfig:
    case VfwCompressDialog_QueryAbout:
        return S_OK;
    case VfwCompressDialog_Config:
    case VfwCompressDialog_About: {
        // No dialog: the call is recorded for whoever wants to know.
        LSTATUS status = ERROR_SUCCESS;
        const RegKey key = RegKey::create(HKEY_CURRENT_USER, kLastDialogKey, &status);
        if (key) {
            status = key.writeDword(L"Dialog", static_cast<DWORD>(dialog));
        }
        if (status == ERROR_SUCCESS) {
            status = key.writeQword(L"Window",
                                    static_cast<ULONGLONG>(reinterpret_cast<UINT_PTR>(parent)));
        }
        return HRESULT_FROM_WIN32(status);
    }
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP CompressorFilter::GetState(LPVOID, int*) {
    return E_NOTIMPL;
}

STDMETHODIMP CompressorFilter::SetState(LPVOID, int) {
    return E_NOTIMPL;
}

STDMETHODIMP CompressorFilter::SendDriverMessage(int, LONG, LONG) {
    return E_NOTIMPL;
}

} // namespace vcxcam
