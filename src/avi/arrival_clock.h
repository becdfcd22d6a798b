// Where the AVI writer reads when a sample that carries no time stamp
// arrived: the performance counter, in 100 ns units. A test puts in its own.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <memory>

namespace vcx::avi {

class ArrivalClock {
  public:
    virtual ~ArrivalClock() = default;
    // Now, in 100 ns units from any fixed point.
    virtual REFERENCE_TIME now() = 0;
};

// The performance counter; null when out of memory.
std::unique_ptr<ArrivalClock> createPerformanceClock();

} // namespace vcx::avi
