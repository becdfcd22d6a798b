// Events, waits, messages and clocks of the fake platform, which FakePlatform
// installs for every test: CreateEventW hands out handles of events kept
// here, SetEvent sets them, CloseHandle closes them (FakeFiles passes on the
// handles that are not its files), and MsgWaitForMultipleObjectsEx answers
// from their states, then from the thread's message queue (messages, when
// its wake mask lets them wake it). A wait that finds nothing runs the next
// of the test's duringWaits, which stands for what happens on other threads
// meanwhile (a frame arriving, an event queued, a message posted, time
// passing), and looks again; still nothing, it lets its whole timeout pass on
// the fake clock and answers WAIT_TIMEOUT. A wait without end that nothing
// would end fails the test. PeekMessageW takes messages off the queue;
// DispatchMessageW hands them to onDispatch, the host's window procedure.
// The clock runs in 100 ns units: the performance counter (frequency 10^7)
// and GetTickCount64 read it; it moves only when a test or a wait moves it.
// CreateEventW, MsgWaitForMultipleObjectsEx and CloseHandle of an event are
// journaled ("sync.CreateEventW(auto-reset)",
// "sync.MsgWaitForMultipleObjectsEx(2, 100)", with ", handles only" when
// messages cannot wake it) and fallible through FakeCom::call; SetEvent,
// DispatchMessageW ("sync.DispatchMessageW(0x400)") and PostQuitMessage
// ("sync.PostQuitMessage(3)") are journaled only.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>

#include "core/platform.h"
#include "fakes/fake_com.h"

namespace fakes {

class FakeSync : public FakeCom {
  public:
    explicit FakeSync(vcx::Platform& table);
    ~FakeSync() override;
    void* find(REFIID) override { return nullptr; }

    static FakeSync* current();

    // An event the test side owns (a fake graph's event handle): not
    // journaled, not one of the library's, closed with the FakeSync.
    HANDLE makeEvent(bool manualReset);
    void set(HANDLE event);
    void reset(HANDLE event);
    bool isSet(HANDLE event) const;

    // Events the library created and has not closed.
    int libraryEventsOpen() const;

    // The fake clock, in 100 ns units.
    LONGLONG now = 10'000'000'000LL;
    void advanceMs(LONGLONG ms) { now += ms * 10'000; }

    std::deque<std::function<void()>> duringWaits;
    // The thread's message queue, and what dispatching a message does.
    std::deque<MSG> messages;
    std::function<void(const MSG&)> onDispatch;
    void post(UINT message, WPARAM wParam = 0) {
        messages.push_back(MSG{nullptr, message, wParam, 0, 0, {}});
    }
    // Runs once, at the next GetTickCount64: what another thread does
    // between two steps of the library's (an interleaving a wait cannot show).
    std::function<void()> atNextTickRead;
    // The waits that ran, and the timeout each was given.
    std::vector<DWORD> waitTimeouts;

  private:
    struct Event {
        bool manualReset;
        bool set;
        bool library;
    };

    static HANDLE WINAPI createEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                                      LPCWSTR name);
    static BOOL WINAPI setEvent(HANDLE event);
    static DWORD WINAPI msgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles,
                                                    DWORD milliseconds, DWORD wakeMask,
                                                    DWORD flags);
    static BOOL WINAPI peekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
    static BOOL WINAPI translateMessage(const MSG* message);
    static LRESULT WINAPI dispatchMessageW(const MSG* message);
    static void WINAPI postQuitMessage(int exitCode);
    static BOOL WINAPI closeHandle(HANDLE handle);
    static ULONGLONG WINAPI getTickCount64();
    static BOOL WINAPI queryPerformanceCounter(LARGE_INTEGER* counter);
    static BOOL WINAPI queryPerformanceFrequency(LARGE_INTEGER* frequency);

    HANDLE add(bool manualReset, bool library);
    // The index of the first handle set, or -1; an auto-reset event found set
    // is reset.
    int takeSignal(DWORD count, const HANDLE* handles);

    std::map<HANDLE, Event> events_;
    std::uintptr_t nextHandle_ = 0xE7E00000;
};

} // namespace fakes
