#include "fakes/capture_world.h"

#include "core/directshow.h"
#include "core/teardown.h"

namespace fakes {

CaptureWorld::CaptureWorld() {
    vcx::resetLibraryForTests();
    vcx::library().comInitialized = 1;
    platform.provide(CLSID_FilterGraph, *graph);
    platform.provide(vcx::kClsidSampleGrabber, *grabber);
    platform.provide(CLSID_CaptureGraphBuilder2, *builder);
    platform.provide(CLSID_SystemDeviceEnum, *devEnum);
    devEnum->setCategory(CLSID_VideoInputDeviceCategory, videoDevices.get());
    journal().clear();
}

CaptureWorld::~CaptureWorld() {
    // Give back whatever a test left in the slots before the fakes go.
    for (int index = 0; index < vcx::kSlotCount; ++index) {
        vcx::library().activeSlot = index;
        vcx::releaseSlot();
    }
    vcx::resetLibraryForTests();
    journal().clear();
}

FakeDevice& CaptureWorld::addDevice(const std::wstring& friendlyName) {
    return addEntry(devices, *videoDevices, "device", friendlyName);
}

std::vector<FakeCom*> CaptureWorld::everyFake() const {
    std::vector<FakeCom*> all = {graph.get(), grabber.get(), builder.get(), devEnum.get(),
                                 videoDevices.get()};
    for (const auto& device : devices) {
        device->addTo(all);
    }
    return all;
}

void CaptureWorld::expectAllReleased() const {
    for (FakeCom* fake : everyFake()) {
        EXPECT_EQ(fake->refs(), 1u) << fake->name() << " holds references it was not given back";
    }
}

void CaptureWorld::expectSlotEmpty(const vcx::CaptureSlot& slot) {
    EXPECT_EQ(slot.graph, nullptr);
    EXPECT_EQ(slot.captureBuilder, nullptr);
    EXPECT_EQ(slot.mediaControl, nullptr);
    EXPECT_EQ(slot.videoWindow, nullptr);
    EXPECT_EQ(slot.grabberFilter, nullptr);
    EXPECT_EQ(slot.grabber, nullptr);
    EXPECT_EQ(slot.sourceFilter, nullptr);
    EXPECT_EQ(slot.rendererFilter, nullptr);
    EXPECT_EQ(slot.vmr7Filter, nullptr);
    EXPECT_EQ(slot.vmr9Filter, nullptr);
    EXPECT_EQ(slot.compressorFilter, nullptr);
    EXPECT_EQ(slot.compressDialogs, nullptr);
    EXPECT_EQ(slot.muxFilter, nullptr);
    EXPECT_EQ(slot.audioSourceFilter, nullptr);
    EXPECT_EQ(slot.audioCompressorFilter, nullptr);
    EXPECT_EQ(slot.frameCounter, nullptr);
    EXPECT_TRUE(slot.events.empty());
    EXPECT_FALSE(slot.events.deviceLost);
}

} // namespace fakes
