// vcxcap-cli snap and record: a frame of a device to a BMP file, a timed AVI
// recording of it that ends at once when the recording fails.
#include "commands.h"
#include "device_formats.h"
#include "events.h"
#include "interrupt.h"
#include "results.h"
#include "session.h"
#include "text.h"
#include "vcxcap.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace cli {

namespace {

constexpr int kNoFrameYet = -7;    // vcx_SaveBMP before the grabber holds a frame
constexpr int kWaitTimedOut = -3;  // vcx_WaitFrame
constexpr DWORD kWaitStepMs = 100; // how soon a wait notices Ctrl+C

// Waits for a frame numbered above after until deadline (GetTickCount64) or an
// interrupt: its number, or 0 when none came.
int waitForFrame(int after, ULONGLONG deadline) {
    for (ULONGLONG now = GetTickCount64(); now < deadline && !interrupted();
         now = GetTickCount64()) {
        const auto step = static_cast<int>(std::min<ULONGLONG>(kWaitStepMs, deadline - now));
        const int result = vcx_WaitFrame(after, step);
        if (result != kWaitTimedOut) {
            return check("vcx_WaitFrame", result);
        }
    }
    return 0;
}

// Saves the first frame newer than the open: waits for it (vcx_WaitFrame),
// then saves what the grabber holds, waiting for the next frame while the
// grabber has buffered none yet.
void saveFirstFrame(const std::string& ansiPath, double timeoutSeconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds * 1000);
    int result = kNoFrameYet;
    for (int seen = 0; result == kNoFrameYet;) {
        seen = waitForFrame(seen, deadline);
        if (seen == 0) {
            char why[64];
            std::snprintf(why, sizeof why, "no frame within %g s", timeoutSeconds);
            throw CommandError(interrupted() ? std::string("interrupted") : std::string(why));
        }
        result = vcx_SaveBMP(ansiPath.c_str());
    }
    check("vcx_SaveBMP", result);
}

// Sleeps until deadline or an interrupt, taking the graph's events as they
// come; the first that ends the recording, if one does.
std::optional<GraphEvent> recordUntil(ULONGLONG deadline) {
    constexpr DWORD kEventPollMs = 20;
    for (;;) {
        for (const GraphEvent& event : takeEvents()) {
            if (endsCapture(event)) {
                return event;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || interrupted()) {
            return std::nullopt;
        }
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(kEventPollMs, deadline - now)));
    }
}

// Width and height of the newest frame, from its header.
std::pair<long, long> frameSize() {
    BITMAPINFO header{};
    int size = 0;
    check("vcx_GetImageMem", vcx_GetImageMem(nullptr, &size, &header));
    return {header.bmiHeader.biWidth, header.bmiHeader.biHeight};
}

long long fileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::wstring wideArgument(const char* what, const std::string& text) {
    const std::optional<std::wstring> wide = wideFromUtf8(text);
    if (!wide) {
        throw CommandError(std::string("the ") + what + " is not valid UTF-8");
    }
    return *wide;
}

// Stores the requested format in slot 0 for its next open, completed from
// the device's own list where the command line left parts out. Only then is
// the device opened to read that list.
DeviceFormat requestFormat(int device, const FormatRequest& request) {
    std::vector<DeviceFormat> formats;
    if (!request.complete()) {
        OpenSlot probe(device, kNoOutput);
        formats = readDeviceFormats();
    }
    const DeviceFormat format = completeRequest(request, formats);
    vcx_SetActiveSel(0);
    vcx_SetDevWidth(format.width);
    vcx_SetDevHeight(format.height);
    vcx_SetDevFrameRate(format.fps);
    return format;
}

// Stores the recording's sound in slot 0 for its next open; every refusal
// is the command's failure.
void requestSound(const RecordOptions& options) {
    vcx_SetActiveSel(0);
    check("vcx_SetAudioDevice", vcx_SetAudioDevice(*options.audioDevice));
    if (options.audioCodec) {
        const std::optional<std::string> name = ansiFromUtf8(*options.audioCodec);
        if (!name) {
            throw CommandError("the audio compressor name cannot be written in the system's "
                               "ANSI code page, in which the library lists it");
        }
        check("vcx_SetAudioCodec", vcx_SetAudioCodec(name->c_str()));
    }
    if (options.audioFormat) {
        const AudioFormatRequest& format = *options.audioFormat;
        check("vcx_SetAudioFormat",
              vcx_SetAudioFormat(format.sampleRate, format.channels, format.bitsPerSample));
    }
}

} // namespace

