// The name list: the text layout of every list the library returns (devices,
// compressors, graph filters, capture formats).
//
// Each entry is its bytes in the system ANSI code page followed by CR LF; the
// entries go after the text the caller's buffer already holds (from its first
// NUL on), and one NUL follows the last entry. A list without entries leaves
// the buffer as it was. The size of a list is 1 + the sum of (entry length +
// 2): the bytes it writes into an empty buffer, the NUL included.
//
// A list export and its size query run the same walk and hand each entry to a
// NameList through the same add call; the list's NameList appends, the size
// query's only counts. So the size always counts exactly the bytes the list
// writes, whatever the entries are. A walk may feed several NameLists at once
// (one per buffer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace vcx {

// Conversion buffers of the name lists, in bytes, terminator included: a name
// whose ANSI form needs more does not convert.
inline constexpr int kDeviceNameBytes = 1024;
inline constexpr int kCompressorNameBytes = 256;
inline constexpr int kFilterNameBytes = 256;

// Longest entry addFormatted writes, in bytes; longer text is cut there.
inline constexpr std::size_t kFormattedEntryMaxBytes = 63;

// What a list export or its size query asks of its walk.
enum class ListOutput { kList, kSize };

class NameList {
  public:
    // For kList a list appended to buffer (not null), for kSize a counting
    // one (buffer unused).
    static NameList of(ListOutput output, char* buffer) {
        return output == ListOutput::kList ? appendingTo(buffer) : counting();
    }

    // A list appended to the NUL-terminated text in buffer (not null). The
    // caller has made room for the text plus the list's size.
    static NameList appendingTo(char* buffer);

    // A list that writes nothing and only counts.
    static NameList counting();

    // Adds one entry with these bytes (no NUL among them).
    void add(std::string_view entry);

    // Adds one entry: a UTF-16 name converted to the ANSI code page through
    // a conversion buffer of bufferBytes bytes (at most kDeviceNameBytes), with
    // WideCharToMultiByte(CP_ACP, 0, name, -1, ..., bufferBytes, null, null).
    // A null name, or one that does not convert (its ANSI form, terminator
    // included, needs more than bufferBytes), adds an empty entry: the entry
    // stays, so that positions in the list keep counting the walk's items.
    void addName(const wchar_t* name, int bufferBytes);

    // Adds one entry formatted as by printf; text longer than
    // kFormattedEntryMaxBytes is cut there, and a format that fails adds an
    // empty entry.
    void addFormatted(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));

    // Entries added so far.
    int32_t entries() const { return entries_; }
    // 1 + the sum of (entry length + 2) over the entries added so far.
    int32_t size() const { return size_; }
    // What a list export answers: the number of entries of an appending list,
    // the size of a counting one.
    int32_t result() const { return end_ != nullptr ? entries_ : size_; }

  private:
    explicit NameList(char* end) : end_(end) {}

    // The NUL the next entry starts at; null when counting.
    char* end_;
    int32_t entries_ = 0;
    int32_t size_ = 1;
};

} // namespace vcx
