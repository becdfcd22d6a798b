// Small helpers over the Windows registry: an owned key and typed reads that
// report a missing or mistyped value as nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vcxcam {

class RegKey {
  public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    ~RegKey();

    // Opens an existing key for reading; an empty key when it does not exist.
    static RegKey open(HKEY parent, const std::wstring& path);
    // Opens or creates a key for writing; an empty key on failure, with the
    // reason in *error when given.
    static RegKey create(HKEY parent, const std::wstring& path, LSTATUS* error = nullptr);

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    std::optional<std::wstring> readString(const wchar_t* name) const;
    std::optional<std::vector<std::wstring>> readMultiString(const wchar_t* name) const;
    std::optional<DWORD> readDword(const wchar_t* name) const;

    LSTATUS writeString(const wchar_t* name, const std::wstring& value) const;
    LSTATUS writeDword(const wchar_t* name, DWORD value) const;
    LSTATUS writeQword(const wchar_t* name, ULONGLONG value) const;

  private:
    explicit RegKey(HKEY key) : key_(key) {}
    HKEY key_ = nullptr;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" for a GUID.
std::wstring guidString(const GUID& guid);

} // namespace vcxcam
