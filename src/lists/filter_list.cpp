// The graph filter list of the active slot with its size query: the name of
// every filter in the slot's graph, as a name list.
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"
#include "core/directshow.h"
#include "core/slots.h"
#include "lists/name_list.h"

namespace vcx {
namespace {

// Adds the filter's name in its graph; an empty entry when QueryFilterInfo
// fails.
void addFilterName(IBaseFilter* filter, NameList& list) {
    FilterInfo info;
    if (FAILED(info.query(*filter))) {
        list.addName(nullptr, kFilterNameBytes);
        return;
    }
    info.achName[MAX_FILTER_NAME - 1] = L'\0';
    list.addName(info.achName, kFilterNameBytes);
}

int32_t listFilters(char* buffer, ListOutput output) {
    const int32_t guard = checkSlotState(kGuardSlotOpen);
    if (guard < 0) {
        return guard;
    }
    IGraphBuilder* graph = activeSlot().graph;
    if (graph == nullptr) {
        return -2;
    }
    if (output == ListOutput::kList && buffer == nullptr) {
        return -3;
    }
    NameList list = NameList::of(output, buffer);
    ComPtr<IEnumFilters> filters;
    // Its result is not examined: a graph that hands out no enumerator has
    // no filters to list.
    graph->EnumFilters(filters.put());
    if (filters) {
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.put(), nullptr) == S_OK) {
            addFilterName(filter.get(), list);
            filter.reset();
        }
    }
    return list.result();
}

} // namespace
} // namespace vcx

using namespace vcx;

extern "C" int VCXAPI vcx_StreamFilterList(char* buffer) {
    return listFilters(buffer, ListOutput::kList);
}

extern "C" int VCXAPI vcx_GetStreamFilterList(char* buffer) {
    return vcx_StreamFilterList(buffer);
}

extern "C" int VCXAPI vcx_GetStreamFilterListSize(void) {
    return listFilters(nullptr, ListOutput::kSize);
}
