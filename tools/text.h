// Text as the tool meets it: arguments and output in UTF-8, names for the
// library in UTF-16, paths for the snapshot export and the library's lists in
// the system ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

std::string utf8FromWide(std::wstring_view text);
// Nothing when text is not valid UTF-8.
std::optional<std::wstring> wideFromUtf8(std::string_view text);

// UTF-8 text of ANSI text (the library's lists).
std::string utf8FromAnsi(std::string_view text);
// The ANSI form of UTF-8 text; nothing when a character has no exact ANSI
// form (a best-fit stand-in would name another file).
std::optional<std::string> ansiFromUtf8(std::string_view text);

// The entries of a name list: text made of entries each ended by CR LF.
// Nothing when text is not such a list (text after the last CR LF).
std::optional<std::vector<std::string>> splitNameList(std::string_view text);

} // namespace cli
