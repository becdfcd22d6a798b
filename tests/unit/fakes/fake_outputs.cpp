#include "fakes/fake_outputs.h"

namespace fakes {

// FakeCompressor

void* FakeCompressor::find(REFIID iid) {
    if (iid == IID_IAMVfwCompressDialogs) {
        return static_cast<IAMVfwCompressDialogs*>(this);
    }
    return FakeFilter::find(iid);
}

// FakeAviWriter

namespace {

FakeAviWriter* installedWriter = nullptr;

} // namespace

FakeAviWriter::~FakeAviWriter() {
    if (installedWriter == this) {
        installedWriter = nullptr;
    }
}

void FakeAviWriter::install(FakePlatform& platform) {
    installedWriter = this;
    platform.table().setAviOutputFileName = setOutputFileName;
}

HRESULT FakeAviWriter::setOutputFileName(IGraphBuilder* graph, const GUID* type, LPCOLESTR fileName,
                                         IBaseFilter** mux, IFileSinkFilter** sink) {
    FakeAviWriter& self = *installedWriter;
    if (mux != nullptr) {
        *mux = nullptr;
    }
    const HRESULT hr = self.call("SetOutputFileName(" + describe(graph) + ", " +
                                 outputFileArguments(type, fileName, mux, sink) + ")");
    if (SUCCEEDED(hr) && mux != nullptr && self.multiplexer != nullptr) {
        self.multiplexer->handOut(IID_IBaseFilter, reinterpret_cast<void**>(mux));
    }
    return hr;
}

} // namespace fakes
