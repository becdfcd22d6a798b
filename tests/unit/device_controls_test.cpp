// The device controls: each export's code for each failing step, with nothing
// written and nothing sent to the device; what a successful call reads and
// sends, through which interface; the control list's layout and a size that
// holds while a value moves. Every row checks that the interfaces a call took
// were given back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_controls.h"

using namespace fakes;

namespace {

constexpr LONG kAuto = VideoProcAmp_Flags_Auto;
constexpr LONG kManual = VideoProcAmp_Flags_Manual;
constexpr int kUntouched = 0x5A5A5A5A;

// Slot 0 opened without an output on a camera with Brightness (manual only),
// Gain (both modes, in auto) and Exposure (both, in auto).
class Controls : public CaptureWorld {
  public:
    Controls() {
        addEntry(cameras, *videoDevices, "device", L"Camera");
        camera().procAmp[VideoProcAmp_Brightness] = {-64, 64, 1, 0, kManual, 10, kManual};
        camera().procAmp[VideoProcAmp_Gain] = {0, 100, 1, 0, kAuto | kManual, 30, kAuto};
        camera().cameraControl[CameraControl_Exposure] = {-13, -1,   1, -6, kAuto | kManual,
                                                          -6,  kAuto};
    }

    FakeControlFilter& camera() { return *cameras[0]->filter; }

    void open() {
        ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
        journal().clear();
    }

    std::vector<FakeCom*> everyFake() const override {
        std::vector<FakeCom*> all = CaptureWorld::everyFake();
        cameras[0]->addTo(all);
        return all;
    }

    std::vector<std::unique_ptr<FakeEntry<FakeControlFilter>>> cameras;
};

// The host's variables, reset before each call.
struct Outputs {
    int minimum = kUntouched;
    int maximum = kUntouched;
    int step = kUntouched;
    int defaultValue = kUntouched;
    int capabilities = kUntouched;
    int value = kUntouched;
    int flags = kUntouched;
    bool untouched() const {
        for (const int output :
             {minimum, maximum, step, defaultValue, capabilities, value, flags}) {
            if (output != kUntouched) {
                return false;
            }
        }
        return true;
    }
};

Outputs outputs;
char listBuffer[512];

int rangeOf(int property) {
    return vcx_GetDevControlRange(property, &outputs.minimum, &outputs.maximum, &outputs.step,
                                  &outputs.defaultValue, &outputs.capabilities);
}
int valueOf(int property) {
    return vcx_GetDevControl(property, &outputs.value, &outputs.flags);
}

struct FailingStep {
    const char* name;
    std::function<void(Controls&)> arrange;
    std::function<int()> call;
    int expected;
    bool setSent; // whether the device was asked to change (and refused)
};

void PrintTo(const FailingStep& row, std::ostream* out) {
    *out << row.name;
}

class FailingSteps : public Controls, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingSteps, AnswerTheirCodeWriteNothingAndGiveBack) {
    const FailingStep& row = GetParam();
    open();
    row.arrange(*this);
    journal().clear();
    const auto counts = FakeCom::referenceCounts();
    outputs = Outputs{};
    std::memcpy(listBuffer, "kept", 5);

    EXPECT_EQ(row.call(), row.expected);
    EXPECT_TRUE(outputs.untouched());
    EXPECT_STREQ(listBuffer, "kept");
    EXPECT_EQ(FakeCom::referenceCounts(), counts);
    EXPECT_EQ(camera().sets.empty(), !row.setSent);
    EXPECT_EQ(camera().procAmp[VideoProcAmp_Brightness].value, 10) << "the device changed";
}

void asOpened(Controls&) {}
void closed(Controls&) {
    vcx_Close();
}
// Open went on without the device's filter.
void noDeviceFilter(Controls& t) {
    vcx_Close();
    t.cameras[0]->moniker->setResult("BindToObject", E_FAIL);
    ASSERT_EQ(vcx_Open(0, 5, 0, 0, 0), 0);
}
void noProcAmp(Controls& t) {
    t.camera().offersProcAmp = false;
}
void noCameraControl(Controls& t) {
    t.camera().offersCameraControl = false;
}
void neitherInterface(Controls& t) {
    noProcAmp(t);
    noCameraControl(t);
}
template <HRESULT hr> void procAmpQueryAnswers(Controls& t) {
    t.camera().setResult("QueryInterface(IAMVideoProcAmp)", hr);
}
template <HRESULT hr> void rangeAnswers(Controls& t) {
    t.camera().setResult("IAMVideoProcAmp.GetRange", hr);
}
template <HRESULT hr> void getAnswers(Controls& t) {
    t.camera().setResult("IAMVideoProcAmp.Get", hr);
}
template <HRESULT hr> void setAnswers(Controls& t) {
    t.camera().setResult("IAMVideoProcAmp.Set", hr);
}
void exposureAutoOnly(Controls& t) {
    t.camera().cameraControl[CameraControl_Exposure].capabilities = kAuto;
}

