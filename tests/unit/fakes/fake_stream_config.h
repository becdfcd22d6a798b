// A fake IAMStreamConfig: capabilities as media types with format blocks of
// any format type and size, the count and caps size GetNumberOfCapabilities
// reports, and a record of every type given to SetFormat.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_com.h"

namespace fakes {

// One capability as GetStreamCaps hands it out.
struct FakeCapability {
    GUID subtype = MEDIASUBTYPE_RGB24;
    GUID formatType = FORMAT_VideoInfo;
    // cbFormat; the block holds this many bytes, the head of `info` (or of
    // `info2`, when set) copied in.
    ULONG formatSize = sizeof(VIDEOINFOHEADER);
    // false: pbFormat null (cbFormat as above).
    bool withBlock = true;
    VIDEOINFOHEADER info{};
    std::optional<VIDEOINFOHEADER2> info2;
    // MinFrameInterval and MaxFrameInterval of its VIDEO_STREAM_CONFIG_CAPS.
    REFERENCE_TIME minFrameInterval = 0;
    REFERENCE_TIME maxFrameInterval = 0;
};

// A FORMAT_VideoInfo capability of the given size and frame interval (its
// range that one interval), RGB24.
FakeCapability videoCapability(LONG width, LONG height, REFERENCE_TIME interval);

// The same as a FORMAT_VideoInfo2 capability of the given subtype, FourCC and
// bit count.
FakeCapability videoInfo2Capability(const GUID& subtype, DWORD fourcc, WORD bitCount, LONG width,
                                    LONG height, REFERENCE_TIME interval);

// A media type of the capability, as the platform allocates one.
AM_MEDIA_TYPE* makeMediaType(const FakeCapability& capability);
// Its fields only, into type (a pin's connection type).
void fillMediaType(const FakeCapability& capability, AM_MEDIA_TYPE& type);

class FakeStreamConfig : public FakeCom, public IAMStreamConfig {
  public:
    explicit FakeStreamConfig(std::string name = "config") : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    std::vector<FakeCapability> capabilities;
    // What GetNumberOfCapabilities reports: count (by default the number of
    // capabilities) and the caps size.
    std::optional<int> count;
    int capsSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);

    // A type given to SetFormat: the capability whose block it carries (-1
    // for none of ours), the media type and its format block as received.
    struct SetFormatCall {
        int capability;
        AM_MEDIA_TYPE type;
        std::vector<unsigned char> block;
        const VIDEOINFOHEADER& info() const {
            return *reinterpret_cast<const VIDEOINFOHEADER*>(block.data());
        }
    };
    std::vector<SetFormatCall> setFormats;

    // GetStreamCaps(i) journaled with its index; a failing configured result
    // hands out nothing, an index past the capabilities answers S_FALSE.
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
    // Journaled as "SetFormat(i)", i the capability the block came from, so
    // that one capability's set can be made to fail.
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* type) override;
    // Journaled "GetFormat": the type of the last SetFormat, else capability
    // 0's (E_FAIL without capabilities).
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** type) override;

  private:
    // Format blocks handed out, with their capability, latest last.
    std::vector<std::pair<const void*, int>> blocks_;
};

} // namespace fakes
