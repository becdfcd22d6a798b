// The values a camera's properties hold and the modes they are in, kept as a
// device keeps them, with the rules a device applies to a change: a manual
// value within the range and on its steps, a mode the property offers. A
// property in auto mode moves on its own, one step per frame, back and forth
// between its minimum and maximum. Shared by the host's calls and the
// streaming thread, so every member locks.
#pragma once

#include "control_config.h"
#include "picture_adjust.h"

#include "config/camera_property_table.h"

#include <windows.h>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace vcxcam {

class ControlState {
  public:
    explicit ControlState(std::vector<ControlSpec> specs);
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

    // Whether the camera has a property of that interface.
    bool offers(vcx::PropertyInterface iface) const;
    // The spec of property number, or nullptr when the camera lacks it.
    const ControlSpec* spec(int number) const;

    // The setting property number holds now; nothing for a property the
    // camera lacks.
    std::optional<ControlSetting> setting(int number) const;

    // A change as IAMVideoProcAmp::Set and IAMCameraControl::Set ask it:
    // E_PROP_ID_UNSUPPORTED for a property the camera lacks, E_INVALIDARG for
    // flags other than exactly auto or manual, a mode the property does not
    // offer, or a manual value off the range or its steps; the value passed
    // with auto is not used. save(number, new setting) runs before the change
    // takes effect, and a failure it answers leaves everything as it was and
    // is answered.
    using Save = std::function<HRESULT(int, const ControlSetting&)>;
    HRESULT set(int number, LONG value, LONG flags, const Save& save);

    // Takes a setting kept from an earlier life of the camera, when it is
    // still one the property can hold; false (nothing changed) otherwise.
    bool restore(int number, const ControlSetting& kept);

    // Moves every property in auto mode one step on.
    void step();

    // The current Brightness, Contrast and Gain, neutral for those the camera
    // lacks.
    PictureLevels pictureLevels() const;

  private:
    struct Control {
        ControlSpec spec;
        ControlSetting setting;
        LONG direction; // +1 or -1: where auto mode moves next
    };

    // Whether value is one the spec's range and steps allow.
    static bool holds(const ControlSpec& spec, LONG value);
    Control* find(int number);
    const Control* find(int number) const;

    mutable std::mutex mutex_;
    std::vector<Control> controls_;
};

} // namespace vcxcam
