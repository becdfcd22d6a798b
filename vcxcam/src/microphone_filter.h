// The vcxcam microphone: a live audio source filter with one capture pin
// that streams the counter signal in one of the microphone's configured PCM
// formats, and the device's clock as IReferenceClock on the filter; for the
// tests, IStreamStats counts the sample frames it delivered.
#pragma once

#include "audio_format.h"
#include "device_clock.h"
#include "filterbase/filter_base.h"
#include "filterbase/output_pin.h"
#include "microphone_config.h"
#include "microphone_stream.h"
#include "stream_stats.h"

#include <optional>
#include <vector>

namespace vcxcam {

class MicrophoneFilter;

// The capture pin: the microphone's formats, and IAMStreamConfig unless the
// microphone is configured without it.
class MicrophonePin final : public filterbase::OutputPin, public IAMStreamConfig {
  public:
    explicit MicrophonePin(MicrophoneFilter& microphone);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

  protected:
    HRESULT offeredTypes(std::vector<filterbase::MediaType>& types) override;
    bool acceptsType(const AM_MEDIA_TYPE& type) override;
    long sampleBytes(const AM_MEDIA_TYPE& type) override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    MicrophoneFilter& microphone_;
};

class MicrophoneFilter final : public filterbase::FilterBase,
                               public IReferenceClock,
                               public IStreamStats {
  public:
    // Makes the filter of microphone index, configured as the registry says now.
    static HRESULT create(int index, REFIID iid, void** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IReferenceClock: the device clock (device_clock.h).
    STDMETHODIMP GetTime(REFERENCE_TIME* time) override;
    STDMETHODIMP AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                            DWORD_PTR* cookie) override;
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                DWORD_PTR* cookie) override;
    STDMETHODIMP Unadvise(DWORD_PTR cookie) override;

    // IStreamStats: framesDelivered counts sample frames since the stream
    // started; nothing is skipped (late buffers are caught up) and the
    // thread's time is not measured.
    STDMETHODIMP GetStreamStats(StreamStats* stats) override;

    // For the pin; call with controlLock() held. Formats: the configured
    // ones, or the one IAMStreamConfig::SetFormat chose.
    const MicrophoneConfig& config() const { return config_; }
    std::vector<AudioFormat> offeredFormats() const;
    bool acceptsType(const AM_MEDIA_TYPE& type) const;
    HRESULT setFormat(const AM_MEDIA_TYPE* type);
    HRESULT getFormat(AM_MEDIA_TYPE** type);

  protected:
    ULONG pinCount() const override { return 1; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void run(REFERENCE_TIME start) override;
    void pauseRunning() override;
    void deactivate() override;
    bool isLiveSource() const override { return true; }
    ULONG miscFlags() const override;
    HRESULT queryExtraInterface(REFIID iid, void** out) override;

  private:
    explicit MicrophoneFilter(MicrophoneConfig config);
    ~MicrophoneFilter() override;

    const MicrophoneConfig config_;
    std::optional<AudioFormat> chosen_;
    DeviceClock clock_;
    MicrophonePin pin_;
    MicrophoneStream stream_;
};

} // namespace vcxcam
