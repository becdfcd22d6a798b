#include "avi/file_output.h"

#include <new>

namespace vcx::avi {

namespace {

HRESULT lastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

class Win32FileOutput final : public FileOutput {
  public:
    ~Win32FileOutput() override { close(); }

    HRESULT open(const wchar_t* name, bool* created) override {
        close();
        // Others may read the file while it is written.
        file_ = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            return lastError();
        }
        *created = GetLastError() != ERROR_ALREADY_EXISTS;
        return S_OK;
    }

    HRESULT write(const void* data, DWORD bytes) override {
        DWORD written = 0;
        if (!WriteFile(file_, data, bytes, &written, nullptr)) {
            return lastError();
        }
        return written == bytes ? S_OK : HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL);
    }

    HRESULT seek(ULONGLONG offset) override {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_, position, nullptr, FILE_BEGIN) ? S_OK : lastError();
    }

    HRESULT truncate(ULONGLONG offset) override {
        const HRESULT hr = seek(offset);
        if (FAILED(hr)) {
            return hr;
        }
        return SetEndOfFile(file_) ? S_OK : lastError();
    }

    void close() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
            file_ = INVALID_HANDLE_VALUE;
        }
    }

    void remove(const wchar_t* name) override { DeleteFileW(name); }

  private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<FileOutput> createFileOutput() {
    return std::unique_ptr<FileOutput>(new (std::nothrow) Win32FileOutput());
}

} // namespace vcx::avi
