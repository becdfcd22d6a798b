// A source filter that a test or benchmark drives itself: one output pin,
// "Out" (capture category), that offers and takes exactly one media type and
// brings a memory allocator when its peer has none. The caller connects it,
// pauses or runs it (its allocator is committed meanwhile), and sends
// samples from its own thread.
#pragma once

#include "filterbase/filter_base.h"
#include "filterbase/media_type.h"
#include "filterbase/output_pin.h"

#include <windows.h>
#include <strmif.h>

#include <memory>
#include <optional>

namespace harness {

class PushSource final : public filterbase::FilterBase {
  public:
    // A new source offering type, with samples of sampleBytes, holding one
    // reference for the caller; null when out of memory.
    static PushSource* create(const AM_MEDIA_TYPE& type, long sampleBytes);

    filterbase::OutputPin& pin();
    // Sends bytes (at most sampleBytes) as one sample, a sync point, stamped
    // from start to start + duration when start is given; answers the
    // peer's Receive, or the failure before it. Null data sends the buffer as
    // the allocator hands it out.
    HRESULT send(const void* data, long bytes, std::optional<REFERENCE_TIME> start = std::nullopt,
                 REFERENCE_TIME duration = 0);
    // Tells the peer its stream ended.
    HRESULT endOfStream();

  protected:
    ULONG pinCount() const override { return 1; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void deactivate() override;

  private:
    class Pin;
    PushSource(filterbase::MediaType type, long sampleBytes);
    ~PushSource() override;

    std::unique_ptr<Pin> pin_;
};

} // namespace harness
