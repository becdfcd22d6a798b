#include "fakes/fake_filter_enum.h"

#include <cstring>

namespace fakes {

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

} // namespace fakes
