// A FileOutput in memory for the AVI tests: the file's bytes in a vector, and
// a way to make chosen writes fail after taking part of their bytes.
#pragma once

#include "avi/file_output.h"

#include <cstdint>
#include <set>
#include <vector>

namespace avitest {

class MemoryFile final : public vcx::avi::FileOutput {
  public:
    // Write number n (counted from 0 over the file's life) fails after taking
    // half its bytes; every write fails from failAllFrom on.
    std::set<int> failingWrites;
    int failAllFrom = -1;

    HRESULT open(const wchar_t*, bool* created) override {
        *created = true;
        return S_OK;
    }
    HRESULT write(const void* data, DWORD bytes) override {
        const int number = writes_++;
        const bool fail =
            failingWrites.count(number) != 0 || (failAllFrom >= 0 && number >= failAllFrom);
        const DWORD taken = fail ? bytes / 2 : bytes;
        const auto* first = static_cast<const std::uint8_t*>(data);
        if (bytes_.size() < position_ + taken) {
            bytes_.resize(position_ + taken);
        }
        std::copy(first, first + taken, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ += taken;
        return fail ? HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL) : S_OK;
    }
    HRESULT seek(ULONGLONG offset) override {
        position_ = offset;
        return S_OK;
    }
    HRESULT truncate(ULONGLONG offset) override {
        bytes_.resize(offset);
        position_ = offset;
        return S_OK;
    }
    void close() override {}
    void remove(const wchar_t*) override {}

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    int writes() const { return writes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    ULONGLONG position_ = 0;
    int writes_ = 0;
};

} // namespace avitest
