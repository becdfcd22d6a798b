// The camera's properties as a filter offers them: IAMVideoProcAmp and
// IAMCameraControl on the filter object (each only when the camera has a
// property of it), answered from the camera's shared ControlState, and the
// picture hook that applies Brightness, Contrast and Gain to every drawn frame
// and moves the properties in auto mode one step a frame.
#pragma once

#include "camera_stream.h"
#include "config.h"
#include "control_state.h"

#include "config/camera_property_table.h"

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <memory>

namespace vcxcam {

class CameraControls final : public FrameHook {
  public:
    explicit CameraControls(const CameraConfig& config);

    bool offers(vcx::PropertyInterface iface) const { return state_->offers(iface); }

    // The methods of both interfaces, property id on iface.
    HRESULT getRange(vcx::PropertyInterface iface, LONG id, LONG* minimum, LONG* maximum,
                     LONG* step, LONG* defaultValue, LONG* capabilities) const;
    HRESULT set(vcx::PropertyInterface iface, LONG id, LONG value, LONG flags);
    HRESULT get(vcx::PropertyInterface iface, LONG id, LONG* value, LONG* flags) const;

    // FrameHook: on the streaming thread.
    void runBegins() override { drewAny_ = false; }
    void frameDrawn(std::uint8_t* bits, int width, int height, std::uint32_t frame) override;

  private:
    const int cameraIndex_;
    const std::shared_ptr<ControlState> state_;
    // The number of the frame last drawn in this run, so that auto mode
    // moves once per frame whatever the number of pins drawn for it.
    std::uint32_t lastFrame_ = 0;
    bool drewAny_ = false;
};

// Interface I (IAMVideoProcAmp or IAMCameraControl) of a filter, answered by
// the filter's CameraControls; the filter supplies IUnknown.
template <class I, vcx::PropertyInterface Which> class ControlInterfaceOf : public I {
  public:
    STDMETHODIMP GetRange(LONG id, LONG* minimum, LONG* maximum, LONG* step, LONG* defaultValue,
                          LONG* capabilities) override {
        return controls().getRange(Which, id, minimum, maximum, step, defaultValue, capabilities);
    }
    STDMETHODIMP Set(LONG id, LONG value, LONG flags) override {
        return controls().set(Which, id, value, flags);
    }
    STDMETHODIMP Get(LONG id, LONG* value, LONG* flags) override {
        return controls().get(Which, id, value, flags);
    }

  protected:
    virtual CameraControls& controls() = 0;
};

using VideoProcAmpOf = ControlInterfaceOf<IAMVideoProcAmp, vcx::PropertyInterface::kVideoProcAmp>;
using CameraControlOf =
    ControlInterfaceOf<IAMCameraControl, vcx::PropertyInterface::kCameraControl>;

} // namespace vcxcam
