// CaptureWorld with everything open's output branches reach: the Video and
// Null Renderers, both mixing renderers (with their mixer bitmaps), the builder's multiplexer, the
// video compressor category with compressors the test adds, and the library's AVI writer (not
// installed until a test says so).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcxcap.h"

#include "fakes/capture_world.h"
#include "fakes/fake_outputs.h"
#include "fakes/fake_vmr_mixer.h"

namespace fakes {

// A text as open's pointer-sized file and compressor arguments carry it.
inline vcx_intptr textArgument(const wchar_t* text) {
    return reinterpret_cast<vcx_intptr>(text);
}

using FakeCompressorEntry = FakeEntry<FakeCompressor>;

class OutputWorld : public CaptureWorld {
  public:
    OutputWorld();

    // Adds a video compressor; the first is "codec0".
    FakeCompressorEntry& addCompressor(const std::wstring& friendlyName);

    // Every fake of this world, the output side included.
    std::vector<FakeCom*> everyFake() const override;

    Held<FakeFilter> videoRenderer{"videoRenderer"};
    Held<FakeFilter> nullRenderer{"nullRenderer"};
    Held<FakeVmr7Renderer> vmr7{IID_IVMRMixerBitmap};
    Held<FakeVmr9Renderer> vmr9{IID_IVMRMixerBitmap9};
    Held<FakeFilter> mux{"mux"};
    Held<FakeFilter> writerMux{"writerMux"};
    Held<FakeAviWriter> aviWriter;
    Held<FakeEnumMoniker> videoCompressors{"videoCompressors"};
    std::vector<std::unique_ptr<FakeCompressorEntry>> compressors;
};

} // namespace fakes
