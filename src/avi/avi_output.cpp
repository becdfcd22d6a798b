#include "avi/avi_output.h"

#include "avi/avi_writer.h"
#include "core/com_ptr.h"

namespace vcx {

HRESULT setAviOutputFileName(IGraphBuilder* graph, const GUID* type, LPCOLESTR fileName,
                             IBaseFilter** multiplexer, IFileSinkFilter** sink) {
    if (multiplexer != nullptr) {
        *multiplexer = nullptr;
    }
    if (sink != nullptr) {
        *sink = nullptr;
    }
    if (graph == nullptr || type == nullptr || fileName == nullptr || multiplexer == nullptr) {
        return E_POINTER;
    }
    if (*type != MEDIASUBTYPE_Avi) {
        return E_INVALIDARG;
    }
    ComPtr<IBaseFilter> writer;
    HRESULT hr = avi::AviWriter::create(avi::createFileOutput(), avi::AviLimits{}, IID_IBaseFilter,
                                        writer.putVoid());
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IFileSinkFilter> fileSink;
    hr = writer->QueryInterface(IID_IFileSinkFilter, fileSink.putVoid());
    if (SUCCEEDED(hr)) {
        hr = fileSink->SetFileName(fileName, nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = graph->AddFilter(writer.get(), L"AVI Writer");
    }
    if (FAILED(hr)) {
        // The writer deletes a file it created when it goes unused.
        return hr;
    }
    *multiplexer = writer.detach();
    if (sink != nullptr) {
        *sink = fileSink.detach();
    }
    return S_OK;
}

} // namespace vcx
