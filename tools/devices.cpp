// vcxcap-cli devices: the video and audio capture devices and compressors,
// each with its index (a video device's index is what the other commands take),
// and with --paths each video device's DevicePath.
#include "commands.h"
#include "session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

// Prints each name with its index; with paths, each entry's path under it.
void printList(const char* title, const std::vector<std::string>& names,
               const std::vector<std::string>* paths = nullptr) {
    std::printf("%s:\n", title);
    if (names.empty()) {
        std::printf("  (none)\n");
    }
    for (std::size_t index = 0; index < names.size(); ++index) {
        std::printf("  %zu  %s\n", index,
                    names[index].empty() ? "(no name)" : names[index].c_str());
        if (paths != nullptr) {
            const bool known = index < paths->size() && !(*paths)[index].empty();
            std::printf("     path: %s\n", known ? (*paths)[index].c_str() : "(none)");
        }
    }
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
    printList("audio capture devices", readDeviceList(1));
    printList("video compressors", readCodecList(0));
    printList("audio compressors", readCodecList(1));
    return 0;
}

} // namespace cli