int setBrightness(int value, int flags) {
    return vcx_SetDevControl(VCX_CONTROL_BRIGHTNESS, value, flags);
}
int list() {
    return vcx_GetDevControlList(listBuffer);
}

const FailingStep kFailingSteps[] = {
    {"RangeOfAClosedSlot", closed, [] { return rangeOf(0); }, -1, false},
    {"ValueOfAClosedSlot", closed, [] { return valueOf(0); }, -1, false},
    {"SetOnAClosedSlot", closed, [] { return setBrightness(5, 2); }, -1, false},
    {"ListOfAClosedSlot", closed, list, -1, false},
    {"ListSizeOfAClosedSlot", closed, vcx_GetDevControlListSize, -1, false},
    {"RangeOfPropertyMinus1", asOpened, [] { return rangeOf(-1); }, -2, false},
    {"RangeOfProperty17", asOpened, [] { return rangeOf(17); }, -2, false},
    {"ValueOfProperty17", asOpened, [] { return valueOf(17); }, -2, false},
    {"SetOfPropertyMinus1", asOpened, [] { return vcx_SetDevControl(-1, 5, 2); }, -2, false},
    {"RangeWithoutMinimum", asOpened,
     [] {
         return vcx_GetDevControlRange(0, nullptr, &outputs.maximum, &outputs.step,
                                       &outputs.defaultValue, &outputs.capabilities);
     },
     -3, false},
    {"RangeWithoutMaximum", asOpened,
     [] {
         return vcx_GetDevControlRange(0, &outputs.minimum, nullptr, &outputs.step,
                                       &outputs.defaultValue, &outputs.capabilities);
     },
     -3, false},
    {"RangeWithoutStep", asOpened,
     [] {
         return vcx_GetDevControlRange(0, &outputs.minimum, &outputs.maximum, nullptr,
                                       &outputs.defaultValue, &outputs.capabilities);
     },
     -3, false},
    {"RangeWithoutDefault", asOpened,
     [] {
         return vcx_GetDevControlRange(0, &outputs.minimum, &outputs.maximum, &outputs.step,
                                       nullptr, &outputs.capabilities);
     },
     -3, false},
    {"RangeWithoutCapabilities", asOpened,
     [] {
         return vcx_GetDevControlRange(0, &outputs.minimum, &outputs.maximum, &outputs.step,
                                       &outputs.defaultValue, nullptr);
     },
     -3, false},
    {"ValueWithoutValue", asOpened, [] { return vcx_GetDevControl(0, nullptr, &outputs.flags); },
     -3, false},
    {"ValueWithoutFlags", asOpened, [] { return vcx_GetDevControl(0, &outputs.value, nullptr); },
     -3, false},
    {"SetWithFlags0", asOpened, [] { return setBrightness(5, 0); }, -3, false},
    {"SetWithFlagsAutoAndManual", asOpened, [] { return setBrightness(5, 3); }, -3, false},
    {"SetWithFlags4", asOpened, [] { return setBrightness(5, 4); }, -3, false},
    {"ListIntoNull", asOpened, [] { return vcx_GetDevControlList(nullptr); }, -3, false},
    {"RangeWithoutDeviceFilter", noDeviceFilter, [] { return rangeOf(0); }, -4, false},
    {"ValueWithoutDeviceFilter", noDeviceFilter, [] { return valueOf(14); }, -4, false},
    {"SetWithoutDeviceFilter", noDeviceFilter, [] { return setBrightness(5, 2); }, -4, false},
    {"ListWithoutDeviceFilter", noDeviceFilter, list, -2, false},
    {"ListSizeWithoutDeviceFilter", noDeviceFilter, vcx_GetDevControlListSize, -2, false},
    {"RangeWithoutProcAmp", noProcAmp, [] { return rangeOf(0); }, -5, false},
    {"ValueWithoutCameraControl", noCameraControl, [] { return valueOf(14); }, -5, false},
    {"SetWithoutCameraControl", noCameraControl,
     [] { return vcx_SetDevControl(VCX_CONTROL_EXPOSURE, -5, 2); }, -5, false},
    {"ProcAmpQueryAnsweringSFalse", procAmpQueryAnswers<S_FALSE>, [] { return valueOf(0); }, -5,
     false},
    {"ListWithNeitherInterface", neitherInterface, list, -4, false},
    {"ListSizeWithNeitherInterface", neitherInterface, vcx_GetDevControlListSize, -4, false},
    {"RangeOfHueTheDeviceLacks", asOpened, [] { return rangeOf(VCX_CONTROL_HUE); }, -6, false},
    {"ValueOfIrisTheDeviceLacks", asOpened, [] { return valueOf(VCX_CONTROL_IRIS); }, -6, false},
    {"SetOfHueTheDeviceLacks", asOpened, [] { return vcx_SetDevControl(VCX_CONTROL_HUE, 0, 2); },
     -6, false},
    {"RangeFailing", rangeAnswers<E_FAIL>, [] { return rangeOf(0); }, -6, false},
    {"RangeAnsweringSFalse", rangeAnswers<S_FALSE>, [] { return rangeOf(0); }, -6, false},
    {"ValueAnsweringSFalse", getAnswers<S_FALSE>, [] { return valueOf(0); }, -6, false},
    {"SetWhoseRangeFails", rangeAnswers<E_FAIL>, [] { return setBrightness(5, 2); }, -6, false},
    {"AutoForAManualOnlyProperty", asOpened, [] { return setBrightness(0, 1); }, -7, false},
    {"ManualForAnAutoOnlyProperty", exposureAutoOnly,
     [] { return vcx_SetDevControl(VCX_CONTROL_EXPOSURE, -5, 2); }, -7, false},
    {"OneBelowTheMinimum", asOpened, [] { return setBrightness(-65, 2); }, -8, false},
    {"OneAboveTheMaximum", asOpened, [] { return setBrightness(65, 2); }, -8, false},
    {"IntMinValue", asOpened, [] { return setBrightness(INT_MIN, 2); }, -8, false},
    {"RefusedByTheDevice", setAnswers<E_INVALIDARG>, [] { return setBrightness(20, 2); }, -9, true},
    {"SetAnsweringSFalse", setAnswers<S_FALSE>, [] { return setBrightness(10, 2); }, -9, true},
};

