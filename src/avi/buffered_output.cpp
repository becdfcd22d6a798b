#include "avi/buffered_output.h"

#include <new>

namespace vcx::avi {

HRESULT BufferedOutput::restart() {
    try {
        buffer_.reserve(capacity_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    buffer_.clear();
    return truncate(0);
}

HRESULT BufferedOutput::write(const void* data, std::size_t bytes) {
    if (FAILED(failure_)) {
        return failure_;
    }
    const auto* bytesIn = static_cast<const std::uint8_t*>(data);
    if (buffer_.size() + bytes <= capacity_) {
        buffer_.insert(buffer_.end(), bytesIn, bytesIn + bytes);
        return S_OK;
    }
    const HRESULT hr = flush();
    if (FAILED(hr)) {
        return hr;
    }
    if (bytes < capacity_) {
        buffer_.insert(buffer_.end(), bytesIn, bytesIn + bytes);
        return S_OK;
    }
    return writeThrough(data, bytes);
}

HRESULT BufferedOutput::flush() {
    if (FAILED(failure_) || buffer_.empty()) {
        return failure_;
    }
    const HRESULT hr = writeThrough(buffer_.data(), buffer_.size());
    buffer_.clear();
    return hr;
}

HRESULT BufferedOutput::writeThrough(const void* data, std::size_t bytes) {
    const auto* bytesIn = static_cast<const std::uint8_t*>(data);
    // WriteFile takes at most a DWORD at a time.
    constexpr std::size_t kMaxWrite = 0x40000000;
    while (bytes > 0) {
        const std::size_t part = bytes < kMaxWrite ? bytes : kMaxWrite;
        const HRESULT hr = file_.write(bytesIn, static_cast<DWORD>(part));
        if (FAILED(hr)) {
            failure_ = hr;
            return hr;
        }
        filePosition_ += part;
        if (filePosition_ > writtenEnd_) {
            writtenEnd_ = filePosition_;
        }
        bytesIn += part;
        bytes -= part;
    }
    return S_OK;
}

HRESULT BufferedOutput::seek(ULONGLONG offset) {
    HRESULT hr = flush();
    if (SUCCEEDED(hr)) {
        hr = file_.seek(offset);
    }
    if (FAILED(hr)) {
        failure_ = hr;
        return hr;
    }
    filePosition_ = offset;
    return S_OK;
}

HRESULT BufferedOutput::truncate(ULONGLONG offset) {
    buffer_.clear();
    failure_ = file_.truncate(offset);
    if (SUCCEEDED(failure_)) {
        filePosition_ = offset;
        writtenEnd_ = offset;
    }
    return failure_;
}

} // namespace vcx::avi
