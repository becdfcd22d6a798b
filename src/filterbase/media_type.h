// Ownership of AM_MEDIA_TYPE: every format block is CoTaskMemAlloc'd, as
// DirectShow expects of types handed across interfaces.
#pragma once

#include <windows.h>
#include <strmif.h>

namespace filterbase {

// How task memory is given back: CoTaskMemFree, or a stand-in of a caller
// that reaches the system through a table of its own.
using TaskMemFree = void(WINAPI*)(LPVOID memory);

// Frees what a type owns (format block, pUnk) and clears those fields. A
// type without a format block makes no call to freeMemory.
void freeMediaTypeFields(AM_MEDIA_TYPE& type, TaskMemFree freeMemory = CoTaskMemFree);

// Deep-copies src into dst, which owns nothing yet.
HRESULT copyMediaType(AM_MEDIA_TYPE& dst, const AM_MEDIA_TYPE& src);

// A CoTaskMemAlloc'd deep copy, as IEnumMediaTypes::Next and
// IAMStreamConfig::GetFormat hand out; null when out of memory.
AM_MEDIA_TYPE* createMediaTypeCopy(const AM_MEDIA_TYPE& src);

// Frees a type from createMediaTypeCopy (or from the platform), structure included.
void deleteMediaType(AM_MEDIA_TYPE* type, TaskMemFree freeMemory = CoTaskMemFree);

// Whether two types have the same major type, subtype and format type and
// format blocks of the same bytes.
bool sameMediaType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

// An owned AM_MEDIA_TYPE. Copies go through copyFrom, which can fail.
class MediaType {
  public:
    MediaType() = default;
    MediaType(const MediaType&) = delete;
    MediaType& operator=(const MediaType&) = delete;
    MediaType(MediaType&& other) noexcept;
    MediaType& operator=(MediaType&& other) noexcept;
    ~MediaType() { freeMediaTypeFields(type_); }

    HRESULT copyFrom(const AM_MEDIA_TYPE& src);
    void reset();
    // Takes over the fields of a type whose format block was CoTaskMemAlloc'd.
    void adopt(AM_MEDIA_TYPE& src);

    const AM_MEDIA_TYPE& get() const { return type_; }
    const AM_MEDIA_TYPE* operator->() const { return &type_; }
    bool empty() const { return type_.majortype == GUID_NULL; }

  private:
    AM_MEDIA_TYPE type_{};
};

} // namespace filterbase