INSTANTIATE_TEST_SUITE_P(Rows, FailingSteps, ::testing::ValuesIn(kFailingSteps),
                         [](const auto& info) { return std::string(info.param.name); });

// What a successful Set sends, and through which interface.
struct SetRow {
    const char* name;
    int property;
    int value;
    int flags;
    const char* range; // the GetRange call before it
    const char* sent;
};

void PrintTo(const SetRow& row, std::ostream* out) {
    *out << row.name;
}

class Sets : public Controls, public ::testing::WithParamInterface<SetRow> {};

TEST_P(Sets, SendExactlyThisAfterReadingTheRange) {
    const SetRow& row = GetParam();
    open();
    const auto counts = FakeCom::referenceCounts();
    EXPECT_EQ(vcx_SetDevControl(row.property, row.value, row.flags), 0);
    EXPECT_THAT(camera().sets, ::testing::ElementsAre(row.sent));
    const int range = journal().indexOf(std::string("device0.") + row.range);
    EXPECT_GE(range, 0);
    EXPECT_LT(range, journal().indexOf(std::string("device0.") + row.sent));
    EXPECT_EQ(FakeCom::referenceCounts(), counts);
}

const char* const kBrightnessRange = "IAMVideoProcAmp.GetRange(0)";
const char* const kExposureRange = "IAMCameraControl.GetRange(4)";

const SetRow kSetRows[] = {
    {"ManualValue", VCX_CONTROL_BRIGHTNESS, 20, 2, kBrightnessRange,
     "IAMVideoProcAmp.Set(0, 20, 2)"},
    {"TheMinimum", VCX_CONTROL_BRIGHTNESS, -64, 2, kBrightnessRange,
     "IAMVideoProcAmp.Set(0, -64, 2)"},
    {"TheMaximum", VCX_CONTROL_BRIGHTNESS, 64, 2, kBrightnessRange,
     "IAMVideoProcAmp.Set(0, 64, 2)"},
    {"AutoSendsTheDefault", VCX_CONTROL_GAIN, 999, 1, "IAMVideoProcAmp.GetRange(9)",
     "IAMVideoProcAmp.Set(9, 0, 1)"},
    {"GainBackToManual", VCX_CONTROL_GAIN, 55, 2, "IAMVideoProcAmp.GetRange(9)",
     "IAMVideoProcAmp.Set(9, 55, 2)"},
    {"ExposureOnTheCameraControl", VCX_CONTROL_EXPOSURE, -5, 2, kExposureRange,
     "IAMCameraControl.Set(4, -5, 2)"},
    {"ExposureAuto", VCX_CONTROL_EXPOSURE, 0, 1, kExposureRange, "IAMCameraControl.Set(4, -6, 1)"},
};

