#include "process_counters.h"

#include "harness.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <vector>

namespace harness {

std::size_t processHandleCount() {
    struct HandleEntry {
        USHORT processId;
        USHORT creatorBackTraceIndex;
        UCHAR objectType;
        UCHAR attributes;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    struct HandleList {
        ULONG count;
        HandleEntry entries[1];
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    using QuerySystemInformation = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        throw Failure("ntdll has no NtQuerySystemInformation");
    }
    std::vector<std::uint64_t> buffer(1 << 16);
    LONG status = 0;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof(buffer[0])), &needed)) ==
           kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        throw Failure("NtQuerySystemInformation(handles) failed");
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    const auto self = static_cast<USHORT>(GetCurrentProcessId());
    std::size_t handles = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        handles += list->entries[i].processId == self;
    }
    return handles;
}

std::size_t processThreadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        throw Failure("CreateToolhelp32Snapshot failed");
    }
    std::size_t threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        threads += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return threads;
}

std::size_t privateBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    std::size_t bytes = 0;
    auto* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region{};
    while (address < system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            bytes += region.RegionSize;
        }
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return bytes;
}

} // namespace harness
