#include "text.h"

#include <windows.h>

namespace cli {

namespace {

std::string narrowFromWide(UINT codePage, std::wstring_view text, BOOL* defaultUsed) {
    if (text.empty()) {
        return {};
    }
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, defaultUsed);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), bytes, nullptr,
                        defaultUsed);
    return narrow;
}

std::optional<std::wstring> wideFromNarrow(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (chars == 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), chars);
    return wide;
}

} // namespace

std::string utf8FromWide(std::wstring_view text) {
    return narrowFromWide(CP_UTF8, text, nullptr);
}

std::optional<std::wstring> wideFromUtf8(std::string_view text) {
    return wideFromNarrow(CP_UTF8, text);
}

std::string utf8FromAnsi(std::string_view text) {
    return utf8FromWide(wideFromNarrow(CP_ACP, text).value_or(L""));
}

std::optional<std::string> ansiFromUtf8(std::string_view text) {
    const std::optional<std::wstring> wide = wideFromUtf8(text);
    if (!wide) {
        return std::nullopt;
    }
    BOOL defaultUsed = FALSE;
    std::string ansi = narrowFromWide(CP_ACP, *wide, &defaultUsed);
    if (defaultUsed || wideFromNarrow(CP_ACP, ansi) != wide) {
        return std::nullopt;
    }
    return ansi;
}

std::optional<std::vector<std::string>> splitNameList(std::string_view text) {
    std::vector<std::string> entries;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        entries.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return entries;
}

} // namespace cli
