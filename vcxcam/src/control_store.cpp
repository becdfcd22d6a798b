#include "control_store.h"

#include "ids.h"
#include "registry.h"

#include <map>
#include <mutex>

namespace vcxcam {

namespace {

std::wstring controlsKeyPath(int cameraIndex) {
    return std::wstring(kControlsKey) + L"\\" + std::to_wstring(cameraIndex);
}

std::wstring valueName(int number) {
    const char* name = vcx::kCameraProperties[number].name;
    return std::wstring(name, name + std::char_traits<char>::length(name));
}

// Takes every setting the registry kept for the camera that its state can
// still hold.
void restoreSettings(int cameraIndex, ControlState& state) {
    const RegKey key = RegKey::open(HKEY_CURRENT_USER, controlsKeyPath(cameraIndex));
    if (!key) {
        return;
    }
    for (int number = 0; number < vcx::kCameraPropertyCount; ++number) {
        const std::optional<std::wstring> text = key.readString(valueName(number).c_str());
        if (const std::optional<ControlSetting> kept = text ? parseSetting(*text) : std::nullopt) {
            state.restore(number, *kept);
        }
    }
}

} // namespace

std::shared_ptr<ControlState> cameraControlState(const CameraConfig& config) {
    static std::mutex mutex;
    static std::map<int, std::weak_ptr<ControlState>> living;
    std::lock_guard lock(mutex);
    if (std::shared_ptr<ControlState> shared = living[config.index].lock()) {
        return shared;
    }
    auto state = std::make_shared<ControlState>(config.controls);
    restoreSettings(config.index, *state);
    living[config.index] = state;
    return state;
}

HRESULT saveControlSetting(int cameraIndex, int number, const ControlSetting& setting) {
    LSTATUS status = ERROR_SUCCESS;
    const RegKey key = RegKey::create(HKEY_CURRENT_USER, controlsKeyPath(cameraIndex), &status);
    if (!key) {
        return HRESULT_FROM_WIN32(status);
    }
    return HRESULT_FROM_WIN32(key.writeString(valueName(number).c_str(), settingText(setting)));
}

} // namespace vcxcam
