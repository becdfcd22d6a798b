#include "camera_support.h"

#include "ids.h"
#include "filterbase/media_type.h"
#include "colour_conversion.h"
#include "picture.h"

#include <amvideo.h>
#include <dvdmedia.h>

#include <cstdlib>
#include <memory>

namespace camtest {

void CameraTest::TearDown() {
    harness::restoreDefaultCameras();
}

OwnedType::~OwnedType() {
    filterbase::deleteMediaType(type_);
}

AM_MEDIA_TYPE** OwnedType::put() {
    filterbase::deleteMediaType(type_);
    type_ = nullptr;
    return &type_;
}

VideoShape shapeOf(const AM_MEDIA_TYPE& type) {
    const BITMAPINFOHEADER* header = nullptr;
    VideoShape shape;
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        shape.interval = info->AvgTimePerFrame;
        header = &info->bmiHeader;
    } else if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        shape.interval = info->AvgTimePerFrame;
        header = &info->bmiHeader;
    } else {
        ADD_FAILURE() << "not a video info type";
        return shape;
    }
    shape.width = header->biWidth;
    shape.height = header->biHeight;
    shape.imageSize = header->biSizeImage;
    return shape;
}

std::size_t rgb24FrameBytes(long width, long height) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4 *
           static_cast<std::size_t>(std::labs(height));
}

VideoInfoType::VideoInfoType(long width, long height, REFERENCE_TIME interval) {
    info_.AvgTimePerFrame = interval;
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = width;
    info_.bmiHeader.biHeight = height;
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 24;
    info_.bmiHeader.biCompression = BI_RGB;
    info_.bmiHeader.biSizeImage = static_cast<DWORD>(rgb24FrameBytes(width, height));
    type_.majortype = MEDIATYPE_Video;
    type_.subtype = MEDIASUBTYPE_RGB24;
    type_.formattype = FORMAT_VideoInfo;
    type_.bFixedSizeSamples = TRUE;
    type_.lSampleSize = info_.bmiHeader.biSizeImage;
    type_.cbFormat = sizeof(info_);
    type_.pbFormat = reinterpret_cast<BYTE*>(&info_);
}

ComPtr<IBaseFilter> createCamera(int index) {
    ComPtr<IBaseFilter> camera;
    harness::checkHr(CoCreateInstance(vcxcam::cameraClsid(index), nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IBaseFilter, camera.putVoid()),
                     "creating camera " + std::to_string(index));
    return camera;
}

ComPtr<IBaseFilter> bindCamera(const std::wstring& friendlyName) {
    ComPtr<ICreateDevEnum> devices;
    harness::checkHr(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ICreateDevEnum, devices.putVoid()),
                     "creating the System Device Enumerator");
    ComPtr<IEnumMoniker> monikers;
    harness::checkHr(
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.put(), 0),
        "CreateClassEnumerator");
    ComPtr<IMoniker> moniker;
    while (monikers && monikers->Next(1, moniker.put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        harness::checkHr(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid()),
                         "BindToStorage");
        VARIANT name;
        VariantInit(&name);
        const bool match = SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) &&
                           name.vt == VT_BSTR && friendlyName == name.bstrVal;
        VariantClear(&name);
        if (match) {
            ComPtr<IBaseFilter> camera;
            harness::checkHr(
                moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, camera.putVoid()),
                "BindToObject");
            return camera;
        }
    }
    throw harness::Failure("no video input device named " + harness::narrow(friendlyName));
}

ComPtr<IPin> findPin(IBaseFilter* filter, const wchar_t* id) {
    ComPtr<IPin> pin;
    harness::checkHr(filter->FindPin(id, pin.put()), "FindPin " + harness::narrow(id));
    return pin;
}

ComPtr<IAMStreamConfig> streamConfig(IBaseFilter* camera) {
    ComPtr<IAMStreamConfig> config;
    harness::checkHr(
        findPin(camera, L"Capture")->QueryInterface(IID_IAMStreamConfig, config.putVoid()),
        "querying IAMStreamConfig");
    return config;
}

std::vector<std::uint8_t> cameraFrame(long width, long height, vcxcam::Subtype subtype,
                                      std::uint32_t f) {
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    std::vector<std::uint8_t> picture(vcxcam::frameSize(w, h));
    vcxcam::drawFrame(picture.data(), w, h, f);
    std::vector<std::uint8_t> frame(vcxcam::frameBytes(subtype, w, h));
    vcxcam::convertFromRgb24(subtype, picture.data(), w, h, frame.data());
    return frame;
}

