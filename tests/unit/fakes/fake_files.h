// Files of the fake platform, kept in memory by path. Calls go through
// FakeCom::call with their arguments ("CreateFileA(C:\x.bmp, 0x40000000, 0,
// null, 2, 0x80, null)", "WriteFile(14)"): a failing result fails the call
// (CreateFileA answers INVALID_HANDLE_VALUE, WriteFile FALSE having written
// nothing); any other success than S_OK makes a write short, half the bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace fakes {

class FakeFiles : public FakeCom {
  public:
    explicit FakeFiles(FakePlatform& platform) : FakeCom("files") {
        current = this;
        otherHandles_ = platform.table().closeHandle;
        platform.table().createFileA = createFileA;
        platform.table().writeFile = writeFile;
        platform.table().closeHandle = closeHandle;
        platform.table().deleteFileA = deleteFileA;
    }
    void* find(REFIID) override { return nullptr; }

    std::map<std::string, std::vector<unsigned char>> files;
    // Handles not closed yet, with their paths.
    std::map<HANDLE, std::string> open;

  private:
    static inline FakeFiles* current = nullptr;
    // Where the handles that are no files of ours go (the events).
    BOOL(WINAPI* otherHandles_)(HANDLE) = nullptr;

    static HANDLE WINAPI createFileA(LPCSTR name, DWORD access, DWORD share,
                                     LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                     HANDLE templateFile) {
        char text[300];
        std::snprintf(text, sizeof text, "CreateFileA(%s, 0x%08lX, %lu, %s, %lu, 0x%lX, %s)", name,
                      access, share, security ? "security" : "null", disposition, flags,
                      templateFile ? "template" : "null");
        if (FAILED(current->call(text, Site::kFailure))) {
            return INVALID_HANDLE_VALUE;
        }
        current->files[name] = {}; // the library asks for CREATE_ALWAYS only
        const auto handle = reinterpret_cast<HANDLE>(0xF11E0000 + current->open.size());
        current->open[handle] = name;
        return handle;
    }
    static BOOL WINAPI writeFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                 LPOVERLAPPED overlapped) {
        EXPECT_TRUE(current->open.count(file) == 1 && overlapped == nullptr);
        const HRESULT hr = current->call("WriteFile(" + std::to_string(size) + ")", Site::kWrite);
        *written = FAILED(hr) ? 0 : hr == S_OK ? size : size / 2;
        const auto* bytes = static_cast<const unsigned char*>(data);
        auto& content = current->files[current->open[file]];
        content.insert(content.end(), bytes, bytes + *written);
        return SUCCEEDED(hr);
    }
    static BOOL WINAPI closeHandle(HANDLE handle) {
        if (current->open.count(handle) == 0 && current->otherHandles_ != nullptr) {
            return current->otherHandles_(handle);
        }
        EXPECT_EQ(current->open.erase(handle), 1u) << "closing a handle that is not open";
        return SUCCEEDED(current->call("CloseHandle", Site::kFailure));
    }
    static BOOL WINAPI deleteFileA(LPCSTR name) {
        return SUCCEEDED(current->call("DeleteFileA(" + std::string(name) + ")", Site::kFailure)) &&
               current->files.erase(name) == 1;
    }
};

} // namespace fakes
