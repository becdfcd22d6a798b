#include "fakes/fake_code_page.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fakes {
namespace {

FakeCodePage* installed = nullptr;

std::string encode(const wchar_t* text) {
    std::string bytes;
    for (; *text != 0; ++text) {
        const wchar_t code = *text;
        if (code <= 0xFF) {
            bytes += static_cast<char>(code);
        } else if (code >= 0x3000 && code <= 0x9FFF) {
            bytes += {'\x82', static_cast<char>(0x40 + (code & 0x3F))};
        } else {
            bytes += code >= 0xE000 && code <= 0xF8FF ? "\xEE\x80\x81" : "?";
        }
    }
    return bytes;
}

} // namespace

FakeCodePage::FakeCodePage(FakePlatform& platform) : FakeCom("codepage") {
    platform.table().wideCharToMultiByte = convert;
    installed = this;
}

FakeCodePage::~FakeCodePage() {
    installed = nullptr;
}

int WINAPI FakeCodePage::convert(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                 LPSTR multi, int multiLength, LPCCH defaultChar,
                                 LPBOOL usedDefault) {
    if (installed == nullptr || wide == nullptr || wideLength != -1) {
        ADD_FAILURE() << "WideCharToMultiByte outside what the fake code page models";
        return 0;
    }
    const std::string call = "WideCharToMultiByte(" + std::to_string(codePage) + ", " +
                             std::to_string(flags) + ", -1, " + std::to_string(multiLength) +
                             (defaultChar == nullptr ? ", null" : ", default") +
                             (usedDefault == nullptr ? ", null)" : ", flag)");
    const bool failed = FAILED(installed->call(call, Site::kFailure));
    const std::string bytes = encode(wide) + '\0';
    if (failed || bytes.size() > static_cast<std::size_t>(multiLength)) {
        std::memset(multi, '#', static_cast<std::size_t>(multiLength));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(multi, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}

} // namespace fakes
