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
    capability.minFrameInterval = interval;
    capability.maxFrameInterval = interval;
    return capability;
}

FakeCapability videoInfo2Capability(const GUID& subtype, DWORD fourcc, WORD bitCount, LONG width,
                                    LONG height, REFERENCE_TIME interval) {
    FakeCapability capability = videoCapability(width, height, interval);
    capability.subtype = subtype;
    capability.formatType = FORMAT_VideoInfo2;
    capability.formatSize = sizeof(VIDEOINFOHEADER2);
    VIDEOINFOHEADER2 info2{};
    info2.AvgTimePerFrame = interval;
    info2.bmiHeader = capability.info.bmiHeader;
    info2.bmiHeader.biCompression = fourcc;
    info2.bmiHeader.biBitCount = bitCount;
    capability.info2 = info2;
    return capability;
}

void fillMediaType(const FakeCapability& capability, AM_MEDIA_TYPE& type) {
    std::memset(&type, 0, sizeof type);
    type.majortype = MEDIATYPE_Video;
    type.subtype = capability.subtype;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = 1;
    type.formattype = capability.formatType;
    type.cbFormat = capability.formatSize;
    if (capability.withBlock) {
        type.pbFormat = static_cast<BYTE*>(allocateTaskMemory(capability.formatSize));
        std::memset(type.pbFormat, 0, capability.formatSize);
        const void* head = &capability.info;
        std::size_t headSize = sizeof capability.info;
        if (capability.info2) {
            head = &*capability.info2;
            headSize = sizeof *capability.info2;
        }
        std::memcpy(type.pbFormat, head, std::min<std::size_t>(capability.formatSize, headSize));
    }
}

AM_MEDIA_TYPE* makeMediaType(const FakeCapability& capability) {
    auto* made = static_cast<AM_MEDIA_TYPE*>(allocateTaskMemory(sizeof(AM_MEDIA_TYPE)));
    fillMediaType(capability, *made);
    return made;
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
    // A video device's structure carries the capability's rate range.
    if (capsSize == static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS))) {
        auto* written = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps);
        written->MinFrameInterval = capability.minFrameInterval;
        written->MaxFrameInterval = capability.maxFrameInterval;
    }
    AM_MEDIA_TYPE* made = makeMediaType(capability);
    if (made->pbFormat != nullptr) {
        blocks_.emplace_back(made->pbFormat, index);
    }
    *type = made;
    return hr;
}

HRESULT FakeStreamConfig::GetFormat(AM_MEDIA_TYPE** type) {
    *type = nullptr;
    const HRESULT hr = call("GetFormat");
    if (FAILED(hr)) {
        return hr;
    }
    if (!setFormats.empty()) {
        const SetFormatCall& last = setFormats.back();
        auto* made = static_cast<AM_MEDIA_TYPE*>(allocateTaskMemory(sizeof(AM_MEDIA_TYPE)));
        *made = last.type;
        made->pbFormat = static_cast<BYTE*>(allocateTaskMemory(last.block.size()));
        std::memcpy(made->pbFormat, last.block.data(), last.block.size());
        made->cbFormat = static_cast<ULONG>(last.block.size());
        *type = made;
        return hr;
    }
    if (capabilities.empty()) {
        return E_FAIL;
    }
    *type = makeMediaType(capabilities.front());
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
