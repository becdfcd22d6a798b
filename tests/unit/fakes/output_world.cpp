#include "fakes/output_world.h"

#include "core/directshow.h"

namespace fakes {

FakeCompressorEntry::FakeCompressorEntry(const std::string& name, const std::wstring& friendlyName)
    : moniker(name + ".moniker"), filter(name), bag(name + ".bag", friendlyName) {
    moniker->object = filter.get();
    moniker->storage = bag.get();
}

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
    compressors.push_back(std::make_unique<FakeCompressorEntry>(
        "codec" + std::to_string(compressors.size()), friendlyName));
    videoCompressors->items.push_back(compressors.back()->moniker.get());
    return *compressors.back();
}

std::vector<FakeCom*> OutputWorld::everyFake() const {
    std::vector<FakeCom*> all = CaptureWorld::everyFake();
    for (FakeCom* fake : std::initializer_list<FakeCom*>{
             videoRenderer.get(), nullRenderer.get(), vmr7.get(), vmr9.get(), mux.get(),
             writerMux.get(), aviWriter.get(), videoCompressors.get()}) {
        all.push_back(fake);
    }
    for (const auto& compressor : compressors) {
        all.push_back(compressor->moniker.get());
        all.push_back(compressor->filter.get());
        all.push_back(compressor->bag.get());
    }
    return all;
}

} // namespace fakes
