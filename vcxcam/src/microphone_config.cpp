#include "microphone_config.h"

#include "ids.h"
#include "registry.h"

namespace vcxcam {

namespace {

constexpr std::size_t kMaxFriendlyName = 255;

std::wstring microphoneKeyPath(int index) {
    return std::wstring(kConfigKey) + L"\\Microphones\\" + std::to_wstring(index);
}

bool readSwitch(const RegKey& key, const wchar_t* name) {
    return key && key.readDword(name).value_or(0) == 1;
}

MicrophoneConfig readFrom(const RegKey& key, int index) {
    MicrophoneConfig config;
    config.index = index;
    const std::optional<std::wstring> name = key ? key.readString(L"FriendlyName") : std::nullopt;
    config.friendlyName = name && !name->empty() && name->size() <= kMaxFriendlyName
                              ? *name
                              : defaultMicrophoneName(index);
    if (key) {
        if (const auto lines = key.readMultiString(L"Formats")) {
            config.formats = parseAudioFormats(*lines);
        }
        const DWORD delay = key.readDword(L"StartupDelay").value_or(0);
        config.startupDelayMs = delay <= kMaxMicrophoneDelayMs ? delay : 0;
        config.stallAfter = key.readDword(L"StallAfter").value_or(0);
        config.loseAfter = key.readDword(L"LoseAfter").value_or(0);
    }
    config.refuseFormats = readSwitch(key, L"RefuseFormats");
    config.noStreamConfig = readSwitch(key, L"NoStreamConfig");
    config.noClock = readSwitch(key, L"NoClock");
    if (config.formats.empty()) {
        config.formats = defaultAudioFormats();
    }
    return config;
}

} // namespace

std::wstring defaultMicrophoneName(int index) {
    std::wstring name = kDefaultMicrophoneName;
    if (index > 0) {
        name += L" " + std::to_wstring(index + 1);
    }
    return name;
}

std::vector<MicrophoneConfig> readMicrophoneConfigs() {
    std::vector<MicrophoneConfig> microphones;
    for (int index = 0; index < kMaxMicrophones; ++index) {
        const RegKey key = RegKey::open(HKEY_CURRENT_USER, microphoneKeyPath(index));
        if (key) {
            microphones.push_back(readFrom(key, index));
        }
    }
    return microphones;
}

MicrophoneConfig readMicrophoneConfig(int index) {
    return readFrom(RegKey::open(HKEY_CURRENT_USER, microphoneKeyPath(index)), index);
}

} // namespace vcxcam
