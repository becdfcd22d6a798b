// Library start-up and shut-down, slot selection and the state guard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

#include "vcxcap.h"

#include "core/slots.h"
#include "fakes/fake_platform.h"

using fakes::journal;
using ::testing::ElementsAre;

namespace {

class Lifecycle : public ::testing::Test {
  protected:
    Lifecycle() {
        vcx::resetLibraryForTests();
        journal().clear();
    }
    ~Lifecycle() override { vcx::resetLibraryForTests(); }

    fakes::FakePlatform platform;
};

TEST_F(Lifecycle, VersionIs210WithoutInitialisation) {
    EXPECT_EQ(vcx_Version(), 210);
    EXPECT_TRUE(journal().entries().empty());
}

TEST_F(Lifecycle, InitPassesCoInitializeResultThroughAndMarksInitialised) {
    for (HRESULT answer : {S_OK, S_FALSE, RPC_E_CHANGED_MODE, E_OUTOFMEMORY}) {
        vcx::resetLibraryForTests();
        journal().clear();
        platform.coInitializeResult = answer;
        EXPECT_EQ(vcx_Init(), answer);
        EXPECT_EQ(vcx::library().comInitialized, 1);
        EXPECT_THAT(journal().entries(), ElementsAre("CoInitialize(null)"));
    }
}

TEST_F(Lifecycle, SecondInitFailsWithoutCallingCom) {
    ASSERT_EQ(vcx_Init(), S_OK);
    journal().clear();
    EXPECT_EQ(vcx_Init(), -1);
    EXPECT_TRUE(journal().entries().empty());
    EXPECT_EQ(platform.coInitializeCalls, 1);
}

TEST_F(Lifecycle, ExitWithoutInitFails) {
    EXPECT_EQ(vcx_Exit(), -1);
    EXPECT_EQ(platform.coUninitializeCalls, 0);
}

TEST_F(Lifecycle, ExitBalancesASuccessfulInitOnce) {
    for (HRESULT answer : {S_OK, S_FALSE}) {
        vcx::resetLibraryForTests();
        platform.coUninitializeCalls = 0;
        platform.coInitializeResult = answer;
        ASSERT_EQ(vcx_Init(), answer);
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(vcx::library().comInitialized, 0);
        EXPECT_EQ(platform.coUninitializeCalls, 1);
        EXPECT_EQ(vcx_Exit(), -1);
        EXPECT_EQ(platform.coUninitializeCalls, 1);
    }
}

// A host whose thread is already in a multithreaded apartment gets
// RPC_E_CHANGED_MODE from vcx_Init; vcx_Exit must then leave the host's COM
// alone instead of tearing it down with an unbalanced CoUninitialize.
TEST_F(Lifecycle, ExitAfterRefusedInitDoesNotUninitialiseCom) {
    for (HRESULT answer : {RPC_E_CHANGED_MODE, E_OUTOFMEMORY}) {
        vcx::resetLibraryForTests();
        platform.coInitializeResult = answer;
        ASSERT_EQ(vcx_Init(), answer);
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(vcx::library().comInitialized, 0);
        EXPECT_EQ(platform.coUninitializeCalls, 0);
    }
}

TEST_F(Lifecycle, InitAfterExitStartsComAgain) {
    ASSERT_EQ(vcx_Init(), S_OK);
    ASSERT_EQ(vcx_Exit(), 0);
    platform.coInitializeResult = RPC_E_CHANGED_MODE;
    EXPECT_EQ(vcx_Init(), RPC_E_CHANGED_MODE);
    EXPECT_EQ(vcx_Exit(), 0);
    EXPECT_EQ(platform.coInitializeCalls, 2);
    EXPECT_EQ(platform.coUninitializeCalls, 1);
}

TEST_F(Lifecycle, ActiveSlotAcceptsOnly0To31) {
    EXPECT_EQ(vcx_GetActiveSel(), 0);
    EXPECT_EQ(vcx_SetActiveSel(31), 0);
    EXPECT_EQ(vcx_GetActiveSel(), 31);
    for (int bad : {32, -1, 33, INT_MIN, INT_MAX}) {
        EXPECT_EQ(vcx_SetActiveSel(bad), -1) << bad;
        EXPECT_EQ(vcx_GetActiveSel(), 31) << bad;
    }
    EXPECT_EQ(vcx_SetActiveSel(0), 0);
    EXPECT_EQ(vcx_GetActiveSel(), 0);
}

TEST_F(Lifecycle, GetRefReportsTheActiveSlotsState) {
    vcx::library().slots[4].state = vcx::kSlotRunning;
    vcx::library().slots[5].state = vcx::kSlotOpen;
    EXPECT_EQ(vcx_GetRef(), 0);
    ASSERT_EQ(vcx_SetActiveSel(4), 0);
    EXPECT_EQ(vcx_GetRef(), 3);
    ASSERT_EQ(vcx_SetActiveSel(5), 0);
    EXPECT_EQ(vcx_GetRef(), 2);
}

struct GuardCase {
    int32_t kind;
    int32_t state;
    int32_t comInitialized;
    int32_t expected;
};

class Guard : public Lifecycle, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(Guard, AnswersByKindAndState) {
    const GuardCase& c = GetParam();
    vcx::library().comInitialized = c.comInitialized;
    vcx::activeSlot().state = c.state;
    EXPECT_EQ(vcx::checkSlotState(c.kind), c.expected);
}

// Every kind against every state a slot can hold, 1 included (never stored,
// but the guard must treat it as neither closed nor open).
INSTANTIATE_TEST_SUITE_P(
    Table, Guard,
    ::testing::Values(GuardCase{0, 0, 0, -1}, GuardCase{0, 3, 0, -1}, GuardCase{0, 0, 1, 0},
                      GuardCase{1, 0, 1, 0}, GuardCase{1, 1, 1, -2}, GuardCase{1, 2, 1, -2},
                      GuardCase{1, 3, 1, -2}, GuardCase{1, 0, 0, 0}, GuardCase{2, 0, 1, -1},
                      GuardCase{2, 1, 1, -1}, GuardCase{2, 2, 1, -1}, GuardCase{2, 3, 1, 0},
                      GuardCase{3, 0, 1, -1}, GuardCase{3, 1, 1, -1}, GuardCase{3, 2, 1, 0},
                      GuardCase{3, 3, 1, 0}, GuardCase{3, 3, 0, 0}, GuardCase{4, 0, 0, 0},
                      GuardCase{-1, 3, 0, 0}, GuardCase{INT_MAX, 1, 1, 0}));

} // namespace
