// Every export of the i686 vcxcap.dll called as a 32-bit Windows host may
// call it: with the stack aligned only to 4 bytes (misaligned by 4, 8 and 12
// bytes from the 16 that GCC assumes), in a state where it does its work on
// the running default camera. Each call must answer what it answers on an
// aligned stack, and, as a C calling convention function, leave the
// caller's stack pointer where it was (the caller removes the arguments).
#include <gtest/gtest.h>

#include "camera_support.h"
#include "first_frame.h"
#include "harness.h"
#include "library.h"
#include "misaligned_call.h"
#include "picture.h"
#include "vcxcap.h"

#include <windows.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kNullRenderer = 6;
const std::size_t kFrameBytes = vcxcam::frameSize(kWidth, kHeight);

// The state a call is made in: each builds on the one before.
enum class State { kFresh, kInitialised, kOpen, kRunning };

// What the calls write into, fresh for every call.
struct Buffers {
    std::array<std::vector<char>, 3> lists{std::vector<char>(4096), std::vector<char>(4096),
                                           std::vector<char>(4096)};
    std::vector<std::uint8_t> bits = std::vector<std::uint8_t>(kFrameBytes);
    int bitsSize = static_cast<int>(kFrameBytes);
    std::array<std::uint8_t, 44> header{};
    std::array<int, 5> numbers{}; // what the control exports write
    HDC dc = nullptr;
    std::uint8_t* pixels = nullptr; // of the DIB section selected into dc
    std::string snapshot;
};

