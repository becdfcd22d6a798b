// vcxcap-cli devices: the video and audio capture devices and compressors,
// each with its index (a video device's index is what the other commands take).
#include "commands.h"
#include "session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

void printList(const char* title, const std::vector<std::string>& names) {
    std::printf("%s:\n", title);
    if (names.empty()) {
        std::printf("  (none)\n");
    }
    for (std::size_t index = 0; index < names.size(); ++index) {
        std::printf("  %zu  %s\n", index,
                    names[index].empty() ? "(no name)" : names[index].c_str());
    }
}

} // namespace

int runDevices() {
    Library library;
    printList("video capture devices", readDeviceList(0));
    printList("audio capture devices", readDeviceList(1));
    printList("video compressors", readCodecList(0));
    printList("audio compressors", readCodecList(1));
    return 0;
}

} // namespace cli
