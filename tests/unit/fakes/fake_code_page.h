// A deterministic ANSI code page behind WideCharToMultiByte, so that names
// outside the code page, multi-byte names and names too long for their buffer
// are testable byte for byte: U+0000..U+00FF give one byte (the code), kana
// and CJK (U+3000..U+9FFF) the two bytes 0x82, 0x40 + (code & 0x3F), private
// use (U+E000..U+F8FF) the three bytes 0xEE 0x80 0x81, anything else '?'.
// An output too small for the text and its NUL is filled with '#' and the
// call answers 0. Calls are journaled as "codepage.WideCharToMultiByte(code
// page, flags, source length, output length, default char, used-default
// flag)"; one that setResult gives a failing HRESULT, or that the injector
// fails, fails the same way: '#' over the whole output, and 0.
#pragma once

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

  private:
    static int WINAPI convert(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multi,
                              int multiLength, LPCCH defaultChar, LPBOOL usedDefault);
};

} // namespace fakes
