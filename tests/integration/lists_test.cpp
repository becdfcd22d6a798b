// The name lists on Wine's DirectShow with vcxcam cameras: device names in
// the platform's ANSI code page and camera order, each position opening its
// own camera, Wine's compressors, the empty audio categories, and the filters
// of an open graph.
#include <gtest/gtest.h>

#include "harness.h"
#include "ids.h"
#include "library.h"
#include "vcxcap.h"

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The mode that builds the graph core and adds the device, no output.
constexpr int kNoOutput = 5;

constexpr char kUntouched = 0x55;

// A host's buffer: text, its NUL, and bytes after it that show any overrun.
class HostBuffer {
  public:
    explicit HostBuffer(const std::string& text = "") : bytes_(65536, kUntouched) {
        text.copy(bytes_.data(), text.size());
        bytes_[text.size()] = '\0';
    }
    char* data() { return bytes_.data(); }
    std::string text() const { return bytes_.data(); }
    // Whether the byte after the text's NUL is still untouched.
    bool endsCleanly() const { return bytes_[text().size() + 1] == kUntouched; }

  private:
    std::vector<char> bytes_;
};

// The platform's own ANSI form of a name, as the lists must write it.
std::string ansi(const std::wstring& name) {
    char bytes[1024];
    const int written =
        WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    if (written <= 0) {
        throw harness::Failure("WideCharToMultiByte failed");
    }
    return std::string(bytes, static_cast<std::size_t>(written) - 1);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> found;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        found.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return found;
}

// Stands in for vcxcam's class object of one camera in this apartment and
// counts the cameras COM creates through it, passing each creation on to
// vcxcam.dll's own class object.
class CameraSpy : public IClassFactory {
  public:
    explicit CameraSpy(int index) {
        module_ = LoadLibraryW(harness::vcxcamPath().c_str());
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        if (get == nullptr) {
            throw harness::Failure("vcxcam.dll has no DllGetClassObject");
        }
        const CLSID clsid = vcxcam::cameraClsid(index);
        harness::checkHr(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&real_)),
                         "vcxcam DllGetClassObject");
        harness::checkHr(
            CoRegisterClassObject(clsid, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
            "CoRegisterClassObject");
    }
    CameraSpy(const CameraSpy&) = delete;
    CameraSpy& operator=(const CameraSpy&) = delete;
    ~CameraSpy() {
        CoRevokeClassObject(cookie_);
        real_->Release();
        FreeLibrary(module_);
    }

    int created() const { return created_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the test holds it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        ++created_;
        return real_->CreateInstance(outer, iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return real_->LockServer(lock); }

  private:
    HMODULE module_ = nullptr;
    IClassFactory* real_ = nullptr;
    DWORD cookie_ = 0;
    int created_ = 0;
};

class Lists : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void TearDown() override {
        spies_.clear();
        harness::resetLibrary();
    }

    std::vector<std::unique_ptr<CameraSpy>> spies_;
};

