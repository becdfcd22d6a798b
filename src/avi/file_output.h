// Where the AVI writer's bytes go: one file, opened by name, written in order
// from a position, cut short and closed, and deleted by name. The writer
// reaches the file system only through this seam, so that a test can fail or
// shorten any write.
#pragma once

#include <windows.h>

#include <memory>

namespace vcx::avi {

class FileOutput {
  public:
    virtual ~FileOutput() = default;

    // Opens name for writing, creating it when absent and keeping what it
    // holds; *created tells whether it was created.
    virtual HRESULT open(const wchar_t* name, bool* created) = 0;
    // Writes all of data at the current position; a short write fails.
    virtual HRESULT write(const void* data, DWORD bytes) = 0;
    // Moves the position.
    virtual HRESULT seek(ULONGLONG offset) = 0;
    // Ends the file at offset and moves the position there.
    virtual HRESULT truncate(ULONGLONG offset) = 0;
    // Closes the open file, if any.
    virtual void close() = 0;
    // Deletes the (closed) file name.
    virtual void remove(const wchar_t* name) = 0;
};

// The file system's own files; null when out of memory.
std::unique_ptr<FileOutput> createFileOutput();

} // namespace vcx::avi
