// vcxcap-cli: lists devices and captures from them through vcxcap, as any host
// program would, through the public header and the import library.
//
// Exit status: 0 done, 1 a capture step failed (the message names the export,
// its result and what it means), 2 the command line is wrong, 130 a recording
// was interrupted.
#include "commands.h"
#include "interrupt.h"
#include "session.h"
#include "text.h"

#include <CLI/CLI.hpp>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The first argument of every command but devices: a line of the video
// device list.
void addDevice(CLI::App* command, int& device) {
    command->add_option("device", device, "video capture device index (see 'devices')")
        ->required()
        ->check(CLI::NonNegativeNumber);
}

int run(int argc, const char* const* argv) {
    CLI::App app{"vcxcap-cli: video capture through vcxcap. Text is UTF-8; a device is its "
                 "index in the video capture device list of 'devices'."};
    app.name("vcxcap-cli");
    // "/tmp/x.bmp" is a file, not a switch (subcommands take this setting over).
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    int status = 0;
    bool devicePaths = false;
    CLI::App* devicesCommand =
        app.add_subcommand("devices", "list the video and audio capture devices and compressors");
    devicesCommand->add_flag("--paths", devicePaths,
                             "show each video device's DevicePath, which tells devices of one "
                             "name apart");
    devicesCommand->callback([&] { status = cli::runDevices(devicePaths); });

    int device = 0;
    CLI::App* formatsCommand =
        app.add_subcommand("formats", "list the capture formats of a device (width, height, fps)");
    addDevice(formatsCommand, device);
    formatsCommand->callback([&] { status = cli::runFormats(device); });
    CLI::App* infoCommand =
        app.add_subcommand("info", "show the facts of a device's first capture format");
    addDevice(infoCommand, device);
    infoCommand->callback([&] { status = cli::runInfo(device); });

    cli::SnapOptions snap;
    CLI::App* snapCommand =
        app.add_subcommand("snap", "save a frame of a device to a 24-bit BMP file (Null "
                                   "Renderer capture: open, run, wait for the first frame, save)");
    addDevice(snapCommand, snap.device);
    snapCommand->add_option("file", snap.output, "BMP file to write (replaced if it exists)")
        ->required();
    snapCommand->add_option("--timeout", snap.timeoutSeconds, "seconds to wait for the first frame")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    snapCommand->add_option("--width", snap.format.width, "capture width to request");
    snapCommand->add_option("--height", snap.format.height,
                            "capture height to request (negative: top-down)");
    snapCommand->add_option("--fps", snap.format.fps, "frame rate to request")
        ->check(CLI::PositiveNumber);
    snapCommand->footer("Parts of the format left out are taken from the first format of the "
                        "device's list ('formats') that matches the parts given.");
    snapCommand->callback([&] { status = cli::runSnap(snap); });

    cli::RecordOptions record;
    std::string codec;
    CLI::App* recordCommand = app.add_subcommand(
        "record", "record a device to an AVI file, with a progress line a second");
    addDevice(recordCommand, record.device);
    recordCommand->add_option("file", record.output, "AVI file to write")->required();
    recordCommand->add_option("--seconds", record.seconds, "length of the recording")
        ->required()
        ->check(CLI::PositiveNumber);
    CLI::Option* codecOption = recordCommand->add_option(
        "--codec", codec, "exact name of a video compressor (see 'devices'); default: none");
    int audioDevice = 0;
    std::string audioCodec;
    std::string audioFormat;
    CLI::Option* audioOption =
        recordCommand
            ->add_option("--audio", audioDevice,
                         "record sound too: audio capture device index (see 'devices')")
            ->check(CLI::NonNegativeNumber);
    CLI::Option* audioCodecOption =
        recordCommand
            ->add_option("--audio-codec", audioCodec,
                         "exact name of an audio compressor (see 'devices'); default: none, PCM")
            ->needs(audioOption);
    CLI::Option* audioFormatOption =
        recordCommand
            ->add_option("--audio-format", audioFormat,
                         "PCM format to ask of the audio device, RATE,CHANNELS,BITS "
                         "(48000,2,16); default: the device's own")
            ->needs(audioOption)
            ->check(CLI::Validator(
                [](std::string& text) {
                    return cli::parseAudioFormat(text) ? std::string()
                                                       : "not RATE,CHANNELS,BITS: " + text;
                },
                "RATE,CHANNELS,BITS"));
    recordCommand->callback([&] {
        if (codecOption->count() > 0) {
            record.codec = codec;
        }
        if (audioOption->count() > 0) {
            record.audioDevice = audioDevice;
        }
        if (audioCodecOption->count() > 0) {
            record.audioCodec = audioCodec;
        }
        if (audioFormatOption->count() > 0) {
            record.audioFormat = cli::parseAudioFormat(audioFormat);
        }
        status = cli::runRecord(record);
    });

    // --- Camera properties
    CLI::App* controlsCommand = app.add_subcommand(
        "controls", "list a device's camera properties: range, step, default, value, auto or "
                    "manual");
    addDevice(controlsCommand, device);
    controlsCommand->callback([&] { status = cli::runControls(device); });

    std::vector<cli::ControlAssignment> assignments;
    CLI::App* setCommand = app.add_subcommand(
        "set", "set camera properties of a device, in order: NAME=VALUE (manual), NAME=auto, "
               "NAME=manual (auto off, value kept)");
    addDevice(setCommand, device);
    setCommand
        ->add_option_function<std::vector<std::string>>(
            "settings",
            [&](const std::vector<std::string>& texts) {
                std::string problem;
                for (const std::string& text : texts) {
                    assignments.push_back(*cli::parseAssignment(text, problem));
                }
            },
            "properties as 'controls' names them, in any case: brightness=20 exposure=auto")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) {
                std::string problem;
                return cli::parseAssignment(text, problem) ? std::string() : problem;
            },
            "NAME=VALUE|auto|manual"));
    setCommand->footer("A refused setting is reported with its meaning and the exit status is 1; "
                       "the others are still applied. Settings stay with the device.");
    setCommand->callback([&] { status = cli::runSet(device, assignments); });

    cli::WatchOptions watch;
    CLI::App* watchCommand = app.add_subcommand(
        "watch", "watch a device's stream: a line a second with frames, measured fps, dropped "
                 "frames and graph events; status 1 when the device is lost or the stream stalls "
                 "for more than a second");
    addDevice(watchCommand, watch.device);
    watchCommand
        ->add_option("--seconds", watch.seconds, "how long to watch (default: until Ctrl+C)")
        ->check(CLI::PositiveNumber);
    watchCommand->callback([&] { status = cli::runWatch(watch); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int printed = app.exit(error);
        return printed == 0 ? 0 : kUsage;
    }
    return status;
}

} // namespace

// Arguments arrive in UTF-16 and go to the parser in UTF-8; output is UTF-8.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    cli::catchInterrupts();
    std::vector<std::string> arguments;
    for (int index = 0; index < argc; ++index) {
        arguments.push_back(cli::utf8FromWide(argv[index]));
    }
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    try {
        return run(argc, pointers.data());
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "vcxcap-cli: %s\n", error.what());
        return kFailed;
    }
}
