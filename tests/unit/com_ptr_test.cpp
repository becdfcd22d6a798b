// vcx::query asks for the interface its type names: the identifiers the
// library declares for types the toolchain leaves without one must be the
// platform's, or every query of them would fail on a real system.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/com_ptr.h"
#include "core/directshow.h"

namespace {

TEST(DeclaredInterfaceIds, AreThoseOfThePlatform) {
    EXPECT_TRUE(IsEqualGUID(__uuidof(IMediaEventEx), IID_IMediaEventEx));
    EXPECT_TRUE(IsEqualGUID(__uuidof(IVMRFilterConfig), IID_IVMRFilterConfig));
    EXPECT_TRUE(IsEqualGUID(__uuidof(IVMRMixerBitmap), IID_IVMRMixerBitmap));
}

} // namespace