std::vector<std::uint8_t> convertedPicture(long width, long height, vcxcam::Subtype sent,
                                           std::uint32_t f) {
    const std::vector<std::uint8_t> frame = cameraFrame(width, height, sent, f);
    std::vector<std::uint8_t> picture(
        vcxcam::frameSize(static_cast<int>(width), static_cast<int>(height)));
    vcxcam::convertToRgb24(sent, frame.data(), static_cast<int>(width), static_cast<int>(height),
                           picture.data());
    return picture;
}

std::optional<std::uint32_t> matchPicture(const std::vector<std::uint8_t>& frame, long width,
                                          long height, vcxcam::Subtype sent) {
    std::vector<std::uint8_t> expected(
        vcxcam::frameSize(static_cast<int>(width), static_cast<int>(height)));
    if (frame.size() != expected.size()) {
        return std::nullopt;
    }
    for (std::uint32_t f = 0; f < 256; ++f) {
        if (sent == vcxcam::Subtype::Rgb24) {
            // Drawn in place: large frames are compared often.
            vcxcam::drawFrame(expected.data(), static_cast<int>(width), static_cast<int>(height),
                              f);
        } else {
            expected = convertedPicture(width, height, sent, f);
        }
        if (frame == expected) {
            return f;
        }
    }
    return std::nullopt;
}

Rgb pixelOf(const std::vector<std::uint8_t>& frame, long width, long height, long x, long y) {
    if (frame.size() != rgb24FrameBytes(width, height) || x < 0 || x >= width || y < 0 ||
        y >= std::labs(height)) {
        ADD_FAILURE() << "no pixel " << x << ", " << y << " in " << frame.size() << " bytes of "
                      << width << "x" << height;
        return {-1, -1, -1};
    }
    const long row = height > 0 ? height - 1 - y : y;
    const std::size_t at =
        rgb24FrameBytes(width, 1) * static_cast<std::size_t>(row) + 3 * static_cast<std::size_t>(x);
    return {frame[at + 2], frame[at + 1], frame[at]};
}

STDMETHODIMP SampleRecorder::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
        *out = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP SampleRecorder::SampleCB(double, IMediaSample* sample) {
    Sample record{};
    record.threadId = GetCurrentThreadId();
    record.timed = SUCCEEDED(sample->GetTime(&record.start, &record.stop));
    record.discontinuity = sample->IsDiscontinuity() == S_OK;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    record.arrival = now.QuadPart;
    std::lock_guard<std::mutex> lock(mutex_);
    if (samples_.size() < keepBits_) {
        BYTE* bits = nullptr;
        if (SUCCEEDED(sample->GetPointer(&bits))) {
            record.bits.assign(bits, bits + sample->GetActualDataLength());
        }
    }
    samples_.push_back(std::move(record));
    return S_OK;
}

void SampleRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    samples_.clear();
}

std::vector<SampleRecorder::Sample> SampleRecorder::samples() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

std::size_t SampleRecorder::count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_.size();
}