INSTANTIATE_TEST_SUITE_P(Rows, Sets, ::testing::ValuesIn(kSetRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Controls, RangeIsTheDevicesWithOnlyTheModeFlagsOfItsCapabilities) {
    camera().cameraControl[CameraControl_Exposure].capabilities = 0x13;
    open();
    outputs = Outputs{};
    ASSERT_EQ(rangeOf(VCX_CONTROL_EXPOSURE), 0);
    EXPECT_EQ(outputs.minimum, -13);
    EXPECT_EQ(outputs.maximum, -1);
    EXPECT_EQ(outputs.step, 1);
    EXPECT_EQ(outputs.defaultValue, -6);
    EXPECT_EQ(outputs.capabilities, 3);
    EXPECT_TRUE(journal().contains("device0.IAMCameraControl.GetRange(4)"));
}

// The mode a device reports, as the export hands it out.
struct ModeRow {
    LONG reported;
    int handedOut;
};

class Modes : public Controls, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(Modes, AutoWhenTheAutoFlagIsSetManualOtherwise) {
    camera().procAmp[VideoProcAmp_Gain].flags = GetParam().reported;
    camera().procAmp[VideoProcAmp_Gain].value = -7;
    open();
    outputs = Outputs{};
    ASSERT_EQ(valueOf(VCX_CONTROL_GAIN), 0);
    EXPECT_EQ(outputs.value, -7);
    EXPECT_EQ(outputs.flags, GetParam().handedOut);
}

INSTANTIATE_TEST_SUITE_P(Rows, Modes,
                         ::testing::Values(ModeRow{0, 2}, ModeRow{1, 1}, ModeRow{2, 2},
                                           ModeRow{3, 1}, ModeRow{0x10, 2}));

// The list and its size query, appended to text already in the buffer.
struct ListRow {
    const char* name;
    std::function<void(Controls&)> arrange;
    int lines;
    std::string text;
};

void PrintTo(const ListRow& row, std::ostream* out) {
    *out << row.name;
}

class ControlList : public Controls, public ::testing::WithParamInterface<ListRow> {};

TEST_P(ControlList, ListsEachReportedPropertyInNumberOrderAndSizesItExactly) {
    const ListRow& row = GetParam();
    row.arrange(*this);
    open();
    const auto counts = FakeCom::referenceCounts();
    std::vector<char> buffer(512, 0x55);
    std::memcpy(buffer.data(), "x", 2);
    const int size = vcx_GetDevControlListSize();
    EXPECT_EQ(vcx_GetDevControlList(buffer.data()), row.lines);
    EXPECT_EQ(std::string(buffer.data()), "x" + row.text);
    EXPECT_EQ(size, static_cast<int>(row.text.size()) + 1);
    EXPECT_EQ(buffer[row.text.size() + 2], 0x55) << "a write past the list";
    EXPECT_EQ(FakeCom::referenceCounts(), counts);
}

const std::string kBrightnessLine = "Brightness,0,-64,64,1,0,2,         10,2\r\n";
const std::string kGainLine = "Gain,9,0,100,1,0,3,         30,1\r\n";
const std::string kExposureLine = "Exposure,14,-13,-1,1,-6,3,         -6,1\r\n";

const ListRow kListRows[] = {
    {"EveryProperty", asOpened, 3, kBrightnessLine + kGainLine + kExposureLine},
    {"OnlyTheCameraControl", noProcAmp, 1, kExposureLine},
    {"NoPropertyOnTheInterfacesOffered",
     [](Controls& t) {
         t.camera().procAmp.clear();
         t.camera().cameraControl.clear();
     },
     0, ""},
    {"PropertyWhoseRangeFails",
     [](Controls& t) { t.camera().setResult("IAMVideoProcAmp.GetRange(9)", E_FAIL); }, 2,
     kBrightnessLine + kExposureLine},
    {"PropertyWhoseValueFails",
     [](Controls& t) { t.camera().setResult("IAMVideoProcAmp.Get(0)", S_FALSE); }, 2,
     kGainLine + kExposureLine},
    {"LongestNameAndWidestNumbers",
     [](Controls& t) {
         t.camera().procAmp = {{VideoProcAmp_BacklightCompensation,
                                {INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0x7, INT_MIN, 0x13}}};
         noCameraControl(t);
     },
     1,
     "BacklightCompensation,8,-2147483648,2147483647,2147483647,-2147483648,3,-2147483648,1\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ControlList, ::testing::ValuesIn(kListRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A value in auto mode moves between the size query and the list; the line
// keeps its length, so the buffer the size query sized holds the list.
TEST_F(Controls, AValueThatMovesKeepsTheListWithinItsSize) {
    open();
    const int size = vcx_GetDevControlListSize();
    camera().procAmp[VideoProcAmp_Gain].value = -2147483647;
    camera().cameraControl[CameraControl_Exposure].value = 1234567;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, 0x55);
    buffer[0] = '\0';
    ASSERT_EQ(vcx_GetDevControlList(buffer.data()), 3);
    EXPECT_EQ(std::strlen(buffer.data()) + 1, static_cast<std::size_t>(size));
    EXPECT_EQ(buffer.back(), 0x55);
}

} // namespace
