#include "camera_controls.h"

#include "control_store.h"
#include "picture_adjust.h"

#include <vfwmsgs.h>

namespace vcxcam {

CameraControls::CameraControls(const CameraConfig& config)
    : cameraIndex_(config.index), state_(cameraControlState(config)) {}

HRESULT CameraControls::getRange(vcx::PropertyInterface iface, LONG id, LONG* minimum,
                                 LONG* maximum, LONG* step, LONG* defaultValue,
                                 LONG* capabilities) const {
    if (minimum == nullptr || maximum == nullptr || step == nullptr || defaultValue == nullptr ||
        capabilities == nullptr) {
        return E_POINTER;
    }
    const ControlSpec* spec = state_->spec(vcx::cameraPropertyNumber(iface, id));
    if (spec == nullptr) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *minimum = spec->minimum;
    *maximum = spec->maximum;
    *step = spec->step;
    *defaultValue = spec->defaultValue;
    *capabilities = spec->capabilities;
    return S_OK;
}

HRESULT CameraControls::set(vcx::PropertyInterface iface, LONG id, LONG value, LONG flags) {
    return state_->set(vcx::cameraPropertyNumber(iface, id), value, flags,
                       [this](int number, const ControlSetting& setting) {
                           return saveControlSetting(cameraIndex_, number, setting);
                       });
}

HRESULT CameraControls::get(vcx::PropertyInterface iface, LONG id, LONG* value, LONG* flags) const {
    if (value == nullptr || flags == nullptr) {
        return E_POINTER;
    }
    const std::optional<ControlSetting> setting =
        state_->setting(vcx::cameraPropertyNumber(iface, id));
    if (!setting) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *value = setting->value;
    *flags = setting->autoMode ? vcx::kPropertyAuto : vcx::kPropertyManual;
    return S_OK;
}

void CameraControls::frameDrawn(std::uint8_t* bits, int width, int height, std::uint32_t frame) {
    if (!drewAny_ || frame != lastFrame_) {
        state_->step();
        lastFrame_ = frame;
        drewAny_ = true;
    }
    adjustPicture(bits, width, height, state_->pictureLevels());
}

} // namespace vcxcam
