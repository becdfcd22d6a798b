// Registry reads and writes for the tests, by full key path. Reads treat a
// missing key or value as absent; writes throw harness::Failure.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace harness {

bool keyExists(HKEY root, const std::wstring& path);

// Names of the key's direct subkeys; empty when the key does not exist.
std::vector<std::wstring> subkeyNames(HKEY root, const std::wstring& path);

// A REG_SZ value; nothing when the key or value is missing or not a string.
std::optional<std::wstring> readString(HKEY root, const std::wstring& path, const wchar_t* name);

// A REG_DWORD or REG_QWORD value; nothing when missing or of another type.
std::optional<DWORD> readDword(HKEY root, const std::wstring& path, const wchar_t* name);
std::optional<ULONGLONG> readQword(HKEY root, const std::wstring& path, const wchar_t* name);

// Creates the key when needed and sets the value.
void writeString(HKEY root, const std::wstring& path, const wchar_t* name,
                 const std::wstring& value);
void writeMultiString(HKEY root, const std::wstring& path, const wchar_t* name,
                      const std::vector<std::wstring>& values);
void writeDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value);

// Deletes the key with everything below it; a missing key is fine.
void deleteTree(HKEY root, const std::wstring& path);

} // namespace harness
