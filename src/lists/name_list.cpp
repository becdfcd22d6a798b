#include "lists/name_list.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/platform.h"

namespace vcx {

NameList NameList::appendingTo(char* buffer) {
    return NameList(buffer + std::strlen(buffer));
}

NameList NameList::counting() {
    return NameList(nullptr);
}

void NameList::add(std::string_view entry) {
    if (end_ != nullptr) {
        std::memcpy(end_, entry.data(), entry.size());
        end_ += entry.size();
        std::memcpy(end_, "\r\n", 3);
        end_ += 2;
    }
    ++entries_;
    size_ += static_cast<int32_t>(entry.size()) + 2;
}

void NameList::addName(const wchar_t* name, int bufferBytes) {
    char converted[kDeviceNameBytes];
    if (name == nullptr || bufferBytes <= 0 || bufferBytes > kDeviceNameBytes) {
        add({});
        return;
    }
    const int written = platform().wideCharToMultiByte(CP_ACP, 0, name, -1, converted, bufferBytes,
                                                       nullptr, nullptr);
    // Only a conversion that succeeded counts (it includes the terminator):
    // one that did not fit leaves the buffer full and unterminated.
    if (written <= 0 || written > bufferBytes) {
        add({});
        return;
    }
    add(std::string_view(converted, strnlen(converted, static_cast<std::size_t>(written))));
}

void NameList::addFormatted(const char* format, ...) {
    char text[kFormattedEntryMaxBytes + 1];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) {
        add({});
        return;
    }
    add(std::string_view(text,
                         std::min(static_cast<std::size_t>(length), kFormattedEntryMaxBytes)));
}

} // namespace vcx
