// The vcxcam camera: a live source filter with a capture pin (and a preview
// pin when configured) that streams the test picture in one of the camera's
// configured formats.
#pragma once

#include "camera_controls.h"
#include "camera_faults.h"
#include "camera_stream.h"
#include "config.h"
#include "filterbase/filter_base.h"
#include "filterbase/media_type.h"
#include "stream_stats.h"

#include <memory>
#include <optional>
#include <vector>

namespace vcxcam {

class CameraPin;

class CameraFilter final : public filterbase::FilterBase,
                           public IStreamStats,
                           public VideoProcAmpOf,
                           public CameraControlOf {
  public:
    // Makes the filter of camera index, configured as the registry says now.
    static HRESULT create(int index, REFIID iid, void** out);

    // IUnknown, shared with FilterBase
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IStreamStats
    STDMETHODIMP GetStreamStats(StreamStats* stats) override;

    // For the pins. Formats: the configured capabilities, or the one
    // IAMStreamConfig::SetFormat chose. Call with controlLock() held.
    const CameraConfig& config() const { return config_; }
    std::vector<Capability> offeredFormats() const;
    // The capability as the camera's types state it: without a frame
    // interval when ZeroFrameInterval is set.
    Capability stated(const Capability& cap) const;
    bool acceptsType(const AM_MEDIA_TYPE& type) const;
    // IAMStreamConfig::SetFormat and GetFormat of the capture pin; the chosen
    // format holds for both pins.
    HRESULT setFormat(const AM_MEDIA_TYPE* type);
    HRESULT getFormat(AM_MEDIA_TYPE** type);
    // The configured faults and their counts (IAMDroppedFrames of the
    // capture pin).
    const CameraFaults& faults() const { return faults_; }

  protected:
    CameraControls& controls() override { return controls_; }
    ULONG pinCount() const override;
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void run(REFERENCE_TIME start) override;
    void pauseRunning() override;
    void deactivate() override;
    bool isLiveSource() const override { return true; }
    ULONG miscFlags() const override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    explicit CameraFilter(CameraConfig config);
    ~CameraFilter() override;

    // Whether the camera has a capability of cap's size and subtype that can
    // be offered with cap's format type.
    bool hasCapabilitySize(const Capability& cap) const;
    // The frame interval of the first capability whose type states format.
    REFERENCE_TIME configuredInterval(const Capability& format) const;

    const CameraConfig config_;
    std::vector<std::unique_ptr<CameraPin>> pins_;
    std::optional<Capability> chosen_;
    // Declared before the stream, whose thread draws through them.
    CameraControls controls_;
    CameraFaults faults_;
    CameraStream stream_;
};

} // namespace vcxcam
