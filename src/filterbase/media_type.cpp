#include "filterbase/media_type.h"

#include <cstring>
#include <utility>

namespace filterbase {

void freeMediaTypeFields(AM_MEDIA_TYPE& type, TaskMemFree freeMemory) {
    if (type.cbFormat != 0 || type.pbFormat != nullptr) {
        freeMemory(type.pbFormat);
        type.pbFormat = nullptr;
        type.cbFormat = 0;
    }
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

HRESULT copyMediaType(AM_MEDIA_TYPE& dst, const AM_MEDIA_TYPE& src) {
    dst = src;
    dst.pbFormat = nullptr;
    dst.cbFormat = 0;
    if (src.cbFormat != 0 && src.pbFormat != nullptr) {
        dst.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src.cbFormat));
        if (dst.pbFormat == nullptr) {
            dst.pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dst.pbFormat, src.pbFormat, src.cbFormat);
        dst.cbFormat = src.cbFormat;
    }
    if (dst.pUnk != nullptr) {
        dst.pUnk->AddRef();
    }
    return S_OK;
}

bool sameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
           a.cbFormat == b.cbFormat &&
           (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

AM_MEDIA_TYPE* createMediaTypeCopy(const AM_MEDIA_TYPE& src) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (type == nullptr) {
        return nullptr;
    }
    if (FAILED(copyMediaType(*type, src))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

void deleteMediaType(AM_MEDIA_TYPE* type, TaskMemFree freeMemory) {
    if (type != nullptr) {
        freeMediaTypeFields(*type, freeMemory);
        freeMemory(type);
    }
}

MediaType::MediaType(MediaType&& other) noexcept
    : type_(std::exchange(other.type_, AM_MEDIA_TYPE{})) {}

MediaType& MediaType::operator=(MediaType&& other) noexcept {
    if (this != &other) {
        freeMediaTypeFields(type_);
        type_ = std::exchange(other.type_, AM_MEDIA_TYPE{});
    }
    return *this;
}

HRESULT MediaType::copyFrom(const AM_MEDIA_TYPE& src) {
    AM_MEDIA_TYPE copy{};
    const HRESULT hr = copyMediaType(copy, src);
    if (FAILED(hr)) {
        return hr;
    }
    freeMediaTypeFields(type_);
    type_ = copy;
    return S_OK;
}

void MediaType::reset() {
    freeMediaTypeFields(type_);
    type_ = AM_MEDIA_TYPE{};
}

void MediaType::adopt(AM_MEDIA_TYPE& src) {
    freeMediaTypeFields(type_);
    type_ = std::exchange(src, AM_MEDIA_TYPE{});
}

} // namespace filterbase
