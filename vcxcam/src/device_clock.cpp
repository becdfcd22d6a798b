#include "device_clock.h"

#include <vfwmsgs.h>

#include <algorithm>
#include <new>

namespace vcxcam {

namespace {

constexpr double kUnitsPerSecond = 1e7;
constexpr REFERENCE_TIME kUnitsPerMs = 10'000;

} // namespace

DeviceClock::~DeviceClock() {
    HANDLE thread = nullptr;
    {
        filterbase::Locked lock(lock_);
        quit_ = true;
        thread = thread_;
        if (wake_ != nullptr) {
            SetEvent(wake_);
        }
    }
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    if (wake_ != nullptr) {
        CloseHandle(wake_);
    }
}

double DeviceClock::deviceUnits() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * kUnitsPerSecond /
           static_cast<double>(frequency.QuadPart);
}

void DeviceClock::setRate(DWORD sampleRate) {
    filterbase::Locked lock(lock_);
    rate_ = sampleRate;
}

std::int64_t DeviceClock::counter() const {
    return static_cast<std::int64_t>(deviceUnits() * rate_ / kUnitsPerSecond);
}

REFERENCE_TIME DeviceClock::timeOf(std::int64_t value) const {
    // Split so that the product cannot overflow: whole seconds, then the rest.
    const std::int64_t rate = rate_;
    return value / rate * 10'000'000 + value % rate * 10'000'000 / rate;
}

DWORD DeviceClock::millisecondsUntil(std::int64_t target) const {
    const std::int64_t ahead = target - counter();
    if (ahead <= 0) {
        return 0;
    }
    return static_cast<DWORD>((timeOf(ahead) + kUnitsPerMs - 1) / kUnitsPerMs);
}

REFERENCE_TIME DeviceClock::now() {
    filterbase::Locked lock(lock_);
    last_ = std::max(last_, timeOf(counter()));
    return last_;
}

HRESULT DeviceClock::getTime(REFERENCE_TIME* time) {
    if (time == nullptr) {
        return E_POINTER;
    }
    *time = now();
    return S_OK;
}

HRESULT DeviceClock::adviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HANDLE event,
                                DWORD_PTR* cookie) {
    if (cookie == nullptr) {
        return E_POINTER;
    }
    if (event == nullptr || base + offset <= 0 || offset < 0) {
        return E_INVALIDARG;
    }
    return addAdvise({0, base + offset, 0, event}, cookie);
}

HRESULT DeviceClock::advisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HANDLE semaphore,
                                    DWORD_PTR* cookie) {
    if (cookie == nullptr) {
        return E_POINTER;
    }
    if (semaphore == nullptr || start < 0 || period <= 0) {
        return E_INVALIDARG;
    }
    return addAdvise({0, start, period, semaphore}, cookie);
}

HRESULT DeviceClock::addAdvise(const Advise& advise, DWORD_PTR* cookie) {
    filterbase::Locked lock(lock_);
    if (thread_ == nullptr) {
        wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (wake_ == nullptr) {
            return E_OUTOFMEMORY;
        }
        thread_ = CreateThread(nullptr, 0, &DeviceClock::threadMain, this, 0, nullptr);
        if (thread_ == nullptr) {
            CloseHandle(wake_);
            wake_ = nullptr;
            return E_OUTOFMEMORY;
        }
    }
    try {
        advises_.push_back(advise);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    advises_.back().cookie = nextCookie_++;
    *cookie = advises_.back().cookie;
    SetEvent(wake_);
    return S_OK;
}

HRESULT DeviceClock::unadvise(DWORD_PTR cookie) {
    filterbase::Locked lock(lock_);
    const auto found = std::find_if(advises_.begin(), advises_.end(),
                                    [cookie](const Advise& a) { return a.cookie == cookie; });
    if (found == advises_.end()) {
        return S_FALSE;
    }
    advises_.erase(found);
    return S_OK;
}

DWORD WINAPI DeviceClock::threadMain(void* self) {
    static_cast<DeviceClock*>(self)->adviseLoop();
    return 0;
}

void DeviceClock::adviseLoop() {
    for (;;) {
        DWORD waitMs = INFINITE;
        {
            filterbase::Locked lock(lock_);
            if (quit_) {
                return;
            }
            const REFERENCE_TIME current = now();
            for (auto advise = advises_.begin(); advise != advises_.end();) {
                if (advise->due <= current) {
                    if (advise->period == 0) {
                        SetEvent(advise->handle);
                        advise = advises_.erase(advise);
                        continue;
                    }
                    ReleaseSemaphore(advise->handle, 1, nullptr);
                    advise->due += advise->period;
                }
                const REFERENCE_TIME ahead = advise->due - current;
                waitMs = std::min<DWORD>(waitMs, static_cast<DWORD>(std::max<REFERENCE_TIME>(
                                                     (ahead + kUnitsPerMs - 1) / kUnitsPerMs, 1)));
                ++advise;
            }
        }
        WaitForSingleObject(wake_, waitMs);
    }
}

} // namespace vcxcam
