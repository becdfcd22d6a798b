// "regsvr32 /u vcxcam.dll" takes every camera and the colour converter out of
// the registry, whatever was registered and whatever the configuration says
// at the time.
#include <gtest/gtest.h>

#include "harness.h"
#include "ids.h"
#include "registry.h"

#include <dshow.h>

#include <string>
#include <vector>

namespace {

// The video input category and the category IFilterMapper2 uses when given
// none, where the converter is and a camera's registration could also land.
const CLSID* const kCategories[] = {&CLSID_VideoInputDeviceCategory, &CLSID_LegacyAmFilterCategory};

std::wstring instancesKey(const CLSID& category) {
    return L"CLSID\\" + harness::guidString(category) + L"\\Instance";
}

// Every HKCR key through which a filter could still be found: its COM server
// key, its instance in either category, and the old IFilterMapper filter key.
std::vector<std::wstring> filterKeys(const CLSID& filter) {
    const std::wstring clsid = harness::guidString(filter);
    std::vector<std::wstring> keys = {L"CLSID\\" + clsid, L"Filter\\" + clsid};
    for (const CLSID* category : kCategories) {
        keys.push_back(instancesKey(*category) + L"\\" + clsid);
    }
    return keys;
}

// A camera's class, the converter's or the MJPEG decoder's.
bool isOurClsid(const std::wstring& text) {
    CLSID clsid;
    if (FAILED(CLSIDFromString(text.c_str(), &clsid))) {
        return false;
    }
    if (clsid == vcxcam::kConverterClsid || clsid == vcxcam::kMjpegDecoderClsid) {
        return true;
    }
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        if (clsid == vcxcam::cameraClsid(index)) {
            return true;
        }
    }
    return false;
}

// The keys of all eight possible cameras, the converter and the decoder that exist,
// plus any category instance, whatever its key name, whose CLSID value names
// one of them.
std::vector<std::wstring> ourKeysPresent() {
    std::vector<CLSID> ours = {vcxcam::kConverterClsid, vcxcam::kMjpegDecoderClsid};
    for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
        ours.push_back(vcxcam::cameraClsid(index));
    }
    std::vector<std::wstring> present;
    for (const CLSID& clsid : ours) {
        for (const std::wstring& key : filterKeys(clsid)) {
            if (harness::keyExists(HKEY_CLASSES_ROOT, key)) {
                present.push_back(key);
            }
        }
    }
    for (const CLSID* category : kCategories) {
        const std::wstring parent = instancesKey(*category);
        for (const std::wstring& name : harness::subkeyNames(HKEY_CLASSES_ROOT, parent)) {
            const std::wstring key = parent + L"\\" + name;
            const auto clsid = harness::readString(HKEY_CLASSES_ROOT, key, L"CLSID");
            if (clsid && isOurClsid(*clsid) && !isOurClsid(name)) {
                present.push_back(key);
            }
        }
    }
    return present;
}

std::vector<harness::CameraConfig> camerasNamed(const std::vector<std::wstring>& names) {
    std::vector<harness::CameraConfig> cameras(names.size());
    for (size_t index = 0; index < names.size(); ++index) {
        cameras[index].friendlyName = names[index];
    }
    return cameras;
}

std::string listed(const std::vector<std::wstring>& keys) {
    std::string text;
    for (const std::wstring& key : keys) {
        text += "\n  HKCR\\" + harness::narrow(key);
    }
    return text;
}

const std::vector<std::wstring> kThreeNames = {L"Left", L"Middle", L"Right"};

class Unregistration : public ::testing::Test {
  protected:
    // Later tests find the default camera registered.
    void TearDown() override { harness::restoreDefaultCameras(); }

    static void expectRegistered(int cameras) {
        for (const CLSID& transform : {vcxcam::kConverterClsid, vcxcam::kMjpegDecoderClsid}) {
            EXPECT_TRUE(
                harness::keyExists(HKEY_CLASSES_ROOT, instancesKey(CLSID_LegacyAmFilterCategory) +
                                                          L"\\" + harness::guidString(transform)))
                << harness::narrow(harness::guidString(transform));
        }
        for (int index = 0; index < vcxcam::kMaxCameras; ++index) {
            const std::wstring clsid = harness::guidString(vcxcam::cameraClsid(index));
            EXPECT_EQ(harness::keyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid), index < cameras)
                << "camera " << index;
            EXPECT_EQ(
                harness::keyExists(HKEY_CLASSES_ROOT,
                                   instancesKey(CLSID_VideoInputDeviceCategory) + L"\\" + clsid),
                index < cameras)
                << "camera " << index;
        }
    }

    static void unregisterWithRegsvr32() {
        const std::wstring command = L"regsvr32 /s /u \"" + harness::vcxcamPath() + L"\"";
        ASSERT_EQ(harness::runProgram(command), 0u) << harness::narrow(command);
    }

    static void expectNothingLeft() {
        const std::vector<std::wstring> left = ourKeysPresent();
        EXPECT_TRUE(left.empty()) << "left behind:" << listed(left);
        EXPECT_EQ(harness::videoInputDeviceNames(), std::vector<std::wstring>{});
    }
};

TEST_F(Unregistration, RemovesThreeConfiguredCameras) {
    ASSERT_NO_FATAL_FAILURE(harness::configureCameras(camerasNamed(kThreeNames)));
    ASSERT_EQ(harness::videoInputDeviceNames(), kThreeNames);
    ASSERT_NO_FATAL_FAILURE(expectRegistered(3));

    ASSERT_NO_FATAL_FAILURE(unregisterWithRegsvr32());
    expectNothingLeft();
}

TEST_F(Unregistration, RemovesTheDefaultCamera) {
    ASSERT_NO_FATAL_FAILURE(harness::restoreDefaultCameras());
    ASSERT_EQ(harness::videoInputDeviceNames(),
              std::vector<std::wstring>{vcxcam::kDefaultFriendlyName});
    ASSERT_NO_FATAL_FAILURE(expectRegistered(1));

    ASSERT_NO_FATAL_FAILURE(unregisterWithRegsvr32());
    expectNothingLeft();
}

TEST_F(Unregistration, RemovesCamerasTheConfigurationNoLongerNames) {
    ASSERT_NO_FATAL_FAILURE(harness::configureCameras(camerasNamed(kThreeNames)));
    ASSERT_NO_FATAL_FAILURE(expectRegistered(3));
    // Back to the default configuration without registering again: the
    // registry still holds three cameras, the configuration names one.
    harness::deleteTree(HKEY_CURRENT_USER, vcxcam::kConfigKey);

    ASSERT_NO_FATAL_FAILURE(unregisterWithRegsvr32());
    expectNothingLeft();
}

} // namespace
