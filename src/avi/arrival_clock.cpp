#include "avi/arrival_clock.h"

#include <new>

namespace vcx::avi {

namespace {

class PerformanceClock final : public ArrivalClock {
  public:
    PerformanceClock() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart;
    }
    REFERENCE_TIME now() override {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        // Whole seconds and the rest apart, so that the product cannot overflow.
        const LONGLONG seconds = counter.QuadPart / frequency_;
        const LONGLONG rest = counter.QuadPart % frequency_;
        return seconds * 10'000'000 + rest * 10'000'000 / frequency_;
    }

  private:
    LONGLONG frequency_ = 1;
};

} // namespace

std::unique_ptr<ArrivalClock> createPerformanceClock() {
    return std::unique_ptr<ArrivalClock>(new (std::nothrow) PerformanceClock());
}

} // namespace vcx::avi
