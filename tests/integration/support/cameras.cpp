// The vcxcam configuration of the test prefix and the registration that
// publishes it in the video input and video compressor categories.
#include "harness.h"

#include "ids.h"
#include "registry.h"

#include <string>

namespace harness {

namespace {

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

// Loads vcxcam.dll from the program's folder and calls one of its COM server
// exports, with COM started as regsvr32 does.
void callServerEntry(const char* name) {
    ComScope com;
    const std::wstring path = vcxcamPath();
    const HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr) {
        throw Failure("loading " + narrow(path) + " failed: error " +
                      std::to_string(GetLastError()));
    }
    const auto entry =
        reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (entry == nullptr) {
        FreeLibrary(module);
        throw Failure(narrow(path) + " exports no " + name);
    }
    const HRESULT hr = entry();
    FreeLibrary(module);
    checkHr(hr, std::string("vcxcam.dll ") + name);
}

std::wstring cameraKey(size_t index) {
    return std::wstring(vcxcam::kConfigKey) + L"\\Cameras\\" + std::to_wstring(index);
}

void writeCamera(size_t index, const CameraConfig& camera) {
    const std::wstring key = cameraKey(index);
    if (!camera.friendlyName.empty()) {
        writeString(HKEY_CURRENT_USER, key, L"FriendlyName", camera.friendlyName);
    }
    if (!camera.formats.empty()) {
        writeMultiString(HKEY_CURRENT_USER, key, L"Formats", camera.formats);
    }
    writeDword(HKEY_CURRENT_USER, key, L"PreviewPin", camera.previewPin);
    writeDword(HKEY_CURRENT_USER, key, L"RefuseFormats", camera.refuseFormats);
    writeDword(HKEY_CURRENT_USER, key, L"NoStreamConfig", camera.noStreamConfig);
    writeDword(HKEY_CURRENT_USER, key, L"StartupDelay", camera.startupDelayMs);
    if (camera.controls) {
        writeMultiString(HKEY_CURRENT_USER, key, L"Controls", *camera.controls);
    }
    if (camera.devicePath) {
        writeString(HKEY_CURRENT_USER, key, L"DevicePath", *camera.devicePath);
    }
    writeDword(HKEY_CURRENT_USER, key, L"StallAfter", camera.stallAfter);
    writeDword(HKEY_CURRENT_USER, key, L"LoseAfter", camera.loseAfter);
    writeDword(HKEY_CURRENT_USER, key, L"DropEvery", camera.dropEvery);
    writeDword(HKEY_CURRENT_USER, key, L"DeliverEvery", camera.deliverEvery);
    writeDword(HKEY_CURRENT_USER, key, L"ZeroFrameInterval", camera.zeroFrameInterval);
}

void writeMicrophone(const std::wstring& key, const MicrophoneConfig& microphone) {
    if (!microphone.friendlyName.empty()) {
        writeString(HKEY_CURRENT_USER, key, L"FriendlyName", microphone.friendlyName);
    }
    if (!microphone.formats.empty()) {
        writeMultiString(HKEY_CURRENT_USER, key, L"Formats", microphone.formats);
    }
    writeDword(HKEY_CURRENT_USER, key, L"StartupDelay", microphone.startupDelayMs);
    writeDword(HKEY_CURRENT_USER, key, L"RefuseFormats", microphone.refuseFormats);
    writeDword(HKEY_CURRENT_USER, key, L"NoStreamConfig", microphone.noStreamConfig);
    writeDword(HKEY_CURRENT_USER, key, L"NoClock", microphone.noClock);
    writeDword(HKEY_CURRENT_USER, key, L"StallAfter", microphone.stallAfter);
    writeDword(HKEY_CURRENT_USER, key, L"LoseAfter", microphone.loseAfter);
}

} // namespace

void configureMicrophones(const std::vector<MicrophoneConfig>& microphones) {
    if (microphones.size() > static_cast<size_t>(vcxcam::kMaxMicrophones)) {
        throw Failure("vcxcam has at most " + std::to_string(vcxcam::kMaxMicrophones) +
                      " microphones");
    }
    const std::wstring root = std::wstring(vcxcam::kConfigKey) + L"\\Microphones";
    deleteTree(HKEY_CURRENT_USER, root);
    for (size_t index = 0; index < microphones.size(); ++index) {
        writeMicrophone(root + L"\\" + std::to_wstring(index), microphones[index]);
    }
    registerVcxcam();
}

void registerVcxcam() {
    callServerEntry("DllRegisterServer");
}

void unregisterVcxcam() {
    callServerEntry("DllUnregisterServer");
}

void configureCameras(const std::vector<CameraConfig>& cameras) {
    if (cameras.size() > static_cast<size_t>(vcxcam::kMaxCameras)) {
        throw Failure("vcxcam has at most " + std::to_string(vcxcam::kMaxCameras) + " cameras");
    }
    unregisterVcxcam();
    deleteTree(HKEY_CURRENT_USER, vcxcam::kConfigKey);
    for (size_t index = 0; index < cameras.size(); ++index) {
        writeCamera(index, cameras[index]);
    }
    registerVcxcam();
}

void restoreDefaultCameras() {
    configureCameras({});
}

void configureCompressors(const std::optional<std::vector<std::wstring>>& names) {
    if (names) {
        writeMultiString(HKEY_CURRENT_USER, vcxcam::kConfigKey, L"Compressors", *names);
    } else {
        const LSTATUS status =
            RegDeleteKeyValueW(HKEY_CURRENT_USER, vcxcam::kConfigKey, L"Compressors");
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            throw Failure("removing the Compressors value failed: error " + std::to_string(status));
        }
    }
    registerVcxcam();
}

void removeCameras() {
    unregisterVcxcam();
    deleteTree(HKEY_CURRENT_USER, vcxcam::kConfigKey);
}

} // namespace harness
