#include "module.h"

#include "filterbase/live_object.h"

namespace vcxcam {

namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;

} // namespace

HMODULE moduleHandle() {
    return g_module;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void lockModule() {
    InterlockedIncrement(&g_locks);
}
void unlockModule() {
    InterlockedDecrement(&g_locks);
}
bool moduleInUse() {
    return InterlockedCompareExchange(&g_locks, 0, 0) != 0;
}

} // namespace vcxcam

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // Thread notifications stay on: the statically linked runtime cleans up
    // per-thread state through them.
    if (reason == DLL_PROCESS_ATTACH) {
        vcxcam::g_module = instance;
        filterbase::setObjectCountHooks(&vcxcam::lockModule, &vcxcam::unlockModule);
    }
    return TRUE;
}
