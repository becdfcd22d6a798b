#include "registry.h"

#include <objbase.h>

#include <utility>

namespace vcxcam {

namespace {

// Values longer than this are treated as damaged configuration and ignored.
constexpr DWORD kMaxValueBytes = 64 * 1024;

// Reads a string-typed value of the expected type into UTF-16 units.
std::optional<std::wstring> readRaw(HKEY key, const wchar_t* name, DWORD expectedType) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != expectedType || bytes > kMaxValueBytes) {
        return std::nullopt;
    }
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
            ERROR_SUCCESS ||
        type != expectedType) {
        return std::nullopt;
    }
    data.resize(bytes / sizeof(wchar_t));
    return data;
}

} // namespace

RegKey::RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

RegKey::~RegKey() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
    }
}

RegKey RegKey::open(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return RegKey();
    }
    return RegKey(key);
}

RegKey RegKey::create(HKEY parent, const std::wstring& path, LSTATUS* error) {
    HKEY key = nullptr;
    const LSTATUS status =
        RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (error != nullptr) {
        *error = status;
    }
    return status == ERROR_SUCCESS ? RegKey(key) : RegKey();
}

std::optional<std::wstring> RegKey::readString(const wchar_t* name) const {
    std::optional<std::wstring> value = readRaw(key_, name, REG_SZ);
    if (value) {
        value->resize(value->find(L'\0') == std::wstring::npos ? value->size()
                                                               : value->find(L'\0'));
    }
    return value;
}

std::optional<std::vector<std::wstring>> RegKey::readMultiString(const wchar_t* name) const {
    const std::optional<std::wstring> raw = readRaw(key_, name, REG_MULTI_SZ);
    if (!raw) {
        return std::nullopt;
    }
    std::vector<std::wstring> lines;
    std::size_t begin = 0;
    while (begin < raw->size()) {
        std::size_t end = raw->find(L'\0', begin);
        if (end == std::wstring::npos) {
            end = raw->size();
        }
        if (end > begin) {
            lines.emplace_back(*raw, begin, end - begin);
        }
        begin = end + 1;
    }
    return lines;
}

std::optional<DWORD> RegKey::readDword(const wchar_t* name) const {
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

LSTATUS RegKey::writeString(const wchar_t* name, const std::wstring& value) const {
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS RegKey::writeDword(const wchar_t* name, DWORD value) const {
    return RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

LSTATUS RegKey::writeQword(const wchar_t* name, ULONGLONG value) const {
    return RegSetValueExW(key_, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

std::wstring guidString(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

} // namespace vcxcam
