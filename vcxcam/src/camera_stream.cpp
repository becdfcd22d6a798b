#include "camera_stream.h"

#include "colour_conversion.h"
#include "picture.h"
#include "video_type.h"

#include "core/com_ptr.h"

#include <vfwmsgs.h>
#include <cstring>

namespace vcxcam {

namespace {

constexpr REFERENCE_TIME kUnitsPerMs = 10'000;

ULONGLONG fileTimeUnits(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

HRESULT CameraStream::start(const std::vector<filterbase::OutputPin*>& pins, DWORD startupDelayMs,
                            REFERENCE_TIME unstatedInterval) {
    stop();
    targets_.clear();
    for (filterbase::OutputPin* pin : pins) {
        if (!pin->isConnected()) {
            continue;
        }
        const std::optional<Capability> format = readVideoType(pin->connectionType());
        if (!format || (format->frameInterval <= 0 && unstatedInterval <= 0)) {
            return VFW_E_INVALIDMEDIATYPE;
        }
        if (targets_.empty()) {
            interval_ = format->frameInterval > 0 ? format->frameInterval : unstatedInterval;
        }
        Target target{
            pin, *format, frameBytes(format->subtype, format->width, format->height), {}, true};
        if (format->subtype != Subtype::Rgb24) {
            target.picture.resize(frameSize(format->width, format->height));
        }
        targets_.push_back(std::move(target));
    }
    if (targets_.empty()) {
        return S_OK;
    }
    startupDelay_ = static_cast<REFERENCE_TIME>(startupDelayMs) * kUnitsPerMs;
    samples_.resize(targets_.size());
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (wake_ == nullptr) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    filterbase::Locked lock(lock_);
    mode_ = Mode::Idle;
    framesDelivered_ = 0;
    framesSkipped_ = 0;
    deliveriesBegun_ = 0;
    thread_ = CreateThread(nullptr, 0, &CameraStream::threadMain, this, 0, nullptr);
    if (thread_ == nullptr) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(wake_);
        wake_ = nullptr;
        return hr;
    }
    return S_OK;
}

void CameraStream::run(REFERENCE_TIME start, IReferenceClock* clock) {
    filterbase::Locked lock(lock_);
    if (thread_ == nullptr) {
        return;
    }
    if (clock != nullptr) {
        clock->AddRef();
    }
    if (clock_ != nullptr) {
        clock_->Release();
    }
    clock_ = clock;
    start_ = start;
    // The camera starts now, whenever the graph means its stream to start.
    origin_ = now(clock) + startupDelay_;
    ++generation_;
    mode_ = Mode::Running;
    SetEvent(wake_);
}

void CameraStream::pause() {
    filterbase::Locked lock(lock_);
    if (thread_ != nullptr) {
        mode_ = Mode::Idle;
        SetEvent(wake_);
    }
}

void CameraStream::stop() {
    HANDLE thread = nullptr;
    {
        filterbase::Locked lock(lock_);
        thread = thread_;
        if (thread != nullptr) {
            mode_ = Mode::Quit;
            SetEvent(wake_);
        }
    }
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
    }
    filterbase::Locked lock(lock_);
    if (thread_ != nullptr) {
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (wake_ != nullptr) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
    if (clock_ != nullptr) {
        clock_->Release();
        clock_ = nullptr;
    }
    mode_ = Mode::Idle;
}

StreamStats CameraStream::stats() {
    filterbase::Locked lock(lock_);
    StreamStats stats{};
    stats.framesDelivered =
        static_cast<ULONGLONG>(InterlockedCompareExchange64(&framesDelivered_, 0, 0));
    stats.framesSkipped =
        static_cast<ULONGLONG>(InterlockedCompareExchange64(&framesSkipped_, 0, 0));
    stats.streaming = thread_ != nullptr;
    stats.lastDeliveryCounter = InterlockedCompareExchange64(&lastDeliveryCounter_, 0, 0);
    stats.deliveriesBegun =
        static_cast<ULONGLONG>(InterlockedCompareExchange64(&deliveriesBegun_, 0, 0));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (thread_ != nullptr && GetThreadTimes(thread_, &created, &exited, &kernel, &user)) {
        stats.threadCpuTime = fileTimeUnits(kernel) + fileTimeUnits(user);
    }
    return stats;
}

DWORD WINAPI CameraStream::threadMain(void* self) {
    static_cast<CameraStream*>(self)->streamLoop();
    return 0;
}

bool CameraStream::waitForRun(Run& run) {
    filterbase::Locked lock(lock_);
    while (mode_ == Mode::Idle) {
        lock_.unlock();
        WaitForSingleObject(wake_, INFINITE);
        lock_.lock();
    }
    if (mode_ == Mode::Quit) {
        return false;
    }
    run = Run{generation_, start_, origin_, clock_};
    if (run.clock != nullptr) {
        run.clock->AddRef();
    }
    return true;
}

bool CameraStream::runChanged(std::uint64_t generation) {
    filterbase::Locked lock(lock_);
    return mode_ != Mode::Running || generation_ != generation;
}

REFERENCE_TIME CameraStream::now(IReferenceClock* clock) const {
    REFERENCE_TIME time = 0;
    if (clock != nullptr && SUCCEEDED(clock->GetTime(&time))) {
        return time;
    }
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<REFERENCE_TIME>(static_cast<double>(counter.QuadPart) * 1e7 /
                                       static_cast<double>(frequency.QuadPart));
}

void CameraStream::streamLoop() {
    Run run{};
    while (waitForRun(run)) {
        for (Target& target : targets_) {
            target.active = true;
        }
        if (hook_ != nullptr) {
            hook_->runBegins();
        }
        // Frame n is due n intervals after the run's origin, whatever the
        // time spent delivering.
        const bool timed = run.clock != nullptr;
        std::uint32_t frame = 0;
        std::int64_t slot = 0;
        bool anyActive = true;
        while (!runChanged(run.generation)) {
            if (!anyActive) {
                WaitForSingleObject(wake_, INFINITE);
                continue;
            }
            const REFERENCE_TIME due = run.origin + slot * interval_;
            const REFERENCE_TIME current = now(run.clock);
            if (current < due) {
                WaitForSingleObject(
                    wake_, static_cast<DWORD>((due - current + kUnitsPerMs - 1) / kUnitsPerMs));
                continue;
            }
            // Fault hook: a dropped or withheld frame time sends nothing.
            const bool send = faults_ == nullptr || faults_->next() == CameraFaults::Fate::kDeliver;
            if (send && deliverFrame(frame, timed, due - run.start) > 0) {
                ++frame;
                InterlockedIncrement64(&framesDelivered_);
            }
            ++slot;
            anyActive = false;
            for (const Target& target : targets_) {
                anyActive = anyActive || target.active;
            }
            // When a whole frame time has passed unused, skip to the present
            // rather than deliver a burst of late frames.
            const REFERENCE_TIME after = now(run.clock);
            const std::int64_t currentSlot = (after - run.origin) / interval_;
            if (currentSlot > slot) {
                InterlockedAdd64(&framesSkipped_, currentSlot - slot);
                slot = currentSlot;
            }
        }
        if (run.clock != nullptr) {
            run.clock->Release();
            run.clock = nullptr;
        }
    }
}

void CameraStream::makeFrame(Target& target, std::uint32_t frame, std::uint8_t* bits) {
    const Capability& format = target.format;
    // An RGB24 target is drawn in its sample; any other subtype is drawn
    // beside it and converted into it.
    std::uint8_t* picture = target.picture.empty() ? bits : target.picture.data();
    drawFrame(picture, format.width, format.height, frame);
    if (hook_ != nullptr) {
        hook_->frameDrawn(picture, format.width, format.height, frame);
    }
    if (format.subtype != Subtype::Rgb24) {
        convertFromRgb24(format.subtype, picture, format.width, format.height, bits);
    }
}

int CameraStream::deliverFrame(std::uint32_t frame, bool timed, REFERENCE_TIME streamTime) {
    // Fill every buffer before delivering any, so that what one downstream
    // filter does to its sample cannot reach the others.
    const std::uint8_t* made = nullptr;
    const Target* madeTarget = nullptr;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        Target& target = targets_[i];
        if (!target.active) {
            continue;
        }
        vcx::ComPtr<IMediaSample> sample;
        BYTE* bits = nullptr;
        HRESULT hr = target.pin->allocator()->GetBuffer(sample.put(), nullptr, nullptr, 0);
        if (SUCCEEDED(hr)) {
            hr = sample->GetPointer(&bits);
        }
        if (SUCCEEDED(hr) && static_cast<std::size_t>(sample->GetSize()) < target.bytes) {
            hr = VFW_E_BUFFER_OVERFLOW;
        }
        if (FAILED(hr)) {
            target.active = false;
            continue;
        }
        // Pins in one format get the same bytes, made once.
        if (made != nullptr && madeTarget->format.width == target.format.width &&
            madeTarget->format.height == target.format.height &&
            madeTarget->format.subtype == target.format.subtype) {
            std::memcpy(bits, made, target.bytes);
        } else {
            makeFrame(target, frame, bits);
            made = bits;
            madeTarget = &target;
        }
        sample->SetActualDataLength(static_cast<long>(target.bytes));
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(frame == 0);
        if (timed) {
            REFERENCE_TIME begin = streamTime;
            REFERENCE_TIME end = streamTime + interval_;
            sample->SetTime(&begin, &end);
        } else {
            sample->SetTime(nullptr, nullptr);
        }
        samples_[i] = std::move(sample);
    }
    // Benchmark hook: when this delivery began.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    InterlockedExchange64(&lastDeliveryCounter_, counter.QuadPart);
    InterlockedIncrement64(&deliveriesBegun_);
    int delivered = 0;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (!samples_[i]) {
            continue;
        }
        // S_FALSE: downstream wants no more of this run.
        const HRESULT hr = targets_[i].pin->inputPin()->Receive(samples_[i].get());
        samples_[i].reset();
        if (hr == S_OK) {
            ++delivered;
        } else {
            targets_[i].active = false;
        }
    }
    return delivered;
}

} // namespace vcxcam
