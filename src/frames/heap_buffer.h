// HeapBuffer: memory from the process heap that one call owns, freed when the
// holder goes. Reached through the platform table, so tests count it.
#pragma once

#include <windows.h>

namespace vcx {

class HeapBuffer {
  public:
    HeapBuffer() = default;
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    ~HeapBuffer();

    // Frees what the holder had and takes size bytes; false when the heap
    // refused them, leaving the holder empty.
    bool allocate(SIZE_T size);

    void* get() const { return data_; }

  private:
    void free();

    HANDLE heap_ = nullptr;
    void* data_ = nullptr;
};

} // namespace vcx
