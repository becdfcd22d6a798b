#include "fakes/fake_filter_enum.h"

#include <cstring>

#include "fakes/fake_enumerator.h"

namespace fakes {

HRESULT FakeFilterGraph::EnumFilters(IEnumFilters** out) {
    *out = nullptr;
    const HRESULT hr = call("EnumFilters");
    if (FAILED(hr) || filterEnum == nullptr) {
        return FAILED(hr) ? hr : E_NOTIMPL;
    }
    filterEnum->position = 0;
    filterEnum->handOut(IID_IEnumFilters, reinterpret_cast<void**>(out));
    return hr;
}

HRESULT FakeNamedFilter::QueryFilterInfo(FILTER_INFO* info) {
    std::memset(info, 0, sizeof *info);
    const HRESULT hr = call("QueryFilterInfo");
    if (SUCCEEDED(hr)) {
        graphName.copy(info->achName, MAX_FILTER_NAME - 1);
        if (graph != nullptr) {
            graph->handOut(IID_IFilterGraph, reinterpret_cast<void**>(&info->pGraph));
        }
    }
    return hr;
}

void* FakeEnumFilters::find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IEnumFilters) {
        return static_cast<IEnumFilters*>(this);
    }
    return nullptr;
}

HRESULT FakeEnumFilters::Next(ULONG count, IBaseFilter** out, ULONG* fetched) {
    return answerNext(call("Next(" + std::to_string(count) + ")"), filters, position, failAt,
                      failure, IID_IBaseFilter, reinterpret_cast<void**>(out), fetched);
}

} // namespace fakes
