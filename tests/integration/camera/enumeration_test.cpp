// The cameras the configuration names, as the video input category lists
// them, and what registering and unregistering leave in the registry.
#include "camera_support.h"

#include "ids.h"
#include "registry.h"

namespace camtest {
namespace {

using EnumerationTest = CameraTest;

const std::wstring kCategoryInstances = L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance";

std::wstring classKey(int index) {
    return L"CLSID\\" + harness::guidString(vcxcam::cameraClsid(index));
}

TEST_F(EnumerationTest, WithoutConfigurationOneDefaultCameraIsListed) {
    harness::restoreDefaultCameras();
    EXPECT_EQ(harness::videoInputDeviceNames(),
              std::vector<std::wstring>{L"vcxcam Virtual Camera"});
}

TEST_F(EnumerationTest, ConfiguredNamesAreListedInCameraOrder) {
    // Names chosen to sort differently from the camera order, one outside Latin-1.
    const std::vector<std::wstring> names = {
        L"Zulu camera", L"Alpha camera", L"\u30ab\u30e1\u30e9 \u00e9\u00df \u2603", L"Mike camera"};
    std::vector<harness::CameraConfig> cameras;
    for (const std::wstring& name : names) {
        cameras.push_back(harness::CameraConfig{name, {}, 0, 0, 0});
    }
    harness::configureCameras(cameras);
    EXPECT_EQ(harness::videoInputDeviceNames(), names);
}

TEST_F(EnumerationTest, EightCamerasEachWithItsOwnClass) {
    std::vector<harness::CameraConfig> cameras;
    std::vector<std::wstring> names;
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        names.push_back(L"cam " + std::to_wstring(7 - index));
        cameras.push_back(harness::CameraConfig{names.back(), {}, 0, 0, 0});
    }
    harness::configureCameras(cameras);
    EXPECT_EQ(harness::videoInputDeviceNames(), names);
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        ComPtr<IBaseFilter> camera = bindCamera(names[static_cast<std::size_t>(index)]);
        CLSID clsid{};
        ASSERT_EQ(camera->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, vcxcam::cameraClsid(index)) << "camera " << index;
    }
}

TEST_F(EnumerationTest, CamerasWithoutANameGetNumberedDefaultNames) {
    harness::configureCameras({harness::CameraConfig{}, harness::CameraConfig{},
                               harness::CameraConfig{L"Named", {}, 0, 0, 0}});
    EXPECT_EQ(harness::videoInputDeviceNames(),
              (std::vector<std::wstring>{L"vcxcam Virtual Camera", L"vcxcam Virtual Camera 2",
                                         L"Named"}));
}

TEST_F(EnumerationTest, RegistrationWritesAnInprocServerPerCamera) {
    harness::configureCameras(
        {harness::CameraConfig{L"One", {}, 0, 0, 0}, harness::CameraConfig{L"Two", {}, 0, 0, 0}});
    for (int index = 0; index < 2; ++index) {
        const std::wstring server = classKey(index) + L"\\InprocServer32";
        const auto path = harness::readString(HKEY_CLASSES_ROOT, server, nullptr);
        ASSERT_TRUE(path.has_value()) << "camera " << index;
        EXPECT_EQ(CompareStringOrdinal(path->c_str(), -1, harness::vcxcamPath().c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << harness::narrow(*path);
        EXPECT_EQ(harness::readString(HKEY_CLASSES_ROOT, server, L"ThreadingModel"), L"Both");
        const std::wstring instance =
            kCategoryInstances + L"\\" + harness::guidString(vcxcam::cameraClsid(index));
        EXPECT_EQ(harness::readString(HKEY_CLASSES_ROOT, instance, L"CLSID"),
                  harness::guidString(vcxcam::cameraClsid(index)));
    }
    EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, classKey(2)));
}

TEST_F(EnumerationTest, RegisteringAgainDropsCamerasNoLongerConfigured) {
    harness::configureCameras({harness::CameraConfig{L"A", {}, 0, 0, 0},
                               harness::CameraConfig{L"B", {}, 0, 0, 0},
                               harness::CameraConfig{L"C", {}, 0, 0, 0}});
    // Configuration shrinks behind the DLL's back, then it registers again.
    harness::deleteTree(HKEY_CURRENT_USER, std::wstring(vcxcam::kConfigKey) + L"\\Cameras\\2");
    harness::registerVcxcam();
    EXPECT_EQ(harness::videoInputDeviceNames(), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, classKey(2)));
}

TEST_F(EnumerationTest, UnregisteringRemovesCamerasTheConfigurationNoLongerNames) {
    harness::configureCameras({harness::CameraConfig{L"A", {}, 0, 0, 0},
                               harness::CameraConfig{L"B", {}, 0, 0, 0},
                               harness::CameraConfig{L"C", {}, 0, 0, 0}});
    // Cameras 1 and 2 leave the configuration after registration.
    harness::deleteTree(HKEY_CURRENT_USER, std::wstring(vcxcam::kConfigKey) + L"\\Cameras\\1");
    harness::deleteTree(HKEY_CURRENT_USER, std::wstring(vcxcam::kConfigKey) + L"\\Cameras\\2");
    harness::unregisterVcxcam();
    EXPECT_TRUE(harness::videoInputDeviceNames().empty());
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, classKey(index))) << "camera " << index;
    }
    EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, kCategoryInstances));
}

TEST_F(EnumerationTest, FilterReadsTheConfigurationWhenCreated) {
    harness::configureCameras({harness::CameraConfig{L"Live", {L"320x240@30"}, 0, 0, 0}});
    int count = 0;
    int size = 0;
    ASSERT_EQ(streamConfig(createCamera(0).get())->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 1);
    // Changed without registering again: the next filter made sees it.
    harness::writeMultiString(HKEY_CURRENT_USER, std::wstring(vcxcam::kConfigKey) + L"\\Cameras\\0",
                              L"Formats", {L"160x120@15", L"176x144@15"});
    ASSERT_EQ(streamConfig(bindCamera(L"Live").get())->GetNumberOfCapabilities(&count, &size),
              S_OK);
    EXPECT_EQ(count, 2);
}

} // namespace
} // namespace camtest
