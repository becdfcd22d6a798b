#include "frames/heap_buffer.h"

#include "core/platform.h"

namespace vcx {

HeapBuffer::~HeapBuffer() {
    free();
}

bool HeapBuffer::allocate(SIZE_T size) {
    free();
    const Platform& os = platform();
    heap_ = os.getProcessHeap();
    if (heap_ != nullptr) {
        data_ = os.heapAlloc(heap_, 0, size);
    }
    return data_ != nullptr;
}

void HeapBuffer::free() {
    if (data_ != nullptr) {
        platform().heapFree(heap_, 0, data_);
        data_ = nullptr;
    }
}

} // namespace vcx
