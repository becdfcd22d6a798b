// A fake IAMStreamConfig: capabilities as media types with format blocks of
// any format type and size, the count and caps size GetNumberOfCapabilities
// reports, and a record of every type given to SetFormat.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_com.h"

namespace fakes {

// One capability as GetStreamCaps hands it out.
struct FakeCapability {
    GUID formatType = FORMAT_VideoInfo;
    // cbFormat; the block holds this many bytes, the head of `info` copied in.
    ULONG formatSize = sizeof(VIDEOINFOHEADER);
    // false: pbFormat null (cbFormat as above).
    bool withBlock = true;
    VIDEOINFOHEADER info{};
};

// A FORMAT_VideoInfo capability of the given size and frame interval.
FakeCapability videoCapability(LONG width, LONG height, REFERENCE_TIME interval);

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
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }

  private:
    // Format blocks handed out, with their capability, latest last.
    std::vector<std::pair<const void*, int>> blocks_;
};

} // namespace fakes
