// The name lists on Wine's DirectShow with vcxcam cameras: device names in
// Wine's ANSI code page and camera order, each position binding its own
// camera, Wine's compressors, the empty audio categories, and the filters of
// an open graph.
#include <gtest/gtest.h>

#include "harness.h"
#include "ids.h"
#include "library.h"
#include "vcxcap.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kNoOutput = 5;

// The lines of a name list, each ended by CR LF.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> found;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        found.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return found;
}

// Takes the place of a camera's class object in this apartment and counts
// the cameras COM is asked to create; it creates none.
class CameraSpy : public IClassFactory {
  public:
    explicit CameraSpy(int index) {
        harness::checkHr(CoRegisterClassObject(vcxcam::cameraClsid(index), this,
                                               CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
                         "CoRegisterClassObject");
    }
    ~CameraSpy() { CoRevokeClassObject(cookie_); }
    int asked = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        ++asked;
        *out = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  private:
    DWORD cookie_ = 0;
};

class Lists : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void SetUp() override { ASSERT_EQ(vcx_Init(), 0); }
    void TearDown() override { harness::resetLibrary(); }
    std::string buffer = std::string(65536, '\0');
};

TEST_F(Lists, CamerasInCameraOrderAndEachPositionBindsItsCamera) {
    const std::vector<std::wstring> names = {L"Zulu camera", L"Cam\u00e9ra \u00df",
                                             L"\u30ab\u30e1\u30e9 \u2603"};
    std::vector<harness::CameraConfig> cameras;
    std::string expected = "kept";
    for (const std::wstring& name : names) {
        cameras.push_back(harness::CameraConfig{name, {}, 0, 0, 0});
        char ansi[256];
        ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, 256, nullptr, nullptr), 0);
        expected += std::string(ansi) + "\r\n";
    }
    harness::configureCameras(cameras);

    buffer.replace(0, 4, "kept");
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 0), 3);
    EXPECT_EQ(buffer.c_str(), expected);
    EXPECT_EQ(vcx_GetDeviceListSize(0), static_cast<int>(expected.size()) - 4 + 1);
    if (GetACP() == 1252) {
        EXPECT_EQ(lines(expected.substr(4))[1], "Cam\xe9ra \xdf");
    }

    std::vector<std::unique_ptr<CameraSpy>> spies;
    for (int index = 0; index < 3; ++index) {
        spies.push_back(std::make_unique<CameraSpy>(index));
    }
    for (int position = 0; position < 3; ++position) {
        ASSERT_EQ(vcx_Open(position, kNoOutput, 0, 0, 0), 0);
        ASSERT_EQ(vcx_Close(), 0);
        for (int index = 0; index < 3; ++index) {
            EXPECT_EQ(spies[index]->asked, index <= position ? 1 : 0)
                << "camera " << index << " after opening position " << position;
        }
    }
}

TEST_F(Lists, CompressorListHoldsWineCodecs) {
    const int count = vcx_GetCodecList(buffer.data(), 0);
    const std::vector<std::string> names = lines(buffer.c_str());
    EXPECT_EQ(count, static_cast<int>(names.size()));
    EXPECT_EQ(vcx_GetCodecListSize(0), static_cast<int>(std::strlen(buffer.c_str())) + 1);
    for (const char* codec :
         {"Cinepak Video codec", "Wine MS-RLE video codec", "Wine Video 1 video codec"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), codec), names.end()) << codec;
    }
}

TEST_F(Lists, NoAudioDeviceOrCompressorHere) {
    EXPECT_EQ(vcx_GetDeviceList(buffer.data(), 1), -2);
    EXPECT_EQ(vcx_GetBufferSize(1), -2);
    EXPECT_EQ(vcx_GetCodecList(buffer.data(), 1), -3);
    EXPECT_EQ(vcx_GetBufferSize(4), -3);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(Lists, FiltersOfAGraphWithoutOutput) {
    harness::restoreDefaultCameras();
    ASSERT_EQ(vcx_Open(0, kNoOutput, 0, 0, 0), 0);
    EXPECT_EQ(vcx_GetStreamFilterList(buffer.data()), 2);
    // Wine's graph lists the filter added last first.
    EXPECT_EQ(buffer.c_str(), std::string("Device Filter\r\nSample Grabber\r\n"));
    EXPECT_EQ(vcx_GetBufferSize(2), static_cast<int>(std::strlen(buffer.c_str())) + 1);
}

} // namespace