std::uint32_t word(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}
std::uint32_t word(int value) {
    return static_cast<std::uint32_t>(value);
}
std::uint32_t word(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

struct ExportCall {
    const char* name;
    State state;
    std::vector<std::uint32_t> (*arguments)(Buffers&);
    // The answer in that state; none: whatever the same call answers on an
    // aligned stack, which must also write the same lists.
    std::optional<int> expected;
    // Whether the call leaves another state (then each call gets a fresh one).
    bool changesState = false;
    // What else must hold after the call.
    void (*check)(const Buffers&) = nullptr;
    // Whether any answer above 0 will do (a frame number), in place of expected.
    bool positive = false;
};

std::vector<std::uint32_t> none(Buffers&) {
    return {};
}
template <int Value> std::vector<std::uint32_t> one(Buffers&) {
    return {word(Value)};
}
std::vector<std::uint32_t> openNullRenderer(Buffers&) {
    return {word(0), word(kNullRenderer), word(0), word(0), word(0)};
}
std::vector<std::uint32_t> window(Buffers&) {
    return {word(0), word(0), word(0), word(kWidth), word(kHeight)};
}
std::vector<std::uint32_t> firstList(Buffers& b) {
    return {word(b.lists[0].data())};
}
template <int Audio> std::vector<std::uint32_t> listAndAudio(Buffers& b) {
    return {word(b.lists[0].data()), word(Audio)};
}
std::vector<std::uint32_t> threeLists(Buffers& b) {
    return {word(b.lists[0].data()), word(b.lists[1].data()), word(b.lists[2].data())};
}
std::vector<std::uint32_t> frameCopy(Buffers& b) {
    return {word(b.bits.data()), word(&b.bitsSize), word(b.header.data())};
}
std::vector<std::uint32_t> paint(Buffers& b) {
    return {word(static_cast<int>(reinterpret_cast<std::intptr_t>(b.dc))), word(0), word(0),
            word(kWidth), word(kHeight)};
}
std::vector<std::uint32_t> snapshot(Buffers& b) {
    return {word(b.snapshot.c_str())};
}
std::vector<std::uint32_t> overlay(Buffers& b) {
    return {word(static_cast<int>(reinterpret_cast<std::intptr_t>(b.dc))),
            word(0),
            word(0),
            word(16),
            word(16),
            word(0.5f),
            word(0.0f),
            word(0.0f),
            word(0.5f),
            word(0.25f),
            word(1),
            word(255),
            word(0),
            word(255)};
}
std::vector<std::uint32_t> frameRate(Buffers&) {
    std::array<std::uint32_t, 2> halves{};
    const double rate = 30.0;
    std::memcpy(halves.data(), &rate, sizeof rate);
    return {halves[0], halves[1]};
}
std::vector<std::uint32_t> unknownFilter(Buffers&) {
    static const wchar_t name[] = L"No such filter";
    return {word(0), word(name)};
}
std::vector<std::uint32_t> codecDialog(Buffers&) {
    return {word(0), word(4)};
}
std::vector<std::uint32_t> brightnessRange(Buffers& b) {
    std::vector<std::uint32_t> arguments{word(VCX_CONTROL_BRIGHTNESS)};
    for (int& number : b.numbers) {
        arguments.push_back(word(&number));
    }
    return arguments;
}
std::vector<std::uint32_t> brightness(Buffers& b) {
    return {word(VCX_CONTROL_BRIGHTNESS), word(&b.numbers[0]), word(&b.numbers[1])};
}
std::vector<std::uint32_t> firstNumber(Buffers& b) {
    return {word(&b.numbers[0])};
}
std::vector<std::uint32_t> twoNumbers(Buffers& b) {
    return {word(&b.numbers[0]), word(&b.numbers[1])};
}
std::vector<std::uint32_t> waitForAFrame(Buffers&) {
    return {word(0), word(1000)};
}
std::vector<std::uint32_t> nextFrame(Buffers& b) {
    return {word(0), word(1000), word(b.bits.data()), word(&b.bitsSize), word(b.header.data())};
}
std::vector<std::uint32_t> unknownAudioCodec(Buffers&) {
    static const char name[] = "No such audio codec";
    return {word(name)};
}
std::vector<std::uint32_t> firstDeviceAndList(Buffers& b) {
    return {word(0), word(b.lists[0].data())};
}
std::vector<std::uint32_t> audioFormat(Buffers&) {
    return {word(48000), word(2), word(16)};
}
// The default value, so that the camera's picture stays the one the other rows check.
std::vector<std::uint32_t> setBrightness(Buffers&) {
    return {word(VCX_CONTROL_BRIGHTNESS), word(0), word(VCX_CONTROL_MANUAL)};
}

void isTheDeviceList(const Buffers& b) {
    EXPECT_STREQ(b.lists[0].data(), "vcxcam Virtual Camera\r\n");
}
void holdsTheCamerasPicture(const Buffers& b) {
    EXPECT_EQ(b.bitsSize, static_cast<int>(kFrameBytes));
    EXPECT_TRUE(camtest::matchPicture(b.bits, kWidth, kHeight).has_value());
    EXPECT_EQ(b.header[0], 40); // biSize of the BITMAPINFOHEADER
}
void paintedTheCamerasPicture(const Buffers& b) {
    GdiFlush();
    EXPECT_TRUE(
        camtest::matchPicture({b.pixels, b.pixels + kFrameBytes}, kWidth, kHeight).has_value());
}
void savedTheFrame(const Buffers& b) {
    std::ifstream file(b.snapshot, std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<std::size_t>(file.tellg()), 54 + kFrameBytes);
}
void isTheBrightnessRange(const Buffers& b) {
    EXPECT_EQ(b.numbers, (std::array<int, 5>{-64, 64, 1, 0, VCX_CONTROL_MANUAL}));
}
void isTheBrightness(const Buffers& b) {
    EXPECT_EQ(b.numbers[0], 0);
    EXPECT_EQ(b.numbers[1], VCX_CONTROL_MANUAL);
}
void listsBrightnessFirst(const Buffers& b) {
    EXPECT_EQ(std::string(b.lists[0].data()).rfind("Brightness,0,-64,64,1,0,2,", 0), 0u)
        << b.lists[0].data();
}
void isThePathList(const Buffers& b) {
    EXPECT_STREQ(b.lists[0].data(), "\\\\?\\root#vcxcam#0000\r\n");
}
void holdsAnArrivalTime(const Buffers& b) {
    EXPECT_GE(b.numbers[0], 0);
}
void listedTheFormats(const Buffers& b) {
    EXPECT_EQ(std::string(b.lists[1].data()).rfind("640\r\n", 0), 0u) << b.lists[1].data();
}

// gtest names a failing row by its export.
void PrintTo(const ExportCall& call, std::ostream* out) {
    *out << call.name;
}

using S = State;
// One row per export of src/vcxcap.def.
const ExportCall kCalls[] = {
    {"vcx_Init", S::kFresh, none, 0, true},
    {"vcx_Exit", S::kInitialised, none, 0, true},
    {"vcx_Version", S::kFresh, none, 210},
    {"vcx_SetActiveSel", S::kFresh, one<31>, 0, true},
    {"vcx_GetActiveSel", S::kFresh, none, 0},
    {"vcx_GetRef", S::kRunning, none, 3},
    {"vcx_Close", S::kRunning, none, 0, true},
    {"vcx_Open", S::kInitialised, openNullRenderer, 0, true},
    // Wine's graph answers S_FALSE to Run with the preview branch it builds.
    {"vcx_Play", S::kOpen, window, 1, true},
    {"vcx_Play2", S::kOpen, none, 1, true},
    {"vcx_ReSize", S::kOpen, window, std::nullopt},
    {"vcx_Stop", S::kRunning, none, 0, true},
    {"vcx_SetCapConfig", S::kRunning, one<1>, 0},
    {"vcx_GetState", S::kRunning, none, 2},
    {"vcx_GetDeviceList", S::kInitialised, listAndAudio<0>, 1, false, isTheDeviceList},
    {"vcx_GetDeviceListSize", S::kInitialised, one<0>, 24},
    {"vcx_GetCodecList", S::kInitialised, listAndAudio<0>, std::nullopt},
    {"vcx_GetCodecListSize", S::kInitialised, one<0>, std::nullopt},
    {"vcx_GetBufferSize", S::kRunning, one<5>, static_cast<int>(kFrameBytes)},
    {"vcx_StreamFilterList", S::kOpen, firstList, std::nullopt},
    {"vcx_GetStreamFilterList", S::kOpen, firstList, std::nullopt},
    {"vcx_GetStreamFilterListSize", S::kOpen, none, std::nullopt},
    {"vcx_GetImageMemSize", S::kRunning, one<0>, static_cast<int>(kFrameBytes)},
    {"vcx_GetImageMem", S::kRunning, frameCopy, 0, false, holdsTheCamerasPicture},
    {"vcx_GetImage", S::kRunning, paint, 0, false, paintedTheCamerasPicture},
    {"vcx_SaveBMP", S::kRunning, snapshot, 0, false, savedTheFrame},
    // No mixer in mode 6: answered before any renderer is called.
    {"vcx_VMRMixImage", S::kRunning, overlay, -8},
    {"vcx_SetDevWidth", S::kFresh, one<kWidth>, 0},
    {"vcx_SetDevHeight", S::kFresh, one<kHeight>, 0},
    {"vcx_SetDevFrameRate", S::kFresh, frameRate, 0},
    {"vcx_SetDevCapConfig", S::kOpen, none, std::nullopt},
    {"vcx_GetDevCapConfig", S::kOpen, threeLists, 0, false, listedTheFormats},
    {"vcx_GetDevCapConfigSize", S::kOpen, one<1>, std::nullopt},
    {"vcx_GetCapInfo", S::kOpen, one<0>, kWidth},
    {"vcx_FilterProp", S::kOpen, unknownFilter, -2},
    // The camera's pin has no property pages.
    {"vcx_DevPinProp", S::kOpen, one<0>, -5},
    {"vcx_CodecDialog", S::kOpen, codecDialog, -1},
    {"vcx_GetDevControlRange", S::kOpen, brightnessRange, 0, false, isTheBrightnessRange},
    {"vcx_GetDevControl", S::kOpen, brightness, 0, false, isTheBrightness},
    {"vcx_SetDevControl", S::kOpen, setBrightness, 0},
    // The default camera's 14 properties; the values in auto mode move.
    {"vcx_GetDevControlList", S::kOpen, firstList, 14, false, listsBrightnessFirst},
    {"vcx_GetDevControlListSize", S::kOpen, none, std::nullopt},
    {"vcx_GetDevicePathList", S::kInitialised, firstList, 1, false, isThePathList},
    {"vcx_GetDevicePathListSize", S::kInitialised, none, std::nullopt},
    // Opened, never run: no frame and no event yet.
    {"vcx_GetFrameCount", S::kOpen, none, 0},
    // The preview stream's frames carry no time stamps: their arrival time.
    {"vcx_GetFrameTime", S::kRunning, firstNumber, 1, false, holdsAnArrivalTime},
    {"vcx_GetFrameRate", S::kOpen, none, 0},
    {"vcx_GetDroppedFrames", S::kRunning, none, 0},
    {"vcx_WaitFrame", S::kRunning, waitForAFrame, std::nullopt, false, nullptr, true},
    {"vcx_GetNextFrame", S::kRunning, nextFrame, std::nullopt, false, holdsTheCamerasPicture, true},
    {"vcx_GetEvent", S::kOpen, twoNumbers, 0},
    // No audio device (-1, the default); Wine lists no audio compressor (-4).
    {"vcx_SetAudioDevice", S::kInitialised, one<-1>, 0},
    {"vcx_SetAudioCodec", S::kInitialised, unknownAudioCodec, -4},
    {"vcx_SetAudioFormat", S::kFresh, audioFormat, 0},
    // Wine lists no audio capture device of its own: no category (-4).
    {"vcx_GetAudioFormatList", S::kInitialised, firstDeviceAndList, -4},
    {"vcx_GetAudioFormatListSize", S::kInitialised, one<0>, -4},
    {"vcx_SetFrameQueue", S::kOpen, one<2>, 0},
    {"vcx_GetFrameQueue", S::kFresh, none, 0},
    {"vcx_SetStartupAllowance", S::kFresh, one<5000>, 0},
};

// The names the loaded DLL exports, from its export directory.
std::set<std::string> exportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        result.insert(reinterpret_cast<const char*>(base + names[i]));
    }
    return result;
}

