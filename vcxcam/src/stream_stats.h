// A private interface of the camera filter that reports on its streaming
// thread, for the benchmark and the tests. Not part of any DirectShow contract.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace vcxcam {

struct StreamStats {
    ULONGLONG framesDelivered; // frames handed downstream since the filter last paused from stopped
    ULONGLONG framesSkipped;   // frame times passed over because delivery fell behind
    ULONGLONG threadCpuTime;   // user + kernel time of the streaming thread, 100 ns units
    BOOL streaming;            // whether a streaming thread exists
    LONGLONG lastDeliveryCounter; // performance counter when the newest delivery began
    ULONGLONG deliveriesBegun;    // deliveries begun since the filter last paused from stopped
    // Performance counter ticks spent making frames (drawing the picture,
    // converting or compressing it) since the filter last paused from stopped.
    LONGLONG makingTicks;
};

// {F41F7259-BBDC-4273-BE6D-85E614F47E38}
inline constexpr IID kIidStreamStats = {
    0xf41f7259, 0xbbdc, 0x4273, {0xbe, 0x6d, 0x85, 0xe6, 0x14, 0xf4, 0x7e, 0x38}};

struct IStreamStats : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetStreamStats(StreamStats* stats) = 0;
};

} // namespace vcxcam
