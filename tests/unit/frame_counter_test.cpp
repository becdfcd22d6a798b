// The frame counter's hand-over. On real threads with the system's own
// events: a streaming thread delivers numbered frames from a small pool of
// samples (a sample is reused once nobody holds it, as an allocator does)
// while the host's thread asks for frame after frame, a fixed number of
// times; every frame handed over must hold exactly the bits of its number,
// and the numbers must rise. And on one thread, at the one moment between
// the callback's two stores that shows their order.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "core/platform.h"
#include "frames/frame_counter.h"

namespace {

// A sample of 64 words, each holding the number of the frame painted into it.
class PoolSample final : public IMediaSample {
  public:
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override {
        return static_cast<ULONG>(references.fetch_add(1) + 1);
    }
    STDMETHODIMP_(ULONG) Release() override {
        return static_cast<ULONG>(references.fetch_sub(1) - 1);
    }
    STDMETHODIMP GetPointer(BYTE** buffer) override {
        *buffer = reinterpret_cast<BYTE*>(words.data());
        return S_OK;
    }
    long STDMETHODCALLTYPE GetSize() override { return sizeof words; }
    STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override {
        return VFW_E_SAMPLE_TIME_NOT_SET;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP IsSyncPoint() override { return E_NOTIMPL; }
    STDMETHODIMP SetSyncPoint(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP IsPreroll() override { return E_NOTIMPL; }
    STDMETHODIMP SetPreroll(WINBOOL) override { return E_NOTIMPL; }
    long STDMETHODCALLTYPE GetActualDataLength() override { return sizeof words; }
    STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return E_NOTIMPL; }
    STDMETHODIMP SetDiscontinuity(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

    // 1: only the pool holds it (below 1: released more often than taken).
    std::atomic<long> references{1};
    std::array<std::atomic<std::uint32_t>, 64> words{};
};

TEST(FrameCounterHandOver, BitsAndNumberBelongTogetherUnderContention) {
    vcx::installPlatform(nullptr);
    vcx::FrameCounter* counter = vcx::FrameCounter::create();
    ASSERT_NE(counter, nullptr);
    // The streaming thread delivers until the host has had kHandOvers frames.
    constexpr int kHandOvers = 2000;
    constexpr std::uint32_t kFrames = 10'000'000;
    std::array<PoolSample, 3> pool;
    std::atomic<bool> done{false};

    std::atomic<bool> starved{false};
    std::atomic<bool> hostDone{false};
    std::thread streaming([&] {
        std::size_t next = 0;
        const ULONGLONG giveUp = GetTickCount64() + 20'000;
        for (std::uint32_t number = 1; number <= kFrames && !starved && !hostDone; ++number) {
            // The allocator hands out a sample again only once it is back.
            while (pool[next].references.load() > 1 && !starved) {
                next = (next + 1) % pool.size();
                std::this_thread::yield();
                starved = GetTickCount64() > giveUp;
            }
            PoolSample& sample = pool[next];
            for (auto& word : sample.words) {
                word.store(number, std::memory_order_relaxed);
            }
            sample.AddRef(); // the upstream filter's reference during delivery
            counter->SampleCB(0.0, &sample);
            sample.Release();
            next = (next + 1) % pool.size();
        }
        done = true;
    });

    std::int64_t last = 0;
    int handed = 0;
    int mismatched = 0;
    int outOfOrder = 0;
    while (!done.load() && handed < kHandOvers) {
        counter->arm();
        std::int64_t number = 0;
        IMediaSample* sample = nullptr;
        while ((sample = counter->take(number)) == nullptr && !done.load()) {
            std::this_thread::yield();
        }
        if (sample == nullptr && !counter->disarm()) {
            while ((sample = counter->take(number)) == nullptr) {
                std::this_thread::yield();
            }
        }
        if (sample == nullptr) {
            break;
        }
        BYTE* bytes = nullptr;
        sample->GetPointer(&bytes);
        // Read slowly, word by word, so that a reused sample would show.
        const auto* words = reinterpret_cast<const std::atomic<std::uint32_t>*>(bytes);
        for (int i = 0; i < 64; ++i) {
            if (words[i].load() != static_cast<std::uint32_t>(number)) {
                ++mismatched;
                break;
            }
            std::this_thread::yield();
        }
        outOfOrder += number > last ? 0 : 1;
        last = number;
        ++handed;
        sample->Release();
    }
    // Every request of the host was answered and taken: none is left.
    hostDone = true;
    streaming.join();

    EXPECT_FALSE(starved) << "the host kept every sample";
    EXPECT_EQ(mismatched, 0) << "bits of another frame than the number handed with them";
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(handed, kHandOvers);
    for (const PoolSample& sample : pool) {
        EXPECT_EQ(sample.references.load(), 1) << "a sample kept, or released once too often";
    }
    counter->Release();
}

// The callback stores a handed-over sample's number before it publishes the
// sample: a host that takes the sample between the two stores finds nothing,
// and takes it with its own number once it is published.
TEST(FrameCounterHandOver, TheNumberIsStoredBeforeTheSampleIsPublished) {
    vcx::installPlatform(nullptr);
    vcx::FrameCounter* counter = vcx::FrameCounter::create();
    ASSERT_NE(counter, nullptr);
    static IMediaSample* takenBetween;
    static std::int64_t numberBetween;
    takenBetween = nullptr;
    vcx::FrameCounter::handOverSeam = [](vcx::FrameCounter& c) {
        takenBetween = c.take(numberBetween);
    };
    PoolSample sample;
    counter->arm();
    counter->SampleCB(0.0, &sample);
    vcx::FrameCounter::handOverSeam = nullptr;
    std::int64_t number = 0;
    IMediaSample* taken = counter->take(number);
    if (takenBetween != nullptr) {
        ADD_FAILURE() << "the sample was there before its number " << numberBetween;
        takenBetween->Release();
    }
    ASSERT_EQ(taken, &sample);
    EXPECT_EQ(number, 1);
    taken->Release();
    EXPECT_EQ(sample.references.load(), 1);
    counter->Release();
}

} // namespace
