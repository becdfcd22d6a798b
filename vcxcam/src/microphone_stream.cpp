#include "microphone_stream.h"

#include "audio_signal.h"

#include "core/com_ptr.h"

#include <evcode.h>
#include <vfwmsgs.h>

#include <algorithm>

namespace vcxcam {

HRESULT MicrophoneStream::start(filterbase::OutputPin* pin, const AudioFormat& format,
                                DWORD startupDelayMs, const MicrophoneFaults& faults) {
    stop();
    if (!pin->isConnected()) {
        return S_OK;
    }
    pin_ = pin;
    format_ = format;
    delayFrames_ = static_cast<std::int64_t>(startupDelayMs) * format.sampleRate / 1000;
    faults_ = faults;
    InterlockedExchange64(&delivered_, 0);
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (wake_ == nullptr) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    filterbase::Locked lock(lock_);
    mode_ = Mode::Idle;
    thread_ = CreateThread(nullptr, 0, &MicrophoneStream::threadMain, this, 0, nullptr);
    if (thread_ == nullptr) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(wake_);
        wake_ = nullptr;
        return hr;
    }
    return S_OK;
}

void MicrophoneStream::run(REFERENCE_TIME start, IReferenceClock* graphClock, bool ownClock) {
    filterbase::Locked lock(lock_);
    if (thread_ == nullptr) {
        return;
    }
    const std::int64_t now = clock_.counter();
    REFERENCE_TIME offset = 0;
    if (graphClock != nullptr && !ownClock) {
        REFERENCE_TIME graphNow = 0;
        graphClock->GetTime(&graphNow);
        offset = graphNow - clock_.timeOf(now);
    }
    next_ = Run{next_.generation + 1, now + delayFrames_, offset, start, graphClock != nullptr};
    mode_ = Mode::Running;
    SetEvent(wake_);
}

void MicrophoneStream::pause() {
    filterbase::Locked lock(lock_);
    if (thread_ != nullptr) {
        mode_ = Mode::Idle;
        SetEvent(wake_);
    }
}

void MicrophoneStream::stop() {
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
    mode_ = Mode::Idle;
    pin_ = nullptr;
}

DWORD WINAPI MicrophoneStream::threadMain(void* self) {
    static_cast<MicrophoneStream*>(self)->streamLoop();
    return 0;
}

bool MicrophoneStream::waitForRun(Run& run) {
    filterbase::Locked lock(lock_);
    while (mode_ == Mode::Idle) {
        lock_.unlock();
        WaitForSingleObject(wake_, INFINITE);
        lock_.lock();
    }
    run = next_;
    return mode_ != Mode::Quit;
}

bool MicrophoneStream::runChanged(std::uint64_t generation) {
    filterbase::Locked lock(lock_);
    return mode_ != Mode::Running || next_.generation != generation;
}

void MicrophoneStream::streamLoop() {
    Run run{};
    while (waitForRun(run)) {
        capture(run);
        // Downstream stopped taking samples: wait for the run to change.
        while (!runChanged(run.generation)) {
            WaitForSingleObject(wake_, INFINITE);
        }
    }
}

void MicrophoneStream::capture(const Run& run) {
    const std::int64_t rate = format_.sampleRate;
    bool lost = false;
    for (std::int64_t buffer = 0; !runChanged(run.generation);) {
        const std::int64_t first = buffer * rate / kBuffersPerSecond;
        const std::int64_t end = (buffer + 1) * rate / kBuffersPerSecond;
        const DWORD wait = clock_.millisecondsUntil(run.origin + end);
        if (wait > 0) {
            WaitForSingleObject(wake_, wait);
            continue;
        }
        // The faults cut the buffer short; the device clock goes on.
        std::int64_t last = end;
        if (faults_.stallAfter != 0) {
            last = std::min<std::int64_t>(last, faults_.stallAfter);
        }
        if (faults_.loseAfter != 0) {
            last = std::min<std::int64_t>(last, faults_.loseAfter);
        }
        if (first < last && !deliver(run, first, last)) {
            return;
        }
        if (faults_.loseAfter != 0 && end >= faults_.loseAfter && !lost) {
            lost = true;
            if (faults_.events != nullptr) {
                faults_.events->Notify(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(faults_.device),
                                       0);
            }
        }
        ++buffer;
    }
}

bool MicrophoneStream::deliver(const Run& run, std::int64_t first, std::int64_t end) {
    vcx::ComPtr<IMediaSample> sample;
    BYTE* bits = nullptr;
    const long bytes = static_cast<long>((end - first) * format_.blockAlign());
    HRESULT hr = pin_->allocator()->GetBuffer(sample.put(), nullptr, nullptr, 0);
    if (SUCCEEDED(hr)) {
        hr = sample->GetPointer(&bits);
    }
    if (FAILED(hr) || sample->GetSize() < bytes) {
        return false;
    }
    writeCounterSamples(bits, format_, static_cast<std::uint64_t>(first),
                        static_cast<std::size_t>(end - first));
    sample->SetActualDataLength(bytes);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(first == 0);
    LONGLONG mediaStart = first;
    LONGLONG mediaEnd = end;
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    if (run.timed) {
        REFERENCE_TIME begin = clock_.timeOf(run.origin + first) + run.offset - run.start;
        REFERENCE_TIME stop = clock_.timeOf(run.origin + end) + run.offset - run.start;
        sample->SetTime(&begin, &stop);
    } else {
        sample->SetTime(nullptr, nullptr);
    }
    hr = pin_->inputPin()->Receive(sample.get());
    if (hr != S_OK) {
        return false;
    }
    InterlockedAdd64(&delivered_, end - first);
    return true;
}

} // namespace vcxcam