bool SampleRecorder::waitFor(std::size_t n, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (count() < n) {
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

PreviewGraph::~PreviewGraph() {
    if (control) {
        control->Stop();
    }
    if (grabber) {
        grabber->SetCallback(nullptr, 0);
    }
}

std::unique_ptr<PreviewGraph> buildPreviewGraph(IBaseFilter* camera, const GUID& category,
                                                SampleRecorder* recorder, IBaseFilter* between,
                                                IBaseFilter* renderer) {
    auto graph = std::make_unique<PreviewGraph>();
    harness::checkHr(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGraphBuilder, graph->graph.putVoid()),
                     "creating the filter graph");
    harness::checkHr(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ICaptureGraphBuilder2, graph->builder.putVoid()),
                     "creating Capture Graph Builder 2");
    harness::checkHr(CoCreateInstance(harness::kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IBaseFilter, graph->grabberFilter.putVoid()),
                     "creating the Sample Grabber");
    if (renderer != nullptr) {
        harness::checkHr(renderer->QueryInterface(IID_IBaseFilter, graph->renderer.putVoid()),
                         "querying the renderer's IBaseFilter");
    } else {
        harness::checkHr(CoCreateInstance(harness::kClsidNullRenderer, nullptr,
                                          CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                          graph->renderer.putVoid()),
                         "creating the Null Renderer");
    }
    harness::checkHr(
        graph->grabberFilter->QueryInterface(IID_ISampleGrabber, graph->grabber.putVoid()),
        "querying ISampleGrabber");
    harness::checkHr(graph->graph->QueryInterface(IID_IMediaControl, graph->control.putVoid()),
                     "querying IMediaControl");
    harness::checkHr(graph->builder->SetFiltergraph(graph->graph.get()), "SetFiltergraph");

    AM_MEDIA_TYPE rgb24{};
    rgb24.majortype = MEDIATYPE_Video;
    rgb24.subtype = MEDIASUBTYPE_RGB24;
    harness::checkHr(graph->grabber->SetMediaType(&rgb24), "ISampleGrabber::SetMediaType");
    harness::checkHr(graph->grabber->SetBufferSamples(TRUE), "SetBufferSamples");
    if (recorder != nullptr) {
        harness::checkHr(graph->grabber->SetCallback(recorder, 0), "ISampleGrabber::SetCallback");
    }
    harness::checkHr(graph->graph->AddFilter(camera, L"Camera"), "adding the camera");
    harness::checkHr(graph->graph->AddFilter(graph->grabberFilter.get(), L"Sample Grabber"),
                     "adding the grabber");
    harness::checkHr(graph->graph->AddFilter(graph->renderer.get(), L"Null Renderer"),
                     "adding the renderer");
    if (between != nullptr) {
        harness::checkHr(graph->graph->AddFilter(between, L"Between"), "adding the filter between");
        harness::checkHr(graph->builder->RenderStream(&category, &MEDIATYPE_Video, camera, between,
                                                      graph->grabberFilter.get()),
                         "RenderStream to the grabber");
        graph->renderResult = graph->builder->RenderStream(
            nullptr, nullptr, graph->grabberFilter.get(), nullptr, graph->renderer.get());
    } else {
        graph->renderResult = graph->builder->RenderStream(
            &category, &MEDIATYPE_Video, camera, graph->grabberFilter.get(), graph->renderer.get());
    }
    harness::checkHr(graph->renderResult, "RenderStream");
    return graph;
}

ComPtr<IBaseFilter> filterNamed(IGraphBuilder* graph, const wchar_t* name) {
    ComPtr<IBaseFilter> filter;
    graph->FindFilterByName(name, filter.put());
    return filter;
}

ComPtr<ISampleGrabber> grabberOf(IGraphBuilder* graph) {
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IBaseFilter> filter = filterNamed(graph, L"Sample Grabber");
    if (filter) {
        filter->QueryInterface(IID_ISampleGrabber, grabber.putVoid());
    }
    return grabber;
}

VideoShape grabberShape(ISampleGrabber* grabber) {
    AM_MEDIA_TYPE type{};
    harness::checkHr(grabber->GetConnectedMediaType(&type), "GetConnectedMediaType");
    const VideoShape shape = shapeOf(type);
    filterbase::freeMediaTypeFields(type);
    return shape;
}

std::vector<std::uint8_t> waitForFrame(ISampleGrabber* grabber, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    long size = 0;
    HRESULT hr;
    while ((hr = grabber->GetCurrentBuffer(&size, nullptr)) == VFW_E_WRONG_STATE) {
        if (GetTickCount64() > end) {
            throw harness::Failure("no frame reached the Sample Grabber");
        }
        Sleep(10);
    }
    harness::checkHr(hr, "GetCurrentBuffer (size)");
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(size));
    harness::checkHr(grabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(frame.data())),
                     "GetCurrentBuffer");
    frame.resize(static_cast<std::size_t>(size));
    return frame;
}

bool graphHas(IGraphBuilder* graph, const CLSID& clsid) {
    ComPtr<IEnumFilters> filters;
    harness::checkHr(graph->EnumFilters(filters.put()), "EnumFilters");
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.put(), nullptr) == S_OK) {
        CLSID id{};
        if (SUCCEEDED(filter->GetClassID(&id)) && id == clsid) {
            return true;
        }
    }
    return false;
}

} // namespace camtest
