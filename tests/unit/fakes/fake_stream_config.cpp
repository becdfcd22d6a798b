#include "fakes/fake_stream_config.h"

#include <algorithm>
#include <cstring>

#include "fakes/fake_task_memory.h"

namespace fakes {

FakeCapability videoCapability(LONG width, LONG height, REFERENCE_TIME interval) {
    FakeCapability capability;
    capability.info.AvgTimePerFrame = interval;
    capability.info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    capability.info.bmiHeader.biWidth = width;
    capability.info.bmiHeader.biHeight = height;
    capability.info.bmiHeader.biPlanes = 1;
    capability.info.bmiHeader.biBitCount = 24;
    capability.info.bmiHeader.biCompression = BI_RGB;
    return capability;
}

void* FakeStreamConfig::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IAMStreamConfig) {
        return static_cast<IAMStreamConfig*>(this);
    }
    return nullptr;
}

HRESULT FakeStreamConfig::GetNumberOfCapabilities(int* countOut, int* sizeOut) {
    const HRESULT hr = call("GetNumberOfCapabilities");
    *countOut = count.value_or(static_cast<int>(capabilities.size()));
    *sizeOut = capsSize;
    return hr;
}

HRESULT FakeStreamConfig::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    *type = nullptr;
    const HRESULT hr = call("GetStreamCaps(" + std::to_string(index) + ")");
    if (FAILED(hr)) {
        return hr;
    }
    if (index < 0 || index >= static_cast<int>(capabilities.size())) {
        return S_FALSE;
    }
    // The whole caps structure of the size reported is written, as a device does.
    std::memset(caps, 0x5A, static_cast<std::size_t>(capsSize));
    const FakeCapability& capability = capabilities[index];
    auto* made = static_cast<AM_MEDIA_TYPE*>(allocateTaskMemory(sizeof(AM_MEDIA_TYPE)));
    std::memset(made, 0, sizeof *made);
    made->majortype = MEDIATYPE_Video;
    made->subtype = MEDIASUBTYPE_RGB24;
    made->bFixedSizeSamples = TRUE;
    made->lSampleSize = 1;
    made->formattype = capability.formatType;
    made->cbFormat = capability.formatSize;
    if (capability.withBlock) {
        made->pbFormat = static_cast<BYTE*>(allocateTaskMemory(capability.formatSize));
        std::memset(made->pbFormat, 0, capability.formatSize);
        std::memcpy(made->pbFormat, &capability.info,
                    std::min<std::size_t>(capability.formatSize, sizeof capability.info));
        blocks_.emplace_back(made->pbFormat, index);
    }
    *type = made;
    return hr;
}

HRESULT FakeStreamConfig::SetFormat(AM_MEDIA_TYPE* type) {
    int capability = -1;
    for (const auto& [block, owner] : blocks_) {
        if (block == type->pbFormat) {
            capability = owner;
        }
    }
    SetFormatCall record{capability, *type, {}};
    record.type.pbFormat = nullptr;
    if (type->pbFormat != nullptr) {
        record.block.assign(type->pbFormat, type->pbFormat + type->cbFormat);
    }
    record.block.resize(std::max<std::size_t>(record.block.size(), sizeof(VIDEOINFOHEADER)));
    setFormats.push_back(std::move(record));
    return call("SetFormat(" + std::to_string(capability) + ")");
}

} // namespace fakes
