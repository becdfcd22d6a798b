// A FileOutput for recordings larger than memory: it keeps the file's length
// and every position, but the bytes of a write only when the write is shorter
// than dropFrom (headers and indices); the bytes of longer writes (frame data)
// read as zeros. It reads back through the AVI reader.
#pragma once

#include "avi/file_output.h"

#include "avi_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

namespace avitest {

class SparseFile final : public vcx::avi::FileOutput, public AviBytes {
  public:
    explicit SparseFile(DWORD dropFrom) : dropFrom_(dropFrom) {}

    HRESULT open(const wchar_t*, bool* created) override {
        *created = true;
        return S_OK;
    }
    HRESULT write(const void* data, DWORD bytes) override {
        if (bytes < dropFrom_) {
            const auto* in = static_cast<const std::uint8_t*>(data);
            for (DWORD i = 0; i < bytes; ++i) {
                const ULONGLONG at = position_ + i;
                pages_[at / kPage][at % kPage] = in[i];
            }
        } else {
            forget(position_, position_ + bytes);
        }
        position_ += bytes;
        size_ = std::max(size_, position_);
        return S_OK;
    }
    HRESULT seek(ULONGLONG offset) override {
        position_ = offset;
        return S_OK;
    }
    HRESULT truncate(ULONGLONG offset) override {
        forget(offset, std::max(offset, size_));
        size_ = offset;
        position_ = offset;
        return S_OK;
    }
    void close() override {}
    void remove(const wchar_t*) override {}

    std::uint64_t size() const override { return size_; }
    std::uint8_t at(std::uint64_t offset) const override {
        const auto page = pages_.find(offset / kPage);
        return page == pages_.end() ? 0 : page->second[offset % kPage];
    }

  private:
    static constexpr ULONGLONG kPage = 4096;
    using Page = std::array<std::uint8_t, kPage>;

    // Zeroes what was kept from begin to end.
    void forget(ULONGLONG begin, ULONGLONG end) {
        const ULONGLONG firstWhole = (begin + kPage - 1) / kPage;
        const ULONGLONG endWhole = end / kPage;
        if (firstWhole < endWhole) {
            pages_.erase(pages_.lower_bound(firstWhole), pages_.lower_bound(endWhole));
        }
        zeroInPage(begin, std::min(end, firstWhole * kPage));
        zeroInPage(std::max(begin, endWhole * kPage), end);
    }
    void zeroInPage(ULONGLONG begin, ULONGLONG end) {
        const auto page = pages_.find(begin / kPage);
        if (begin < end && page != pages_.end()) {
            std::fill(page->second.begin() + begin % kPage,
                      page->second.begin() + ((end - 1) % kPage + 1), 0);
        }
    }

    const DWORD dropFrom_;
    std::map<ULONGLONG, Page> pages_; // by page number
    ULONGLONG position_ = 0;
    ULONGLONG size_ = 0;
};

} // namespace avitest
