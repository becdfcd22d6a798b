// The microphone's clock, as a sound card's: a counter of the sample frames
// the device captures, running at the sample rate from the performance
// counter (the device's crystal), and the IReferenceClock time read from it.
// Time T of counter value F is F * 10^7 / rate (100 ns units, rounded down);
// GetTime never goes back, also when the rate changes. Advises are kept and
// signalled by a thread of the clock's own, started by the first advise.
#pragma once

#include "filterbase/sync.h"

#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <vector>

namespace vcxcam {

class DeviceClock {
  public:
    explicit DeviceClock(DWORD sampleRate) : rate_(sampleRate) {}
    DeviceClock(const DeviceClock&) = delete;
    DeviceClock& operator=(const DeviceClock&) = delete;
    ~DeviceClock();

    // The rate the counter runs at; changed only while no stream runs.
    void setRate(DWORD sampleRate);
    DWORD rate() const { return rate_; }

    // The sample frames counted so far, and the clock time of a counter value.
    std::int64_t counter() const;
    REFERENCE_TIME timeOf(std::int64_t counter) const;
    // Milliseconds until the counter reaches target (0 once it has), for a wait.
    DWORD millisecondsUntil(std::int64_t target) const;

    // IReferenceClock, for the filter that offers it.
    HRESULT getTime(REFERENCE_TIME* time);
    HRESULT adviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HANDLE event, DWORD_PTR* cookie);
    HRESULT advisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HANDLE semaphore,
                           DWORD_PTR* cookie);
    HRESULT unadvise(DWORD_PTR cookie);

  private:
    struct Advise {
        DWORD_PTR cookie;
        REFERENCE_TIME due;
        REFERENCE_TIME period; // 0: one-shot, the handle an event
        HANDLE handle;
    };

    // Time since the performance counter's zero, in 100 ns units.
    static double deviceUnits();
    REFERENCE_TIME now();
    HRESULT addAdvise(const Advise& advise, DWORD_PTR* cookie);
    static DWORD WINAPI threadMain(void* self);
    void adviseLoop();

    filterbase::CriticalSection lock_;
    DWORD rate_;
    REFERENCE_TIME last_ = 0;
    std::vector<Advise> advises_;
    DWORD_PTR nextCookie_ = 1;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    bool quit_ = false;
};

} // namespace vcxcam
