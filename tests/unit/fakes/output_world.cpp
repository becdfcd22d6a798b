#include "fakes/output_world.h"

#include "core/directshow.h"

namespace fakes {

OutputWorld::OutputWorld() {
    platform.provide(CLSID_VideoRenderer, *videoRenderer);
    platform.provide(vcx::kClsidNullRenderer, *nullRenderer);
    platform.provide(CLSID_VideoMixingRenderer, *vmr7);
    platform.provide(CLSID_VideoMixingRenderer9, *vmr9);
    devEnum->setCategory(CLSID_VideoCompressorCategory, videoCompressors.get());
    builder->multiplexer = mux.get();
    aviWriter->multiplexer = writerMux.get();
}

FakeCompressorEntry& OutputWorld::addCompressor(const std::wstring& friendlyName) {
    return addEntry(compressors, *videoCompressors, "codec", friendlyName);
}

std::vector<FakeCom*> OutputWorld::everyFake() const {
    std::vector<FakeCom*> all = CaptureWorld::everyFake();
    for (FakeCom* fake : std::initializer_list<FakeCom*>{
             videoRenderer.get(), nullRenderer.get(), vmr7.get(), vmr9.get(), mux.get(),
             writerMux.get(), aviWriter.get(), videoCompressors.get()}) {
        all.push_back(fake);
    }
    for (const auto& compressor : compressors) {
        compressor->addTo(all);
    }
    return all;
}

} // namespace fakes
