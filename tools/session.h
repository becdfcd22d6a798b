// The library as the tool holds it: started for a command, one slot open for
// a while, every failing call turned into a CommandError that names the
// export, its result and what that means.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A command that could not be done; main prints it and exits with 1.
class CommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Returns result when it is not negative; throws CommandError otherwise.
int check(const char* exportName, int result);

// vcx_Init for the lifetime of the object, vcx_Exit at its end.
class Library {
  public:
    Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library();
};

// Slot 0 open on a video capture device for the lifetime of the object, closed
// (stopping it first when it runs) at its end. Throws when vcx_Open fails;
// result() keeps what it answered (1: the device refused the requested format).
class OpenSlot {
  public:
    // Modes as vcx_Open takes them; fileName and codec apply to the AVI mode.
    OpenSlot(int device, int mode, const std::wstring& fileName = {},
             const std::wstring& codec = {});
    OpenSlot(const OpenSlot&) = delete;
    OpenSlot& operator=(const OpenSlot&) = delete;
    ~OpenSlot();

    int result() const { return result_; }

  private:
    int result_ = 0;
};

// The output modes the tool uses.
inline constexpr int kNoOutput = 5;
inline constexpr int kNullRenderer = 6;
inline constexpr int kAviFile = 300;

// A whole device or compressor list (audio 0: video), read with its size
// query: the entries in order, in UTF-8; an empty category gives none.
std::vector<std::string> readDeviceList(int audio);
std::vector<std::string> readCodecList(int audio);

// The DevicePath list of the video capture devices (line n: device n, empty
// for a device without one); an empty category gives none.
std::vector<std::string> readDevicePathList();

// The formats ("RATE,CHANNELS,BITS") audio capture device index offers;
// none when its capture pin has no stream configuration.
std::vector<std::string> readAudioFormatList(int device);

// The control list of the device open in the active slot; nothing when the
// device offers neither IAMVideoProcAmp nor IAMCameraControl.
std::optional<std::vector<std::string>> readControlList();

} // namespace cli
