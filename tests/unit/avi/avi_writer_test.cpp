// The AVI writer as a filter, on fakes of the upstream pin and its samples:
// which frames it records as key frames.
#include "avi/avi_writer.h"

#include "avi_reader.h"
#include "memory_file.h"

#include "core/com_ptr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using vcx::ComPtr;

// An upstream output pin, owned by the test: the writer's pin asks only its
// direction.
class UpstreamPin final : public IPin {
  public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IPin ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override {
        *direction = PINDIR_OUTPUT;
        return S_OK;
    }
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect() override { return E_NOTIMPL; }
    STDMETHODIMP ConnectedTo(IPin**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_NOTIMPL; }
    STDMETHODIMP BeginFlush() override { return E_NOTIMPL; }
    STDMETHODIMP EndFlush() override { return E_NOTIMPL; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }
};

// A frame of four bytes whose IsSyncPoint answers syncPoint.
class Sample final : public IMediaSample {
  public:
    explicit Sample(HRESULT syncPoint) : syncPoint_(syncPoint) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IMediaSample ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetPointer(BYTE** data) override {
        *data = bytes_;
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return sizeof(bytes_); }
    STDMETHODIMP_(long) GetActualDataLength() override { return sizeof(bytes_); }
    STDMETHODIMP IsSyncPoint() override { return syncPoint_; }
    STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP IsPreroll() override { return E_NOTIMPL; }
    STDMETHODIMP SetPreroll(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return E_NOTIMPL; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

  private:
    const HRESULT syncPoint_;
    BYTE bytes_[4] = {1, 2, 3, 4};
};

struct SyncCase {
    const char* name;
    HRESULT answer; // of IsSyncPoint, for the middle one of three frames
    bool keyFrame;
};

class AviWriterSyncTest : public testing::TestWithParam<SyncCase> {};

INSTANTIATE_TEST_SUITE_P(Answers, AviWriterSyncTest,
                         testing::Values(SyncCase{"SyncPoint", S_OK, true},
                                         SyncCase{"NotASyncPoint", S_FALSE, false},
                                         SyncCase{"Unanswered", E_NOTIMPL, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviWriterSyncTest, OnlySyncPointsAreKeyFrames) {
    UpstreamPin upstream;
    auto owned = std::make_unique<avitest::MemoryFile>();
    const avitest::MemoryFile& file = *owned;
    ComPtr<IBaseFilter> writer;
    ASSERT_EQ(vcx::avi::AviWriter::create(std::move(owned), vcx::avi::AviLimits{}, IID_IBaseFilter,
                                          writer.putVoid()),
              S_OK);
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(writer->QueryInterface(IID_IFileSinkFilter, sink.putVoid()), S_OK);
    ASSERT_EQ(sink->SetFileName(L"sync.avi", nullptr), S_OK);
    ComPtr<IPin> pin;
    ASSERT_EQ(writer->FindPin(L"Input", pin.put()), S_OK);

    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = 400'000;
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.formattype = FORMAT_VideoInfo;
    type.cbFormat = sizeof(info);
    type.pbFormat = reinterpret_cast<BYTE*>(&info);
    ASSERT_EQ(pin->ReceiveConnection(&upstream, &type), S_OK);
    ComPtr<IMemInputPin> input;
    ASSERT_EQ(pin->QueryInterface(IID_IMemInputPin, input.putVoid()), S_OK);

    ASSERT_EQ(writer->Pause(), S_OK);
    for (const HRESULT answer : {S_OK, GetParam().answer, S_OK}) {
        Sample sample(answer);
        EXPECT_EQ(input->Receive(&sample), S_OK);
    }
    ASSERT_EQ(writer->Stop(), S_OK);
    const avitest::ReadAvi read = avitest::readAvi(file.bytes());
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.keyFrames, std::vector<bool>({true, GetParam().keyFrame, true}));
    EXPECT_EQ(pin->Disconnect(), S_OK);
}

} // namespace
