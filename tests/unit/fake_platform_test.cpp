// The fake platform lets no call reach the real system unnoticed.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace {

TEST(FakePlatform, AnEntryNoTestHasSetFailsTheTestNamingIt) {
    fakes::FakePlatform platform;
    EXPECT_NONFATAL_FAILURE(vcx::platform().heapAlloc(nullptr, 0, 16), "heapAlloc");
    EXPECT_NONFATAL_FAILURE(
        vcx::platform().wideCharToMultiByte(CP_ACP, 0, L"A", -1, nullptr, 0, nullptr, nullptr),
        "wideCharToMultiByte");
}

} // namespace
