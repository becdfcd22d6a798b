// The filters of a fake graph as IFilterGraph::EnumFilters hands them out:
// an enumerator over filters that QueryFilterInfo names.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "fakes/fake_directshow.h"

namespace fakes {

// A filter that QueryFilterInfo names graphName, handing out a reference to
// graph (when set) in FILTER_INFO.pGraph; a failing configured result writes
// only zeros.
class FakeNamedFilter : public FakeFilter {
  public:
    FakeNamedFilter(std::string name, std::wstring graphName, FakeCom* graph)
        : FakeFilter(std::move(name)), graphName(std::move(graphName)), graph(graph) {}
    std::wstring graphName;
    FakeCom* graph;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
};

// A filter enumerator over filters the test owns; FakeFilterGraph::EnumFilters
// restarts it as a new enumerator each time it hands it out.
class FakeEnumFilters : public FakeCom, public IEnumFilters {
  public:
    FakeEnumFilters() : FakeCom("filterEnum") {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    std::vector<FakeFilter*> filters;
    // Next answers this failure instead of the filter at failAt; -1: never.
    int failAt = -1;
    HRESULT failure = VFW_E_ENUM_OUT_OF_SYNC;
    std::size_t position = 0;

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFilters**) override { return E_NOTIMPL; }
};

} // namespace fakes
