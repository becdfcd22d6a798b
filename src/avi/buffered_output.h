// Positioned, buffered writing to a FileOutput. Small writes gather in a
// buffer; a write as large as the buffer goes straight to the file after
// what is buffered. The first failure sticks: every later call answers it,
// until truncate() cuts the file back to where it is known to be good.
#pragma once

#include "avi/file_output.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vcx::avi {

class BufferedOutput {
  public:
    BufferedOutput(FileOutput& file, std::size_t capacity) : file_(file), capacity_(capacity) {}
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;

    // Empties the file and starts writing at its beginning.
    HRESULT restart();
    HRESULT write(const void* data, std::size_t bytes);
    HRESULT flush();
    // Flushes, then moves the position.
    HRESULT seek(ULONGLONG offset);
    // Drops what is buffered, ends the file at offset and writes on from
    // there; clears a failure.
    HRESULT truncate(ULONGLONG offset);

    // Where the next byte goes.
    ULONGLONG position() const { return filePosition_ + buffer_.size(); }
    // The end of the furthest write the file took whole: everything written
    // at the tail before it is in the file.
    ULONGLONG writtenEnd() const { return writtenEnd_; }
    HRESULT failure() const { return failure_; }

  private:
    HRESULT writeThrough(const void* data, std::size_t bytes);

    FileOutput& file_;
    const std::size_t capacity_;
    std::vector<std::uint8_t> buffer_;
    ULONGLONG filePosition_ = 0; // the file's own position: where the buffer goes
    ULONGLONG writtenEnd_ = 0;
    HRESULT failure_ = S_OK;
};

} // namespace vcx::avi
