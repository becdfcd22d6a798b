// A deterministic ANSI code page for WideCharToMultiByte, so that names with
// characters outside the code page, double- and triple-byte characters and
// names that do not fit their buffer can be tested byte for byte:
//
//   U+0000..U+007F and U+00A0..U+00FF   one byte, the code itself (é is 0xE9)
//   U+3000..U+9FFF (kana, CJK)          two bytes: 0x82, 0x40 + (code & 0x3F)
//   U+E000..U+F8FF (private use)        three bytes: 0xEE, 0x80 + (code >> 6 & 0x3F),
//                                       0x80 + (code & 0x3F)
//   anything else                       '?', the system's default character
//
// Only the library's form of the call is modelled: a NUL-terminated source
// (length -1). An output too small for the text and its NUL gets the whole
// characters that fit, the rest of it filled with '#', no NUL, and the call
// answers 0 (ERROR_INSUFFICIENT_BUFFER); an output length of 0 asks for the
// size. Every call is journaled as "codepage.WideCharToMultiByte(code page,
// flags, source length, output length, default char, used-default flag)" and
// fails (answers 0) when setResult makes it answer a failing HRESULT.
#pragma once

#include <windows.h>

#include <string>

#include "fakes/fake_com.h"
#include "fakes/fake_platform.h"

namespace fakes {

class FakeCodePage : public FakeCom {
  public:
    // Installs the conversion in platform's table for the object's lifetime.
    explicit FakeCodePage(FakePlatform& platform);
    ~FakeCodePage() override;
    void* find(REFIID) override { return nullptr; }

    // The bytes the code page makes of text, without a terminator.
    static std::string encode(const std::wstring& text);

  private:
    static int WINAPI convert(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multi,
                              int multiLength, LPCCH defaultChar, LPBOOL usedDefault);
};

} // namespace fakes
