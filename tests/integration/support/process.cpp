// The test program's own folder, the programs it starts and what runs it.
#include "harness.h"

#include <string>

namespace harness {

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw Failure("GetModuleFileNameW failed: error " + std::to_string(GetLastError()));
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring vcxcamPath() {
    return programFolder() + L"vcxcam.dll";
}

DWORD runProgram(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        throw Failure("starting \"" + narrow(commandLine) + "\" failed: error " +
                      std::to_string(GetLastError()));
    }
    CloseHandle(process.hThread);
    DWORD exitCode = 0;
    const bool finished = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                          GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    if (!finished) {
        throw Failure("waiting for \"" + narrow(commandLine) + "\" failed");
    }
    return exitCode;
}

bool runsUnderQemuUser() {
    wchar_t runner[16] = L"";
    const DWORD length = GetEnvironmentVariableW(L"WINE_I686_RUNNER", runner, 16);
    return length > 0 && length < 16 && std::wstring(runner) == L"qemu-user";
}

} // namespace harness
