// The filters of a fake graph as IFilterGraph::EnumFilters hands them out
// (FakeFilterGraph::filterEnum): filters that QueryFilterInfo names.
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

} // namespace fakes
