// The filters of a fake graph as IFilterGraph::EnumFilters hands them out: a
// filter enumerator over filters that answer QueryFilterInfo with their name
// in the graph and a reference to the graph.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "fakes/fake_directshow.h"

namespace fakes {

// A filter known to its graph by a name. QueryFilterInfo writes the name
// (cut to MAX_FILTER_NAME - 1 characters) and hands out a reference to
// graph, when set, through FILTER_INFO.pGraph; a failing configured result
// writes nothing but zeros.
class FakeNamedFilter : public FakeFilter {
  public:
    FakeNamedFilter(std::string name, std::wstring graphName, FakeCom* graph = nullptr)
        : FakeFilter(std::move(name)), graphName(std::move(graphName)), graph(graph) {}

    std::wstring graphName;
    FakeCom* graph;

    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
};

// A filter enumerator over filters the test owns.
class FakeEnumFilters : public FakeCom, public IEnumFilters {
  public:
    explicit FakeEnumFilters(std::string name = "filterEnum") : FakeCom(std::move(name)) {}
    FAKE_IUNKNOWN
    void* find(REFIID iid) override;

    std::vector<FakeFilter*> filters;
    // Next answers this failure instead of the filter at failAt; -1: never.
    int failAt = -1;
    HRESULT failure = VFW_E_ENUM_OUT_OF_SYNC;

    // Starts again at the first filter, as a new enumerator, without a
    // journal entry.
    void restart() { position_ = 0; }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFilters**) override { return E_NOTIMPL; }

  private:
    std::size_t position_ = 0;
};

} // namespace fakes
