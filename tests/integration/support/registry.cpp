#include "registry.h"

#include "harness.h"

#include <string>

namespace harness {

namespace {

// An open key, closed when the holder goes.
class Key {
  public:
    Key(HKEY root, const std::wstring& path, REGSAM access) {
        if (RegOpenKeyExW(root, path.c_str(), 0, access, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    static Key create(HKEY root, const std::wstring& path) {
        Key key;
        const LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                               nullptr, &key.key_, nullptr);
        if (status != ERROR_SUCCESS) {
            throw Failure("creating registry key " + narrow(path) + " failed: error " +
                          std::to_string(status));
        }
        return key;
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    Key(Key&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    ~Key() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    Key() = default;
    HKEY key_ = nullptr;
};

void setValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type,
              const void* data, size_t bytes) {
    const Key key = Key::create(root, path);
    const LSTATUS status = RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data),
                                          static_cast<DWORD>(bytes));
    if (status != ERROR_SUCCESS) {
        throw Failure("writing registry value " + narrow(path) + "\\" +
                      narrow(name != nullptr ? name : L"") + " failed: error " +
                      std::to_string(status));
    }
}

// A value of exactly this type and size; nothing otherwise.
template <class Value>
std::optional<Value> readFixed(HKEY root, const std::wstring& path, const wchar_t* name,
                               DWORD wantedType) {
    const Key key(root, path, KEY_READ);
    Value value{};
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    if (!key ||
        RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &bytes) != ERROR_SUCCESS ||
        type != wantedType || bytes != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<DWORD> readDword(HKEY root, const std::wstring& path, const wchar_t* name) {
    return readFixed<DWORD>(root, path, name, REG_DWORD);
}

std::optional<ULONGLONG> readQword(HKEY root, const std::wstring& path, const wchar_t* name) {
    return readFixed<ULONGLONG>(root, path, name, REG_QWORD);
}

bool keyExists(HKEY root, const std::wstring& path) {
    return static_cast<bool>(Key(root, path, KEY_READ));
}

std::vector<std::wstring> subkeyNames(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> names;
    const Key key(root, path, KEY_READ);
    if (!key) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        const LSTATUS status =
            RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<std::wstring> readString(HKEY root, const std::wstring& path, const wchar_t* name) {
    const Key key(root, path, KEY_READ);
    DWORD type = 0;
    DWORD bytes = 0;
    if (!key ||
        RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

void writeString(HKEY root, const std::wstring& path, const wchar_t* name,
                 const std::wstring& value) {
    setValue(root, path, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void writeMultiString(HKEY root, const std::wstring& path, const wchar_t* name,
                      const std::vector<std::wstring>& values) {
    std::wstring data;
    for (const std::wstring& value : values) {
        data += value;
        data += L'\0';
    }
    data += L'\0';
    setValue(root, path, name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
}

void writeDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    setValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

void deleteTree(HKEY root, const std::wstring& path) {
    const LSTATUS status = RegDeleteTreeW(root, path.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        throw Failure("deleting registry key " + narrow(path) + " failed: error " +
                      std::to_string(status));
    }
}

} // namespace harness
