#include "control_state.h"

#include <vfwmsgs.h>

namespace vcxcam {

ControlState::ControlState(std::vector<ControlSpec> specs) {
    for (const ControlSpec& spec : specs) {
        controls_.push_back(Control{spec, ControlSetting{spec.defaultValue, spec.startsAuto}, 1});
    }
}

bool ControlState::offers(vcx::PropertyInterface iface) const {
    for (const Control& control : controls_) {
        if (vcx::kCameraProperties[control.spec.number].iface == iface) {
            return true;
        }
    }
    return false;
}

const ControlSpec* ControlState::spec(int number) const {
    const Control* control = find(number);
    return control != nullptr ? &control->spec : nullptr;
}

std::optional<ControlSetting> ControlState::setting(int number) const {
    std::lock_guard lock(mutex_);
    const Control* control = find(number);
    if (control == nullptr) {
        return std::nullopt;
    }
    return control->setting;
}

bool ControlState::holds(const ControlSpec& spec, LONG value) {
    return value >= spec.minimum && value <= spec.maximum &&
           (static_cast<long long>(value) - spec.minimum) % spec.step == 0;
}

HRESULT ControlState::set(int number, LONG value, LONG flags, const Save& save) {
    std::lock_guard lock(mutex_);
    Control* control = find(number);
    if (control == nullptr) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if ((flags != vcx::kPropertyAuto && flags != vcx::kPropertyManual) ||
        (control->spec.capabilities & flags) == 0) {
        return E_INVALIDARG;
    }
    ControlSetting changed{control->setting.value, flags == vcx::kPropertyAuto};
    if (!changed.autoMode) {
        if (!holds(control->spec, value)) {
            return E_INVALIDARG;
        }
        changed.value = value;
    }
    const HRESULT saved = save(number, changed);
    if (FAILED(saved)) {
        return saved;
    }
    control->setting = changed;
    return S_OK;
}

bool ControlState::restore(int number, const ControlSetting& kept) {
    std::lock_guard lock(mutex_);
    Control* control = find(number);
    const LONG mode = kept.autoMode ? vcx::kPropertyAuto : vcx::kPropertyManual;
    if (control == nullptr || (control->spec.capabilities & mode) == 0 ||
        !holds(control->spec, kept.value)) {
        return false;
    }
    control->setting = kept;
    return true;
}

void ControlState::step() {
    std::lock_guard lock(mutex_);
    for (Control& control : controls_) {
        if (!control.setting.autoMode) {
            continue;
        }
        const ControlSpec& spec = control.spec;
        const auto next = [&] {
            return static_cast<long long>(control.setting.value) + control.direction * spec.step;
        };
        if (next() > spec.maximum || next() < spec.minimum) {
            control.direction = -control.direction;
        }
        if (next() <= spec.maximum && next() >= spec.minimum) {
            control.setting.value = static_cast<LONG>(next());
        }
    }
}

PictureLevels ControlState::pictureLevels() const {
    std::lock_guard lock(mutex_);
    PictureLevels levels;
    if (const Control* brightness = find(VideoProcAmp_Brightness)) {
        levels.brightness = brightness->setting.value;
    }
    if (const Control* contrast = find(VideoProcAmp_Contrast)) {
        levels.contrast = contrast->setting.value;
    }
    if (const Control* gain = find(VideoProcAmp_Gain)) {
        levels.gain = gain->setting.value;
    }
    return levels;
}

ControlState::Control* ControlState::find(int number) {
    for (Control& control : controls_) {
        if (control.spec.number == number) {
            return &control;
        }
    }
    return nullptr;
}

const ControlState::Control* ControlState::find(int number) const {
    return const_cast<ControlState*>(this)->find(number);
}

} // namespace vcxcam
