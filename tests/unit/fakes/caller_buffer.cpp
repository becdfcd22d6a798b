#include "fakes/caller_buffer.h"

#include <cstring>

namespace fakes {
namespace {

constexpr char kUntouched = 0x55;

template <class Text> Text repeat(const Text& unit, std::size_t times) {
    Text text;
    for (std::size_t i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

} // namespace

CallerBuffer::CallerBuffer(const std::string& text, std::size_t bytes) : bytes_(bytes, kUntouched) {
    std::memcpy(bytes_.data(), text.c_str(), text.size() + 1);
}

std::string CallerBuffer::textAndNextByte() const {
    return std::string(bytes_.data(), strnlen(bytes_.data(), bytes_.size() - 1) + 2);
}

std::string CallerBuffer::ending(const std::string& text) {
    return text + '\0' + kUntouched;
}

std::string repeated(const std::string& unit, std::size_t times) {
    return repeat(unit, times);
}

std::wstring repeated(const std::wstring& unit, std::size_t times) {
    return repeat(unit, times);
}

} // namespace fakes
