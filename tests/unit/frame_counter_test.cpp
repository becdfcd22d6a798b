// The frame counter's hand-over. On real threads with the system's own
// events: a streaming thread delivers numbered frames while the host's
// thread asks for frame after frame, a fixed number of times, withdrawing
// some requests at once; every frame handed over must hold exactly the bits
// of its number, the numbers must rise, and no destination may be written
// once the host is done with it. And on one thread, at the one moment
// between the callback's copy and its answer that shows their order.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

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
    // The streaming thread delivers until the host has made kRequests
    // requests; every fifth one the host withdraws at once.
    constexpr int kRequests = 2000;
    constexpr std::uint32_t kFrames = 10'000'000;
    std::array<PoolSample, 3> pool;
    std::atomic<bool> hostDone{false};
    std::thread streaming([&] {
        for (std::uint32_t number = 1; number <= kFrames && !hostDone; ++number) {
            PoolSample& sample = pool[number % pool.size()];
            for (auto& word : sample.words) {
                word.store(number, std::memory_order_relaxed);
            }
            counter->SampleCB(0.0, &sample);
        }
    });

    // A destination of its own for every request: one the streaming thread
    // wrote into after the host was done with it would show at the end.
    std::vector<std::array<std::uint32_t, 64>> destinations(kRequests);
    std::vector<std::int64_t> answers(kRequests, 0); // 0: withdrawn unanswered
    std::int64_t last = 0;
    int outOfOrder = 0;
    int wrongLength = 0;
    for (int request = 0; request < kRequests; ++request) {
        auto* bits = reinterpret_cast<BYTE*>(destinations[request].data());
        counter->arm(bits, sizeof destinations[request], last);
        std::int64_t number = 0;
        std::int64_t length = 0;
        const bool withdrawAtOnce = request % 5 == 4;
        if (withdrawAtOnce && counter->disarm()) {
            continue;
        }
        while (!counter->answered(number, length)) {
            std::this_thread::yield();
        }
        wrongLength += length == static_cast<std::int64_t>(sizeof destinations[request]) ? 0 : 1;
        outOfOrder += number > last ? 0 : 1;
        answers[request] = number;
        last = number;
    }
    hostDone = true;
    streaming.join();

    int mismatched = 0;
    for (int request = 0; request < kRequests; ++request) {
        for (const std::uint32_t word : destinations[request]) {
            mismatched += word == static_cast<std::uint32_t>(answers[request]) ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatched, 0) << "bits of another frame than the number answered with them, or "
                                "written after the host was done";
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(wrongLength, 0);
    for (const PoolSample& sample : pool) {
        EXPECT_EQ(sample.references.load(), 1) << "a sample kept";
    }
    counter->Release();
}

// The callback copies the frame and stores its number before it publishes
// the answer: a host that looks between the two finds no answer, and then
// the frame's number with its bits.
TEST(FrameCounterHandOver, TheAnswerIsPublishedAfterTheFrameIsCopied) {
    vcx::installPlatform(nullptr);
    vcx::FrameCounter* counter = vcx::FrameCounter::create();
    ASSERT_NE(counter, nullptr);
    static bool answeredBetween;
    answeredBetween = false;
    vcx::FrameCounter::handOverSeam = [](vcx::FrameCounter& c) {
        std::int64_t number = 0;
        std::int64_t length = 0;
        answeredBetween = c.answered(number, length);
    };
    PoolSample sample;
    for (auto& word : sample.words) {
        word.store(7);
    }
    std::array<std::uint32_t, 64> destination{};
    counter->arm(reinterpret_cast<BYTE*>(destination.data()), sizeof destination, 0);
    counter->SampleCB(0.0, &sample);
    vcx::FrameCounter::handOverSeam = nullptr;
    std::int64_t number = 0;
    std::int64_t length = 0;
    EXPECT_FALSE(answeredBetween) << "the answer was out before the frame";
    ASSERT_TRUE(counter->answered(number, length));
    EXPECT_EQ(number, 1);
    EXPECT_EQ(length, static_cast<std::int64_t>(sizeof destination));
    EXPECT_EQ(destination, (std::array<std::uint32_t, 64>{
                               7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                               7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                               7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
    counter->Release();
}

} // namespace
