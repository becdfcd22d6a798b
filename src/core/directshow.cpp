#include "core/directshow.h"

#include "core/platform.h"
#include "filterbase/media_type.h"

namespace vcx {

const CLSID kClsidSampleGrabber = {
    0xC1F400A0, 0x3F08, 0x11d3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kClsidNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11d3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

void freeMediaTypeFields(AM_MEDIA_TYPE& type) {
    filterbase::freeMediaTypeFields(type, platform().coTaskMemFree);
}

void deleteMediaType(AM_MEDIA_TYPE* type) {
    filterbase::deleteMediaType(type, platform().coTaskMemFree);
}

} // namespace vcx