std::optional<AudioFormatRequest> parseAudioFormat(std::string_view text) {
    int values[3] = {};
    for (int index = 0; index < 3; ++index) {
        const std::size_t end = index < 2 ? text.find(',') : text.size();
        const std::string_view number = text.substr(0, end);
        if (end == std::string_view::npos || number.empty() || number.size() > 9 ||
            number.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        values[index] = std::stoi(std::string(number));
        text.remove_prefix(index < 2 ? end + 1 : end);
    }
    return AudioFormatRequest{values[0], values[1], values[2]};
}

int runSnap(const SnapOptions& options) {
    const std::optional<std::string> path = ansiFromUtf8(options.output);
    if (!path) {
        throw CommandError("the path \"" + options.output +
                           "\" cannot be written in the system's ANSI code page (" +
                           std::to_string(GetACP()) + "), which the snapshot takes");
    }
    Library library;
    std::optional<DeviceFormat> requested;
    if (options.format.any()) {
        requested = requestFormat(options.device, options.format);
    }
    OpenSlot slot(options.device, kNullRenderer);
    if (requested && slot.result() == 1) {
        char format[64];
        std::snprintf(format, sizeof format, "%dx%d at %.2f fps", requested->width,
                      requested->height, requested->fps);
        throw CommandError(std::string("the device refused ") + format + " (" +
                           describeResult("vcx_Open", 1) + ")");
    }
    check("vcx_Play2", vcx_Play2());
    saveFirstFrame(*path, options.timeoutSeconds);
    const auto [width, height] = frameSize();
    std::printf("saved a %ldx%ld frame of device %d to %s\n", width, height < 0 ? -height : height,
                options.device, options.output.c_str());
    return 0;
}

int runRecord(const RecordOptions& options) {
    const std::wstring file = wideArgument("file name", options.output);
    const std::wstring codec =
        options.codec ? wideArgument("compressor name", *options.codec) : L"";
    Library library;
    int seconds = 0;
    std::optional<GraphEvent> failure;
    {
        if (options.audioDevice) {
            requestSound(options);
        }
        OpenSlot slot(options.device, kAviFile, file, codec);
        if (slot.result() >= 2) {
            std::printf("%s\n", describeResult("vcx_Open", slot.result()).c_str());
        }
        check("vcx_Play2", vcx_Play2());
        const ULONGLONG start = GetTickCount64();
        while (seconds < options.seconds && !interrupted() && !failure) {
            failure = recordUntil(start + 1000ULL * static_cast<ULONGLONG>(seconds + 1));
            if (!interrupted() && !failure) {
                ++seconds;
                std::printf("recording %d/%d s, %lld bytes written\n", seconds, options.seconds,
                            fileBytes(file));
                std::fflush(stdout);
            }
        }
        check("vcx_Stop", vcx_Stop());
    }
    if (failure) {
        char text[64];
        std::snprintf(text, sizeof text, "the recording failed after %d s, ", seconds);
        throw CommandError(text + describeEvent(*failure) + "; " + options.output + " holds " +
                           std::to_string(fileBytes(file)) +
                           " bytes, its frames up to the failure");
    }
    std::string sound;
    if (options.audioDevice) {
        sound = " with audio device " + std::to_string(*options.audioDevice);
        if (options.audioCodec) {
            sound += " through " + *options.audioCodec;
        }
    }
    std::printf("recorded %d s of device %d%s%s%s to %s (%lld bytes)%s\n", seconds, options.device,
                options.codec ? " through " : "", options.codec ? options.codec->c_str() : "",
                sound.c_str(), options.output.c_str(), fileBytes(file),
                interrupted() ? ", interrupted" : "");
    return interrupted() ? kInterruptedStatus : 0;
}

} // namespace cli
