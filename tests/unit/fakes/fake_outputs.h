// Fakes of what open's output branches reach: the mixing renderers with their
// configuration interfaces, a video compressor with its dialogs, and the
// library's own AVI writer as a platform entry.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <d3d9.h>
#include <vmr9.h>

#include <string>
#include <utility>

#include "fakes/fake_directshow.h"
#include "fakes/fake_platform.h"

namespace fakes {

inline constexpr char kIVMRFilterConfigName[] = "IVMRFilterConfig";
inline constexpr char kIVMRFilterConfig9Name[] = "IVMRFilterConfig9";
inline constexpr char kIAMVfwCompressDialogsName[] = "IAMVfwCompressDialogs";

// A Video Mixing Renderer: IBaseFilter and its configuration interface on one
// object, whose releases are journaled apart ("vmr7.Release(IVMRFilterConfig)").
// SetRenderingMode and SetNumberOfStreams are journaled with their arguments.
template <class Config, class Compositor, const char* ConfigName>
class FakeMixingRenderer : public FakeFilterWith<Config, ConfigName> {
  public:
    using FakeFilterWith<Config, ConfigName>::FakeFilterWith;

    HRESULT STDMETHODCALLTYPE SetRenderingMode(DWORD mode) override {
        return call("SetRenderingMode(" + std::to_string(mode) + ")");
    }
    HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD streams) override {
        return call("SetNumberOfStreams(" + std::to_string(streams) + ")");
    }
    HRESULT STDMETHODCALLTYPE SetImageCompositor(Compositor*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRenderingPrefs(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRenderingPrefs(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRenderingMode(DWORD*) override { return E_NOTIMPL; }

  protected:
    using FakeFilterWith<Config, ConfigName>::call;
};

class FakeVmr7
    : public FakeMixingRenderer<IVMRFilterConfig, IVMRImageCompositor, kIVMRFilterConfigName> {
  public:
    FakeVmr7() : FakeMixingRenderer("vmr7", IID_IVMRFilterConfig) {}
};

class FakeVmr9
    : public FakeMixingRenderer<IVMRFilterConfig9, IVMRImageCompositor9, kIVMRFilterConfig9Name> {
  public:
    FakeVmr9() : FakeMixingRenderer("vmr9", IID_IVMRFilterConfig9) {}
};

// A video compressor: IBaseFilter and IAMVfwCompressDialogs on one object,
// releases journaled apart ("codec0.Release(IAMVfwCompressDialogs)").
class FakeCompressor : public FakeFilter,
                       public SeparateRelease<IAMVfwCompressDialogs, kIAMVfwCompressDialogsName> {
  public:
    explicit FakeCompressor(std::string name) : FakeFilter(std::move(name)) {}
    FAKE_IUNKNOWN_SEPARATE_RELEASE
    void* find(REFIID iid) override;
    const char* filterReleaseName() const override { return kIBaseFilterName; }

    HRESULT STDMETHODCALLTYPE ShowDialog(int dialog, HWND window) override {
        return call(showDialogCall(dialog, window));
    }
    HRESULT STDMETHODCALLTYPE GetState(LPVOID, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetState(LPVOID, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendDriverMessage(int, LONG, LONG) override { return E_NOTIMPL; }
};

// The library's own AVI writer, reached through the platform entry
// setAviOutputFileName once install() set it. Its call is journaled as
// "aviWriter.SetOutputFileName(graph, type, file, filter*|null, sink*|null)"
// and answers the configured result ("SetOutputFileName"); a success hands
// out multiplexer.
class FakeAviWriter : public FakeCom {
  public:
    FakeAviWriter() : FakeCom("aviWriter") {}
    ~FakeAviWriter() override;
    void* find(REFIID) override { return nullptr; }

    void install(FakePlatform& platform);

    // Not owned.
    FakeCom* multiplexer = nullptr;

  private:
    static HRESULT setOutputFileName(IGraphBuilder* graph, const GUID* type, LPCOLESTR fileName,
                                     IBaseFilter** mux, IFileSinkFilter** sink);
};

} // namespace fakes
