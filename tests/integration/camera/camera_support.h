// What the camera tests share: opening a camera, building the preview graph
// camera -> Sample Grabber (RGB24) -> Null Renderer with Capture Graph
// Builder 2, recording the samples the grabber sees, and recognising the
// test picture in a frame.
#pragma once

#include "harness.h"
#include "subtype.h"

#include "core/com_ptr.h"

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace camtest {

using vcx::ComPtr;

// Starts COM for each test and puts the default camera back afterwards.
class CameraTest : public testing::Test {
  protected:
    void TearDown() override;

    harness::ComScope com_;
};

// An AM_MEDIA_TYPE* some interface handed out, freed with its format block.
class OwnedType {
  public:
    OwnedType() = default;
    OwnedType(const OwnedType&) = delete;
    OwnedType& operator=(const OwnedType&) = delete;
    ~OwnedType();
    AM_MEDIA_TYPE** put();
    AM_MEDIA_TYPE* get() const { return type_; }
    AM_MEDIA_TYPE* operator->() const { return type_; }

  private:
    AM_MEDIA_TYPE* type_ = nullptr;
};

// Width, height (negative: top-down) and frame interval of a video type, read
// from its VIDEOINFOHEADER or VIDEOINFOHEADER2.
struct VideoShape {
    long width = 0;
    long height = 0;
    REFERENCE_TIME interval = 0;
    DWORD imageSize = 0;
    bool operator==(const VideoShape&) const = default;
};
VideoShape shapeOf(const AM_MEDIA_TYPE& type);

// Bytes of one RGB24 frame: rows padded to four bytes, times |height|.
std::size_t rgb24FrameBytes(long width, long height);

// An RGB24 FORMAT_VideoInfo type built here (not by the camera), for
// SetFormat and QueryAccept.
class VideoInfoType {
  public:
    VideoInfoType(long width, long height, REFERENCE_TIME interval);
    AM_MEDIA_TYPE* get() { return &type_; }
    VIDEOINFOHEADER& info() { return info_; }

  private:
    VIDEOINFOHEADER info_{};
    AM_MEDIA_TYPE type_{};
};

// Creates camera index's filter through COM.
ComPtr<IBaseFilter> createCamera(int index = 0);
// Binds the device of the video input category with this friendly name.
ComPtr<IBaseFilter> bindCamera(const std::wstring& friendlyName);

ComPtr<IPin> findPin(IBaseFilter* filter, const wchar_t* id);
ComPtr<IAMStreamConfig> streamConfig(IBaseFilter* camera);

// Frame number f of a camera format, as the camera sends it: the test
// picture drawn, converted to the subtype.
std::vector<std::uint8_t> cameraFrame(long width, long height, vcxcam::Subtype subtype,
                                      std::uint32_t f);
// The RGB24 picture (bottom-up for a positive height) a colour converter
// makes of that frame by the documented formulas: the test picture itself
// for RGB24.
std::vector<std::uint8_t> convertedPicture(long width, long height, vcxcam::Subtype sent,
                                           std::uint32_t f);

// The frame number f for which frame equals convertedPicture(width, height,
// sent, f), or nothing. Frames 256 apart are equal, so 0..255 covers all.
std::optional<std::uint32_t> matchPicture(const std::vector<std::uint8_t>& frame, long width,
                                          long height,
                                          vcxcam::Subtype sent = vcxcam::Subtype::Rgb24);

// Red, green and blue of one pixel.
using Rgb = std::array<int, 3>;

// Pixel (x, y), row y counted from the top, of an RGB24 frame of width x
// |height| pixels, stored bottom-up for a positive height, rows padded to four
// bytes: read here from the layout alone, for checks that do not use the
// camera's own drawing and conversion.
Rgb pixelOf(const std::vector<std::uint8_t>& frame, long width, long height, long x, long y);

// Records what reaches the Sample Grabber's callback (on the streaming thread).
class SampleRecorder final : public ISampleGrabberCB {
  public:
    struct Sample {
        DWORD threadId;
        bool timed;
        REFERENCE_TIME start;
        REFERENCE_TIME stop;
        bool discontinuity;
        LONGLONG arrival;               // the performance counter when it arrived
        std::vector<std::uint8_t> bits; // kept for the first keepBits samples only
    };

    explicit SampleRecorder(std::size_t keepBits = 1) : keepBits_(keepBits) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // Owned by the test, which outlives the graph.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double time, IMediaSample* sample) override;
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }

    void clear();
    std::vector<Sample> samples();
    std::size_t count();
    // Waits until count() reaches n; false after timeoutMs.
    bool waitFor(std::size_t n, DWORD timeoutMs = 5000);

  private:
    std::mutex mutex_;
    std::vector<Sample> samples_;
    std::size_t keepBits_;
};

// camera -> Sample Grabber (RGB24) -> Null Renderer, rendered with
// RenderStream(category) of Capture Graph Builder 2.
struct PreviewGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IBaseFilter> renderer;
    ComPtr<IMediaControl> control;
    HRESULT renderResult = E_FAIL;

    // Stops the graph (if running) before the references go.
    ~PreviewGraph();
};

// Adds camera, grabber and renderer to a new graph and renders category from
// the camera through the grabber; the result of RenderStream is kept in
// renderResult. Buffers samples (SetBufferSamples(TRUE)); a recorder, when
// given, gets every sample. With a filter between, it goes into the graph
// too, and the stream runs camera -> between -> grabber -> renderer. The
// renderer is a Null Renderer unless one is given.
std::unique_ptr<PreviewGraph> buildPreviewGraph(IBaseFilter* camera,
                                                const GUID& category = PIN_CATEGORY_PREVIEW,
                                                SampleRecorder* recorder = nullptr,
                                                IBaseFilter* between = nullptr,
                                                IBaseFilter* renderer = nullptr);

// The media type the grabber's input is connected with.
VideoShape grabberShape(ISampleGrabber* grabber);

// Waits for the grabber to hold a frame and returns a copy of it.
std::vector<std::uint8_t> waitForFrame(ISampleGrabber* grabber, DWORD timeoutMs = 5000);

// The filter of the graph with this name, or null.
ComPtr<IBaseFilter> filterNamed(IGraphBuilder* graph, const wchar_t* name);

// The ISampleGrabber of the graph's filter named "Sample Grabber", or null.
ComPtr<ISampleGrabber> grabberOf(IGraphBuilder* graph);

// Whether a filter of this class is in the graph.
bool graphHas(IGraphBuilder* graph, const CLSID& clsid);

} // namespace camtest
