// vcx_GetDevFormat: the format the device streams in: the connected media
// type of its capture pin, else of its preview pin, else the format its
// stream configuration reports for the capture pin.
#include "vcxcap.h"

// (before the DirectShow headers, whose strsafe.h breaks <string>)
#include <string>

#include "config/stream_config.h"
#include "config/video_format.h"

namespace vcx {
namespace {

enum FormatSource : int32_t {
    kCapturePin = 0,
    kPreviewPin = 1,
    kStreamConfig = 2,
};

// An AM_MEDIA_TYPE a pin filled in; its fields are freed with it.
class ConnectionType {
  public:
    ConnectionType() : type_{} {}
    ConnectionType(const ConnectionType&) = delete;
    ConnectionType& operator=(const ConnectionType&) = delete;
    ~ConnectionType() {
        if (filled_) {
            freeMediaTypeFields(type_);
        }
    }

    enum class Read { kNoPin, kUnconnected, kConnected };

    // Asks the device's first output pin of category for its connection
    // type. Call once.
    Read read(ICaptureGraphBuilder2& builder, IBaseFilter& device, const GUID& category) {
        ComPtr<IPin> pin;
        if (FAILED(
                builder.FindPin(&device, PINDIR_OUTPUT, &category, nullptr, FALSE, 0, pin.put())) ||
            !pin) {
            return Read::kNoPin;
        }
        // A success fills the type in, whatever its code.
        filled_ = SUCCEEDED(pin->ConnectionMediaType(&type_));
        return filled_ ? Read::kConnected : Read::kUnconnected;
    }
    const AM_MEDIA_TYPE& get() const { return type_; }

  private:
    AM_MEDIA_TYPE type_;
    bool filled_ = false;
};

// The type the device streams in, by where it is found first.
class FormatInUse {
  public:
    // kCapturePin, kPreviewPin or kStreamConfig with type() set; -4 the
    // device has no capture pin; -5 no pin of it is connected and its stream
    // configuration reports no format.
    int32_t find(const CaptureSlot& slot) {
        switch (capture_.read(*slot.captureBuilder, *slot.sourceFilter, PIN_CATEGORY_CAPTURE)) {
        case ConnectionType::Read::kNoPin:
            return -4;
        case ConnectionType::Read::kConnected:
            type_ = &capture_.get();
            return kCapturePin;
        case ConnectionType::Read::kUnconnected:
            break;
        }
        if (preview_.read(*slot.captureBuilder, *slot.sourceFilter, PIN_CATEGORY_PREVIEW) ==
            ConnectionType::Read::kConnected) {
            type_ = &preview_.get();
            return kPreviewPin;
        }
        ComPtr<IAMStreamConfig> config;
        if (!takeCaptureStreamConfig(slot, config) || FAILED(config->GetFormat(reported_.put())) ||
            reported_.get() == nullptr) {
            return -5;
        }
        type_ = reported_.get();
        return kStreamConfig;
    }
    const AM_MEDIA_TYPE& type() const { return *type_; }

  private:
    ConnectionType capture_;
    ConnectionType preview_;
    OwnedMediaType reported_;
    const AM_MEDIA_TYPE* type_ = nullptr;
};

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_GetDevFormat(int* fourcc, int* bitCount, int* width, int* height,
                                       double* framesPerSecond) {
    if (const int32_t checked = checkOpenDevice(); checked < 0) {
        return checked;
    }
    if (fourcc == nullptr || bitCount == nullptr || width == nullptr || height == nullptr ||
        framesPerSecond == nullptr) {
        return -3;
    }
    FormatInUse inUse;
    const int32_t source = inUse.find(activeSlot());
    if (source < 0) {
        return source;
    }
    const AM_MEDIA_TYPE& type = inUse.type();
    const std::optional<VideoFormat> format = readVideoFormat(type);
    if (!format) {
        return -6;
    }
    *fourcc = static_cast<int>(subtypeFourcc(type.subtype).value_or(format->compression));
    *bitCount = format->bitCount;
    *width = format->width;
    *height = format->height;
    *framesPerSecond = framesPerSecondOf(format->frameInterval);
    return source;
}
