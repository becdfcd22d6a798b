#include "fakes/fake_sync.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace fakes {
namespace {

FakeSync* installed = nullptr;

} // namespace

FakeSync::FakeSync(vcx::Platform& table) : FakeCom("sync") {
    installed = this;
    table.createEventW = createEventW;
    table.setEvent = setEvent;
    table.msgWaitForMultipleObjectsEx = msgWaitForMultipleObjectsEx;
    table.peekMessageW = peekMessageW;
    table.translateMessage = translateMessage;
    table.dispatchMessageW = dispatchMessageW;
    table.postQuitMessage = postQuitMessage;
    table.closeHandle = closeHandle;
    table.getTickCount64 = getTickCount64;
    table.queryPerformanceCounter = queryPerformanceCounter;
    table.queryPerformanceFrequency = queryPerformanceFrequency;
}

FakeSync::~FakeSync() {
    EXPECT_EQ(libraryEventsOpen(), 0) << "events the library did not close";
    installed = nullptr;
}

FakeSync* FakeSync::current() {
    return installed;
}

HANDLE FakeSync::add(bool manualReset, bool library) {
    const auto handle = reinterpret_cast<HANDLE>(nextHandle_++);
    events_[handle] = {manualReset, false, library};
    return handle;
}

HANDLE FakeSync::makeEvent(bool manualReset) {
    return add(manualReset, false);
}

void FakeSync::set(HANDLE event) {
    ASSERT_EQ(events_.count(event), 1u) << "not an event";
    events_[event].set = true;
}

void FakeSync::reset(HANDLE event) {
    ASSERT_EQ(events_.count(event), 1u) << "not an event";
    events_[event].set = false;
}

bool FakeSync::isSet(HANDLE event) const {
    const auto found = events_.find(event);
    return found != events_.end() && found->second.set;
}

int FakeSync::libraryEventsOpen() const {
    int open = 0;
    for (const auto& [handle, event] : events_) {
        open += event.library ? 1 : 0;
    }
    return open;
}

HANDLE WINAPI FakeSync::createEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                                     LPCWSTR name) {
    EXPECT_EQ(name, nullptr) << "a named event";
    const std::string kind = manualReset ? "manual-reset" : "auto-reset";
    if (FAILED(installed->call("CreateEventW(" + kind + (initialState ? ", set)" : ")"),
                               Site::kFailure))) {
        return nullptr;
    }
    const HANDLE handle = installed->add(manualReset != FALSE, true);
    installed->events_[handle].set = initialState != FALSE;
    return handle;
}

BOOL WINAPI FakeSync::setEvent(HANDLE event) {
    journal().record("sync.SetEvent");
    EXPECT_EQ(installed->events_.count(event), 1u) << "SetEvent on a handle that is no event";
    installed->events_[event].set = true;
    return TRUE;
}

int FakeSync::takeSignal(DWORD count, const HANDLE* handles) {
    for (DWORD i = 0; i < count; ++i) {
        auto found = events_.find(handles[i]);
        if (found == events_.end()) {
            ADD_FAILURE() << "a wait on a handle that is no event";
            continue;
        }
        if (found->second.set) {
            found->second.set = found->second.manualReset;
            return static_cast<int>(i);
        }
    }
    return -1;
}

DWORD WINAPI FakeSync::msgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles,
                                                   DWORD milliseconds, DWORD wakeMask,
                                                   DWORD flags) {
    EXPECT_EQ(flags & MWMO_WAITALL, 0u);
    const std::string timeout =
        milliseconds == INFINITE ? std::string("INFINITE") : std::to_string(milliseconds);
    const bool messagesWake = wakeMask != 0;
    if (FAILED(installed->call("MsgWaitForMultipleObjectsEx(" + std::to_string(count) + ", " +
                                   timeout + (messagesWake ? ")" : ", handles only)"),
                               Site::kFailure))) {
        return WAIT_FAILED;
    }
    installed->waitTimeouts.push_back(milliseconds);
    const auto look = [&] {
        const int signalled = installed->takeSignal(count, handles);
        if (signalled >= 0) {
            return WAIT_OBJECT_0 + static_cast<DWORD>(signalled);
        }
        return messagesWake && !installed->messages.empty() ? WAIT_OBJECT_0 + count : WAIT_TIMEOUT;
    };
    DWORD woke = look();
    if (woke == WAIT_TIMEOUT && !installed->duringWaits.empty()) {
        const std::function<void()> meanwhile = std::move(installed->duringWaits.front());
        installed->duringWaits.pop_front();
        meanwhile();
        woke = look();
    }
    if (woke != WAIT_TIMEOUT) {
        return woke;
    }
    if (milliseconds == INFINITE) {
        ADD_FAILURE() << "a wait without end that nothing ends";
        return WAIT_FAILED;
    }
    installed->advanceMs(milliseconds);
    return WAIT_TIMEOUT;
}

BOOL WINAPI FakeSync::peekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
    if (installed->messages.empty()) {
        return FALSE;
    }
    *message = installed->messages.front();
    if ((remove & PM_REMOVE) != 0) {
        installed->messages.pop_front();
    }
    return TRUE;
}

BOOL WINAPI FakeSync::translateMessage(const MSG*) {
    return FALSE;
}

LRESULT WINAPI FakeSync::dispatchMessageW(const MSG* message) {
    char text[48];
    std::snprintf(text, sizeof text, "sync.DispatchMessageW(0x%X)", message->message);
    journal().record(text);
    if (installed->onDispatch) {
        installed->onDispatch(*message);
    }
    return 0;
}

void WINAPI FakeSync::postQuitMessage(int exitCode) {
    journal().record("sync.PostQuitMessage(" + std::to_string(exitCode) + ")");
}

BOOL WINAPI FakeSync::closeHandle(HANDLE handle) {
    auto found = installed->events_.find(handle);
    if (found == installed->events_.end() || !found->second.library) {
        ADD_FAILURE() << "closing a handle that is not open";
        return FALSE;
    }
    installed->events_.erase(found);
    return SUCCEEDED(installed->call("CloseHandle(event)", Site::kFailure));
}

ULONGLONG WINAPI FakeSync::getTickCount64() {
    if (installed->atNextTickRead) {
        const std::function<void()> meanwhile = std::move(installed->atNextTickRead);
        installed->atNextTickRead = nullptr;
        meanwhile();
    }
    return static_cast<ULONGLONG>(installed->now / 10'000);
}

BOOL WINAPI FakeSync::queryPerformanceCounter(LARGE_INTEGER* counter) {
    counter->QuadPart = installed->now;
    return TRUE;
}

BOOL WINAPI FakeSync::queryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 10'000'000;
    return TRUE;
}

} // namespace fakes
