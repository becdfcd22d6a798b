#include "interrupt.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace cli {

namespace {

std::atomic<bool> interruptSeen{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        interruptSeen = true;
        return TRUE;
    }
    return FALSE;
}

} // namespace

void catchInterrupts() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool interrupted() {
    return interruptSeen;
}

void sleepUntil(unsigned long long deadline) {
    constexpr ULONGLONG kStep = 20;
    for (ULONGLONG now = GetTickCount64(); now < deadline && !interrupted();
         now = GetTickCount64()) {
        Sleep(static_cast<DWORD>(std::min(kStep, deadline - now)));
    }
}

} // namespace cli
