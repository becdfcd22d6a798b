#include "config.h"

#include "ids.h"
#include "registry.h"

namespace vcxcam {

namespace {

// Friendly names longer than this are not used.
constexpr std::size_t kMaxFriendlyName = 255;
// Device paths longer than this are not used.
constexpr std::size_t kMaxDevicePath = 1000;

std::wstring cameraKeyPath(int index) {
    return std::wstring(kConfigKey) + L"\\Cameras\\" + std::to_wstring(index);
}

CameraConfig readFrom(const RegKey& key, int index) {
    CameraConfig config;
    config.index = index;
    const std::optional<std::wstring> name = key ? key.readString(L"FriendlyName") : std::nullopt;
    config.friendlyName = name && !name->empty() && name->size() <= kMaxFriendlyName
                              ? *name
                              : defaultFriendlyName(index);
    if (key) {
        if (const auto lines = key.readMultiString(L"Formats")) {
            config.formats = parseCapabilities(*lines);
        }
        config.previewPin = key.readDword(L"PreviewPin").value_or(0) == 1;
        config.refuseFormats = key.readDword(L"RefuseFormats").value_or(0) == 1;
        config.noStreamConfig = key.readDword(L"NoStreamConfig").value_or(0) == 1;
        const DWORD delay = key.readDword(L"StartupDelay").value_or(0);
        config.startupDelayMs = delay <= kMaxStartupDelayMs ? delay : 0;
        config.stallAfter = key.readDword(L"StallAfter").value_or(0);
        config.loseAfter = key.readDword(L"LoseAfter").value_or(0);
        config.dropEvery = key.readDword(L"DropEvery").value_or(0);
        config.deliverEvery = key.readDword(L"DeliverEvery").value_or(0);
        config.zeroFrameInterval = key.readDword(L"ZeroFrameInterval").value_or(0) == 1;
    }
    if (config.formats.empty()) {
        config.formats = defaultCapabilities();
    }
    const auto controls = key ? key.readMultiString(L"Controls") : std::nullopt;
    config.controls = controls ? parseControls(*controls) : defaultControls();
    const auto path = key ? key.readString(L"DevicePath") : std::nullopt;
    config.devicePath = path && path->size() <= kMaxDevicePath ? *path : defaultDevicePath(index);
    return config;
}

} // namespace

std::wstring defaultFriendlyName(int index) {
    std::wstring name = kDefaultFriendlyName;
    if (index > 0) {
        name += L" " + std::to_wstring(index + 1);
    }
    return name;
}

std::wstring defaultDevicePath(int index) {
    std::wstring number = std::to_wstring(index);
    number.insert(0, 4 - number.size(), L'0');
    return L"\\\\?\\root#vcxcam#" + number;
}

std::vector<CameraConfig> readCameraConfigs() {
    std::vector<CameraConfig> cameras;
    for (int index = 0; index < kMaxCameras; ++index) {
        const RegKey key = RegKey::open(HKEY_CURRENT_USER, cameraKeyPath(index));
        if (key) {
            cameras.push_back(readFrom(key, index));
        }
    }
    if (cameras.empty()) {
        cameras.push_back(readFrom(RegKey(), 0));
    }
    return cameras;
}

std::vector<std::wstring> readCompressorNames() {
    const RegKey key = RegKey::open(HKEY_CURRENT_USER, kConfigKey);
    std::optional<std::vector<std::wstring>> names =
        key ? key.readMultiString(L"Compressors") : std::nullopt;
    if (!names) {
        return {kDefaultCompressorName};
    }
    if (names->size() > static_cast<std::size_t>(kMaxCompressors)) {
        names->resize(kMaxCompressors);
    }
    return *names;
}

CameraConfig readCameraConfig(int index) {
    return readFrom(RegKey::open(HKEY_CURRENT_USER, cameraKeyPath(index)), index);
}

} // namespace vcxcam