HMODULE library() {
    return GetModuleHandleW(L"vcxcap.dll");
}

TEST(StackTable, HasARowForEveryExport) {
    std::set<std::string> rows;
    for (const ExportCall& call : kCalls) {
        EXPECT_TRUE(rows.insert(call.name).second) << call.name << " twice";
    }
    ASSERT_NE(library(), nullptr);
    EXPECT_EQ(rows, exportedNames(library()));
}

class MisalignedStack : public testing::TestWithParam<ExportCall> {
  protected:
    static void SetUpTestSuite() {
        harness::ComScope com;
        harness::restoreDefaultCameras();
    }

    void SetUp() override {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, kWidth, kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* pixels = nullptr;
        dib_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        ASSERT_NE(dib_, nullptr);
        pixels_ = static_cast<std::uint8_t*>(pixels);
        old_ = SelectObject(dc_, dib_);
    }

    void TearDown() override {
        reset();
        DeleteFileA(snapshotPath().c_str());
        SelectObject(dc_, old_);
        DeleteObject(dib_);
        DeleteDC(dc_);
    }

    static void reset() {
        harness::resetLibrary();
        vcx_SetDevWidth(0);
        vcx_SetDevHeight(0);
        vcx_SetDevFrameRate(0.0);
        vcx_SetAudioFormat(0, 0, 0);
    }

