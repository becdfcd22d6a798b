// vcxcap-cli formats and info: the capture formats a device lists, and the
// facts of its first format.
#include "commands.h"
#include "device_formats.h"
#include "session.h"
#include "vcxcap.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace cli {

namespace {

// A code vcx_GetCapInfo answers 0 for once every check has passed: its
// failures show without a field value standing in the way.
constexpr int kNoField = 6;

enum CapInfoCode { kWidth, kHeight, kBitRate, kBitErrorRate, kFrameInterval, kCompression };

std::string compressionName(unsigned fourcc) {
    if (fourcc == 0) {
        return "RGB (0)";
    }
    std::string text = "'";
    for (int shift = 0; shift < 32; shift += 8) {
        const char letter = static_cast<char>(fourcc >> shift & 0xFF);
        text += letter >= ' ' && letter <= '~' ? letter : '?';
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "' (0x%08X)", fourcc);
    return text + hex;
}

} // namespace

int runFormats(int device) {
    Library library;
    OpenSlot slot(device, kNoOutput);
    const std::vector<DeviceCapability> capabilities = readCapabilities();
    std::printf("capture formats of device %d:\n", device);
    if (capabilities.empty()) {
        std::printf("  (none listed)\n");
    }
    for (const DeviceCapability& capability : capabilities) {
        if (!capability.described) {
            std::printf("  %d  (the device could not describe it)\n", capability.index);
            continue;
        }
        std::string line =
            "  " + std::to_string(capability.index) + "  " + std::to_string(capability.width) +
            "x" + std::to_string(std::abs(capability.height)) + "  " + rateText(capability.fps) +
            "  " + capability.subtype + "  " + capability.formatType + "  " +
            std::to_string(capability.bitCount) + " bit";
        if (capability.minFps != capability.maxFps) {
            char range[64];
            std::snprintf(range, sizeof range, "  range %.2f..%.2f fps", capability.minFps,
                          capability.maxFps);
            line += range;
        }
        if (capability.height < 0) {
            line += "  (top-down)";
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int runInfo(int device) {
    Library library;
    OpenSlot slot(device, kNoOutput);
    check("vcx_GetCapInfo", vcx_GetCapInfo(kNoField));
    const int width = vcx_GetCapInfo(kWidth);
    const int height = vcx_GetCapInfo(kHeight);
    const auto interval = static_cast<unsigned>(vcx_GetCapInfo(kFrameInterval));
    std::printf("first capture format of device %d:\n", device);
    std::printf("  width           %d\n", width);
    std::printf("  height          %d%s\n", height, height < 0 ? " (top-down)" : "");
    std::printf("  bit rate        %u bit/s\n", static_cast<unsigned>(vcx_GetCapInfo(kBitRate)));
    std::printf("  bit error rate  %u\n", static_cast<unsigned>(vcx_GetCapInfo(kBitErrorRate)));
    if (interval > 0) {
        std::printf("  frame interval  %u x 100 ns (%.2f fps)\n", interval, 1e7 / interval);
    } else {
        std::printf("  frame interval  0 (rate not reported)\n");
    }
    std::printf("  compression     %s\n",
                compressionName(static_cast<unsigned>(vcx_GetCapInfo(kCompression))).c_str());
    if (width == 0 && height == 0) {
        std::printf("  (the device lists no format, or its first has no VIDEOINFOHEADER)\n");
    }
    return 0;
}

} // namespace cli
