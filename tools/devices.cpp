// vcxcap-cli devices: the video and audio capture devices and compressors,
// each with its index (a video device's index is what the other commands take,
// an audio device's what record --audio takes), each audio device's formats,
// and with --paths each video device's DevicePath.
#include "commands.h"
#include "session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

// Prints each name with its index; with details, each entry's detail under
// it after label ("path", "formats").
void printList(const char* title, const std::vector<std::string>& names,
               const std::vector<std::string>* details = nullptr, const char* label = "path") {
    std::printf("%s:\n", title);
    if (names.empty()) {
        std::printf("  (none)\n");
    }
    for (std::size_t index = 0; index < names.size(); ++index) {
        std::printf("  %zu  %s\n", index,
                    names[index].empty() ? "(no name)" : names[index].c_str());
        if (details != nullptr) {
            const bool known = index < details->size() && !(*details)[index].empty();
            std::printf("     %s: %s\n", label, known ? (*details)[index].c_str() : "(none)");
        }
    }
}

// Each audio device's formats on one line, two spaces apart.
std::vector<std::string> audioFormatLines(std::size_t devices) {
    std::vector<std::string> lines;
    for (std::size_t device = 0; device < devices; ++device) {
        std::string line;
        for (const std::string& format : readAudioFormatList(static_cast<int>(device))) {
            line += (line.empty() ? "" : "  ") + format;
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

int runDevices(bool paths) {
    Library library;
    const std::vector<std::string> videoDevices = readDeviceList(0);
    if (paths) {
        const std::vector<std::string> devicePaths = readDevicePathList();
        printList("video capture devices", videoDevices, &devicePaths);
    } else {
        printList("video capture devices", videoDevices);
    }
    const std::vector<std::string> audioDevices = readDeviceList(1);
    const std::vector<std::string> audioFormats = audioFormatLines(audioDevices.size());
    printList("audio capture devices", audioDevices, &audioFormats, "formats");
    printList("video compressors", readCodecList(0));
    printList("audio compressors", readCodecList(1));
    return 0;
}

} // namespace cli