    static std::string snapshotPath() {
        return harness::narrow(harness::programFolder() + L"vcxcap_stack_snapshot.bmp");
    }

    // Brings the library from nothing into state, through aligned calls.
    static void enter(State state) {
        reset();
        if (state == State::kFresh) {
            return;
        }
        ASSERT_EQ(vcx_Init(), 0);
        if (state == State::kInitialised) {
            return;
        }
        ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
        if (state == State::kOpen) {
            return;
        }
        ASSERT_GE(vcx_Play2(), 0);
        std::vector<std::uint8_t> bits(kFrameBytes);
        std::array<std::uint8_t, 44> header{};
        int size = static_cast<int>(bits.size());
        ASSERT_EQ(harness::onceAFrameIsThere(
                      [&] { return vcx_GetImageMem(bits.data(), &size, header.data()); }),
                  0);
    }

    Buffers buffers() {
        Buffers b;
        b.dc = dc_;
        b.pixels = pixels_;
        std::memset(pixels_, 0xCD, kFrameBytes);
        b.snapshot = snapshotPath();
        return b;
    }

    i686test::CallResult call(const ExportCall& row, Buffers& b, std::uint32_t misalignment) {
        const auto function = reinterpret_cast<const void*>(GetProcAddress(library(), row.name));
        EXPECT_NE(function, nullptr) << row.name;
        if (function == nullptr) {
            return {};
        }
        return i686test::callMisaligned(function, row.arguments(b), misalignment);
    }

  private:
    HDC dc_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint8_t* pixels_ = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Exports, MisalignedStack, testing::ValuesIn(kCalls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(MisalignedStack, AnswersAsOnAnAlignedStackAndLeavesTheStackPointer) {
    const ExportCall& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(enter(row.state));
    std::optional<int> expected = row.expected;
    Buffers aligned = buffers();
    if (!expected && !row.positive) {
        expected = call(row, aligned, 0).value;
        if (row.changesState) {
            ASSERT_NO_FATAL_FAILURE(enter(row.state));
        }
    }
    for (const std::uint32_t misalignment : {4u, 8u, 12u}) {
        SCOPED_TRACE("stack misaligned by " + std::to_string(misalignment));
        Buffers b = buffers();
        const i686test::CallResult result = call(row, b, misalignment);
        EXPECT_EQ(result.stackAtCall % 16, (16 - misalignment) % 16) << "the call's own stack";
        EXPECT_EQ(result.stackAfter, result.stackAtCall) << "the export moved the stack pointer";
        if (row.positive) {
            EXPECT_GT(result.value, 0);
        } else {
            EXPECT_EQ(result.value, *expected);
        }
        if (!row.expected && !row.positive) {
            for (std::size_t list = 0; list < b.lists.size(); ++list) {
                EXPECT_EQ(std::string(b.lists[list].data()),
                          std::string(aligned.lists[list].data()));
            }
        }
        if (row.check != nullptr) {
            row.check(b);
        }
        if (row.changesState) {
            ASSERT_NO_FATAL_FAILURE(enter(row.state));
        }
    }
}

} // namespace
