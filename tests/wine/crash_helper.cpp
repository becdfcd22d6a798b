// Crashes: a write through a null pointer on a thread of its own, as a
// filter's streaming thread might make it, where no test framework catches
// it. What follows depends on how the Wine prefix handles a crash.
#include <windows.h>

#include <cstdio>

namespace {

int* volatile nowhere = nullptr;

DWORD WINAPI crash(void*) {
    *nowhere = 1;
    return 0;
}

} // namespace

int main() {
    std::puts("crash helper: writing through a null pointer");
    std::fflush(stdout);
    HANDLE thread = CreateThread(nullptr, 0, crash, nullptr, 0, nullptr);
    if (thread == nullptr) {
        return 2;
    }
    WaitForSingleObject(thread, INFINITE);
    std::puts("crash helper: still running after the crash");
    return 0;
}
