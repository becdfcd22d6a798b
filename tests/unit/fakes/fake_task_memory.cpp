#include "fakes/fake_task_memory.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>

namespace fakes {
namespace {

struct Records {
    std::vector<void*> outstanding;
    int strayFrees = 0;
};

Records& records() {
    static Records instance;
    return instance;
}

} // namespace

void* allocateTaskMemory(std::size_t bytes) {
    void* memory = CoTaskMemAlloc(bytes);
    records().outstanding.push_back(memory);
    return memory;
}

void noteTaskMemoryFreed(void* memory) {
    if (memory == nullptr) {
        return;
    }
    std::vector<void*>& outstanding = records().outstanding;
    auto found = std::find(outstanding.begin(), outstanding.end(), memory);
    if (found == outstanding.end()) {
        ++records().strayFrees;
        return;
    }
    outstanding.erase(found);
}

const std::vector<void*>& outstandingTaskMemory() {
    return records().outstanding;
}

int strayTaskMemoryFrees() {
    return records().strayFrees;
}

void resetTaskMemoryRecords() {
    records() = Records{};
}

} // namespace fakes
