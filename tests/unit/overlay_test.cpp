// vcx_VMRMixImage on faked mixing renderers: result codes, which renderer is
// called, and the overlay structures byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_gdi.h"
#include "fakes/fake_vmr_mixer.h"

using namespace fakes;

namespace {

class OverlayWorld : public CaptureWorld {
  protected:
    void useSlot(int32_t state, int mode, bool withVmr7, bool withVmr9) {
        vcx::CaptureSlot& slot = vcx::activeSlot();
        slot.state = state;
        slot.outputMode = mode;
        if (withVmr7) {
            vmr7->handOut(IID_IBaseFilter, reinterpret_cast<void**>(&slot.vmr7Filter));
        }
        if (withVmr9) {
            vmr9->handOut(IID_IBaseFilter, reinterpret_cast<void**>(&slot.vmr9Filter));
        }
        journal().clear();
    }

    static int mix(int useColorKey, int red, int green, int blue) {
        return vcx_VMRMixImage(-2, 1, 2, 3, 4, 0.75f, 0.0f, 0.0f, 0.5f, 0.25f, useColorKey, red,
                               green, blue);
    }

    FakeGdi gdi{platform};
    Held<FakeVmr7Mixer> vmr7{"vmr7", IID_IVMRMixerBitmap};
    Held<FakeVmr9Mixer> vmr9{"vmr9", IID_IVMRMixerBitmap9};
};

struct MixCase {
    const char* name;
    int32_t state;
    int mode;
    bool withVmr7, withVmr9;
    HRESULT answer;
    int expected;
    int mixedBy; // 7, 9 or 0: the renderer that got the bitmap
};

class MixResult : public OverlayWorld, public ::testing::WithParamInterface<MixCase> {};

TEST_P(MixResult, CallsOnlyTheModesRendererAndMapsItsAnswer) {
    const MixCase& c = GetParam();
    useSlot(c.state, c.mode, c.withVmr7, c.withVmr9);
    vmr7->setResult("SetAlphaBitmap", c.answer);
    vmr9->setResult("SetAlphaBitmap", c.answer);
    EXPECT_EQ(mix(0, 0, 0, 0), c.expected);
    EXPECT_EQ(vmr7->bitmaps.size(), c.mixedBy == 7 ? 1u : 0u);
    EXPECT_EQ(vmr9->bitmaps.size(), c.mixedBy == 9 ? 1u : 0u);
    // Whatever was queried is given back; the slot keeps its own reference.
    EXPECT_EQ(vmr7->refs(), c.withVmr7 ? 2u : 1u);
    EXPECT_EQ(vmr9->refs(), c.withVmr9 ? 2u : 1u);
    if (c.mixedBy != 0) {
        const std::string name =
            c.mixedBy == 7 ? "vmr7.Release(IVMRMixerBitmap)" : "vmr9.Release(IVMRMixerBitmap9)";
        EXPECT_EQ(journal().entries().back(), name);
    }
}

constexpr int32_t kRunning = vcx::kSlotRunning;

INSTANTIATE_TEST_SUITE_P(
    Rows, MixResult,
    ::testing::Values(MixCase{"open", vcx::kSlotOpen, 2, true, true, S_OK, -1, 0},
                      MixCase{"closed", 0, 1, true, true, S_OK, -1, 0},
                      MixCase{"videoRenderer", kRunning, 0, true, true, S_OK, -2, 0},
                      MixCase{"vmr7Missing", kRunning, 1, false, true, S_OK, -3, 0},
                      MixCase{"vmr9Missing", kRunning, 2, true, false, S_OK, -3, 0},
                      MixCase{"nullRenderer", kRunning, 6, true, true, S_OK, -8, 0},
                      MixCase{"aviWithPreview", kRunning, 301, true, true, S_OK, -8, 0},
                      MixCase{"vmr7Ok", kRunning, 1, true, true, S_OK, 0, 7},
                      MixCase{"vmr9Ok", kRunning, 2, true, true, S_OK, 0, 9},
                      MixCase{"invalidArg", kRunning, 2, true, true, E_INVALIDARG, -4, 9},
                      MixCase{"pointer", kRunning, 2, true, true, E_POINTER, -5, 9},
                      MixCase{"outOfMemory", kRunning, 2, true, true, E_OUTOFMEMORY, -6, 9},
                      MixCase{"notImplemented", kRunning, 2, true, true, E_NOTIMPL,
                              static_cast<int>(E_NOTIMPL), 9}),
    [](const auto& info) { return std::string(info.param.name); });

struct KeyCase {
    const char* name;
    int useColorKey, red, green, blue;
    DWORD flags;
    unsigned char key[4];
};

class OverlayBitmap : public OverlayWorld, public ::testing::WithParamInterface<KeyCase> {};

template <class Bitmap> void expectFilledAsAsked(const Bitmap& bitmap, const KeyCase& c) {
    EXPECT_EQ(bitmap.dwFlags, c.flags);
    EXPECT_EQ(bitmap.hdc, reinterpret_cast<HDC>(static_cast<intptr_t>(-2))) << "sign-extended";
    EXPECT_EQ(bitmap.pDDS, nullptr);
    EXPECT_EQ(bitmap.rSrc.left, 1);
    EXPECT_EQ(bitmap.rSrc.top, 2);
    EXPECT_EQ(bitmap.rSrc.right, 3);
    EXPECT_EQ(bitmap.rSrc.bottom, 4);
    EXPECT_EQ(bitmap.rDest.left, 0.0f);
    EXPECT_EQ(bitmap.rDest.top, 0.0f);
    EXPECT_EQ(bitmap.rDest.right, 0.5f);
    EXPECT_EQ(bitmap.rDest.bottom, 0.25f);
    EXPECT_EQ(bitmap.fAlpha, 0.75f);
    EXPECT_EQ(std::memcmp(&bitmap.clrSrcKey, c.key, 4), 0) << std::hex << bitmap.clrSrcKey;
}

TEST_P(OverlayBitmap, FillsBothStructuresFieldForField) {
    const KeyCase& c = GetParam();
    useSlot(kRunning, 1, true, true);
    ASSERT_EQ(mix(c.useColorKey, c.red, c.green, c.blue), 0);
    ASSERT_EQ(vmr7->bitmaps.size(), 1u);
    expectFilledAsAsked(vmr7->bitmaps[0], c);
    EXPECT_TRUE(journal().contains("gdi.SetRect(1, 2, 3, 4)"));

    vcx::activeSlot().outputMode = 2;
    ASSERT_EQ(mix(c.useColorKey, c.red, c.green, c.blue), 0);
    ASSERT_EQ(vmr9->bitmaps.size(), 1u);
    expectFilledAsAsked(vmr9->bitmaps[0], c);
    EXPECT_EQ(vmr9->bitmaps[0].dwFilterMode, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OverlayBitmap,
    ::testing::Values(KeyCase{"keyOn", 1, 255, 0, 255, 10, {255, 0, 255, 0}},
                      KeyCase{"keyTwo", 2, 1, 2, 3, 2, {1, 2, 3, 0}},
                      KeyCase{"lowBytesOnly", -1, 511, 258, 3, 2, {255, 2, 3, 0}},
                      KeyCase{"negativeKey", 1, -1, 256, 127, 10, {255, 0, 127, 0}},
                      KeyCase{"keyOff", 0, 9, 8, 7, 2, {9, 8, 7, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