TEST_F(Lists, CamerasAreListedInCameraOrderAndEachPositionOpensItsCamera) {
    // Names in an order of their own, one within the ANSI code page but not
    // ASCII, one far outside it.
    const std::vector<std::wstring> names = {L"Zulu camera", L"Cam\u00e9ra \u00df",
                                             L"\u30ab\u30e1\u30e9 \u2603"};
    std::vector<harness::CameraConfig> cameras;
    for (const std::wstring& name : names) {
        cameras.push_back(harness::CameraConfig{name, {}, 0, 0, 0});
    }
    harness::configureCameras(cameras);
    ASSERT_EQ(vcx_Init(), 0);

    std::string expected = "kept";
    for (const std::wstring& name : names) {
        expected += ansi(name) + "\r\n";
    }
    HostBuffer buffer("kept");
    const int size = vcx_GetDeviceListSize(0);
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 0), 3);
    EXPECT_EQ(buffer.text(), expected);
    EXPECT_TRUE(buffer.endsCleanly());
    EXPECT_EQ(size, static_cast<int>(expected.size() - 4) + 1);
    EXPECT_EQ(vcx_GetBufferSize(0), size);
    if (GetACP() == 1252) {
        EXPECT_EQ(lines(buffer.text().substr(4))[1], "Cam\xe9ra \xdf");
    }

    for (int index = 0; index < 3; ++index) {
        spies_.push_back(std::make_unique<CameraSpy>(index));
    }
    for (int position = 0; position < 3; ++position) {
        std::vector<int> before;
        for (const auto& spy : spies_) {
            before.push_back(spy->created());
        }
        ASSERT_EQ(vcx_Open(position, kNoOutput, 0, 0, 0), 0) << "position " << position;
        for (int index = 0; index < 3; ++index) {
            EXPECT_EQ(spies_[index]->created() - before[index], index == position ? 1 : 0)
                << "camera " << index << " made by opening position " << position;
        }
        HostBuffer filters;
        ASSERT_GT(vcx_StreamFilterList(filters.data()), 0);
        EXPECT_NE(filters.text().find("Device Filter\r\n"), std::string::npos) << filters.text();
        ASSERT_EQ(vcx_Close(), 0);
    }
}

TEST_F(Lists, CompressorListHoldsWineCodecs) {
    ASSERT_EQ(vcx_Init(), 0);
    HostBuffer buffer;
    const int size = vcx_GetCodecListSize(0);
    const int count = vcx_GetCodecList(buffer.data(), 0);
    const std::vector<std::string> names = lines(buffer.text());

    EXPECT_EQ(count, static_cast<int>(names.size()));
    EXPECT_EQ(size, static_cast<int>(buffer.text().size()) + 1);
    EXPECT_TRUE(buffer.endsCleanly());
    EXPECT_EQ(vcx_GetBufferSize(3), size);
    for (const char* codec :
         {"Cinepak Video codec", "Wine MS-RLE video codec", "Wine Video 1 video codec"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), codec), names.end())
            << codec << " missing from:\n"
            << buffer.text();
    }
}

TEST_F(Lists, NoAudioDeviceOrAudioCompressorHere) {
    ASSERT_EQ(vcx_Init(), 0);
    HostBuffer buffer("kept");
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 1), -2);
    EXPECT_EQ(vcx_GetDeviceListSize(1), -2);
    EXPECT_EQ(vcx_GetBufferSize(1), -2);
    EXPECT_EQ(vcx_GetCodecList(buffer.data(), 1), -3);
    EXPECT_EQ(vcx_GetCodecListSize(1), -3);
    EXPECT_EQ(vcx_GetBufferSize(4), -3);
    EXPECT_EQ(buffer.text(), "kept");
    EXPECT_TRUE(buffer.endsCleanly());
}

TEST_F(Lists, FilterListOfAnOpenGraph) {
    harness::restoreDefaultCameras();
    ASSERT_EQ(vcx_Init(), 0);
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    HostBuffer first;
    HostBuffer second("x");

    const int size = vcx_GetStreamFilterListSize();
    EXPECT_EQ(vcx_StreamFilterList(first.data()), 2);
    EXPECT_EQ(vcx_GetStreamFilterList(second.data()), 2);

    // Wine's graph lists the filter added last first.
    EXPECT_EQ(first.text(), "Device Filter\r\nSample Grabber\r\n");
    EXPECT_EQ(second.text().substr(0, 1), "x");
    EXPECT_EQ(second.text().substr(1), first.text());
    EXPECT_TRUE(first.endsCleanly());
    EXPECT_EQ(size, static_cast<int>(first.text().size()) + 1);
    EXPECT_EQ(vcx_GetBufferSize(2), size);

    ASSERT_EQ(vcx_Close(), 0);
    EXPECT_EQ(vcx_GetStreamFilterListSize(), -1);
    EXPECT_EQ(vcx_GetBufferSize(2), -1);
}

} // namespace
