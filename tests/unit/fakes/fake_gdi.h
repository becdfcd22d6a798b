// GDI and USER of the fake platform: SetDIBitsToDevice keeps its twelve
// arguments and the header it was shown, and answers the scan-line count (0
// once set to fail); SetRect fills the rectangle. Both go through
// FakeCom::call.
#pragma once

#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace fakes {

struct DIBitsCall {
    HDC dc;
    int x, y;
    DWORD width, height;
    int srcX, srcY;
    UINT startScan, scanLines;
    const void* bits;
    std::vector<unsigned char> header; // the 44 bytes at the bitmap information
    UINT colorUse;
};

class FakeGdi : public FakeCom {
  public:
    explicit FakeGdi(FakePlatform& platform) : FakeCom("gdi") {
        current = this;
        platform.table().setDIBitsToDevice = setDIBitsToDevice;
        platform.table().setRect = setRect;
    }
    void* find(REFIID) override { return nullptr; }

    std::vector<DIBitsCall> paints;

  private:
    static inline FakeGdi* current = nullptr;

    static int WINAPI setDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int srcX,
                                        int srcY, UINT startScan, UINT lines, const VOID* bits,
                                        const BITMAPINFO* info, UINT colorUse) {
        const auto* header = reinterpret_cast<const unsigned char*>(info);
        current->paints.push_back({dc,
                                   x,
                                   y,
                                   width,
                                   height,
                                   srcX,
                                   srcY,
                                   startScan,
                                   lines,
                                   bits,
                                   {header, header + sizeof *info},
                                   colorUse});
        return FAILED(current->call("SetDIBitsToDevice", Site::kFailure)) ? 0
                                                                          : static_cast<int>(lines);
    }
    static BOOL WINAPI setRect(LPRECT rect, int left, int top, int right, int bottom) {
        *rect = RECT{left, top, right, bottom};
        return SUCCEEDED(current->call("SetRect(" + std::to_string(left) + ", " +
                                           std::to_string(top) + ", " + std::to_string(right) +
                                           ", " + std::to_string(bottom) + ")",
                                       Site::kFailure));
    }
};

} // namespace fakes
