// vcx_Init and vcx_Exit on a host thread whose COM is already started: the
// library must leave the host's own initialisation as it found it.
#include <gtest/gtest.h>

#include <dshow.h>

#include <thread>

#include "harness.h"
#include "library.h"
#include "vcxcap.h"

namespace {

// Whether COM still serves this thread: creating an in-process object works.
HRESULT tryCreateFilterGraph() {
    IGraphBuilder* graph = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IGraphBuilder, reinterpret_cast<void**>(&graph));
    if (graph != nullptr) {
        graph->Release();
    }
    return hr;
}

// Runs body on a fresh thread, so that each case starts without COM.
template <class Body> void onNewThread(Body body) {
    std::thread thread(body);
    thread.join();
}

TEST(ComApartment, ExitLeavesAMultithreadedHostsComAlone) {
    onNewThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(vcx_Init(), RPC_E_CHANGED_MODE);
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(tryCreateFilterGraph(), S_OK) << "vcx_Exit tore down the host's COM";
        CoUninitialize();
        EXPECT_EQ(tryCreateFilterGraph(), CO_E_NOTINITIALIZED)
            << "the host's one CoUninitialize should end COM on its thread";
    });
}

TEST(ComApartment, ExitBalancesOnlyItsOwnInitOnAnApartmentThread) {
    onNewThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(vcx_Init(), S_FALSE) << "COM was already started on this thread";
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(tryCreateFilterGraph(), S_OK) << "the host's own initialisation still stands";
        CoUninitialize();
        EXPECT_EQ(tryCreateFilterGraph(), CO_E_NOTINITIALIZED);
    });
}

TEST(ComApartment, InitAloneStartsAndExitEndsCom) {
    onNewThread([] {
        EXPECT_EQ(vcx_Init(), S_OK);
        EXPECT_EQ(tryCreateFilterGraph(), S_OK);
        EXPECT_EQ(vcx_Exit(), 0);
        EXPECT_EQ(tryCreateFilterGraph(), CO_E_NOTINITIALIZED);
    });
}

} // namespace
