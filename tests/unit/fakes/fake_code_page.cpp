#include "fakes/fake_code_page.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fakes {
namespace {

FakeCodePage* installed = nullptr;

std::string encodeOne(wchar_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= 0x3000 && code <= 0x9FFF) {
        return {'\x82', static_cast<char>(0x40 + (code & 0x3F))};
    }
    if (code >= 0xE000 && code <= 0xF8FF) {
        return {'\xEE', static_cast<char>(0x80 + ((code >> 6) & 0x3F)),
                static_cast<char>(0x80 + (code & 0x3F))};
    }
    return "?";
}

} // namespace

FakeCodePage::FakeCodePage(FakePlatform& platform) : FakeCom("codepage") {
    platform.table().wideCharToMultiByte = convert;
    installed = this;
}

FakeCodePage::~FakeCodePage() {
    installed = nullptr;
}

std::string FakeCodePage::encode(const std::wstring& text) {
    std::string bytes;
    for (wchar_t code : text) {
        bytes += encodeOne(code);
    }
    return bytes;
}

int WINAPI FakeCodePage::convert(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                 LPSTR multi, int multiLength, LPCCH defaultChar,
                                 LPBOOL usedDefault) {
    if (installed == nullptr) {
        ADD_FAILURE() << "WideCharToMultiByte called after its fake code page was destroyed";
        return 0;
    }
    const std::string call =
        "WideCharToMultiByte(" + std::string(codePage == CP_ACP ? "CP_ACP" : "other") + ", " +
        std::to_string(flags) + ", " + std::to_string(wideLength) + ", " +
        std::to_string(multiLength) + ", " + (defaultChar == nullptr ? "null" : "default") + ", " +
        (usedDefault == nullptr ? "null" : "flag") + ")";
    if (FAILED(installed->call(call))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (wide == nullptr || wideLength != -1) {
        ADD_FAILURE() << "the fake code page converts NUL-terminated text only";
        return 0;
    }
    // The text with its terminator.
    const std::string bytes = encode(wide) + '\0';
    if (multiLength == 0) {
        return static_cast<int>(bytes.size());
    }
    if (bytes.size() <= static_cast<std::size_t>(multiLength)) {
        std::memcpy(multi, bytes.data(), bytes.size());
        return static_cast<int>(bytes.size());
    }
    std::size_t used = 0;
    for (const wchar_t* code = wide; *code != 0; ++code) {
        const std::string one = encodeOne(*code);
        if (used + one.size() > static_cast<std::size_t>(multiLength)) {
            break;
        }
        std::memcpy(multi + used, one.data(), one.size());
        used += one.size();
    }
    std::memset(multi + used, '#', static_cast<std::size_t>(multiLength) - used);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
}

} // namespace fakes
