// The process heap of the fake platform, counted and checked. Calls go
// through FakeCom::call: setResult("HeapAlloc", hr) with a failing hr makes
// HeapAlloc hand out null. Freeing a block it did not hand out fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"

namespace fakes {

class FakeHeap : public FakeCom {
  public:
    explicit FakeHeap(FakePlatform& platform) : FakeCom("heap") {
        current = this;
        platform.table().getProcessHeap = getProcessHeap;
        platform.table().heapAlloc = heapAlloc;
        platform.table().heapFree = heapFree;
    }
    ~FakeHeap() override {
        for (const auto& [block, size] : live) {
            std::free(block);
        }
    }
    void* find(REFIID) override { return nullptr; }

    // Blocks not yet freed, and every block handed out, with their sizes.
    std::map<void*, SIZE_T> live;
    std::vector<std::pair<void*, SIZE_T>> handedOut;

  private:
    static inline FakeHeap* current = nullptr;
    static inline const HANDLE kHeap = reinterpret_cast<HANDLE>(0x4EA90000);

    static HANDLE WINAPI getProcessHeap() { return kHeap; }
    static LPVOID WINAPI heapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
        EXPECT_EQ(heap, kHeap);
        if (FAILED(current->call("HeapAlloc(" + std::to_string(size) + ", " +
                                     std::to_string(flags) + ")",
                                 Site::kFailure))) {
            return nullptr;
        }
        void* block = std::malloc(size + 1);
        current->live[block] = size;
        current->handedOut.emplace_back(block, size);
        return block;
    }
    static BOOL WINAPI heapFree(HANDLE heap, DWORD, LPVOID block) {
        EXPECT_EQ(heap, kHeap);
        const HRESULT hr = current->call("HeapFree", Site::kFailure);
        EXPECT_EQ(current->live.erase(block), 1u) << "a block this heap did not hand out";
        std::free(block);
        return SUCCEEDED(hr);
    }
};

} // namespace fakes
