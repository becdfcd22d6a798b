// A host's text buffer for the list exports: its text, the NUL after it, and
// bytes beyond that no list may touch unless it writes entries there.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace fakes {

class CallerBuffer {
  public:
    explicit CallerBuffer(const std::string& text = "", std::size_t bytes = 4096);

    char* data() { return bytes_.data(); }

    // The text up to its first NUL, that NUL, and the byte after it.
    std::string textAndNextByte() const;

    // What textAndNextByte() is for a buffer holding text that nothing wrote
    // past.
    static std::string ending(const std::string& text);

  private:
    std::vector<char> bytes_;
};

// unit, times times over.
std::string repeated(const std::string& unit, std::size_t times);
std::wstring repeated(const std::wstring& unit, std::size_t times);

} // namespace fakes
