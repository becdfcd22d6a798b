// vcx_GetBufferSize: every size query of the library behind one export,
// chosen by a buffer type.
#include "vcxcap.h"

#include <cstdint>

namespace vcx {
namespace {

struct SizeRow {
    int32_t bufferType;
    int (*query)();
};

// One row per buffer type; a type without a row answers -1. Each query runs
// its own checks.
constexpr SizeRow kRows[] = {
    {0, [] { return vcx_GetDeviceListSize(0); }},
    {1, [] { return vcx_GetDeviceListSize(1); }},
    {2, [] { return vcx_GetStreamFilterListSize(); }},
    {3, [] { return vcx_GetCodecListSize(0); }},
    {4, [] { return vcx_GetCodecListSize(1); }},
    {5, [] { return vcx_GetImageMemSize(0); }},
    {6, [] { return vcx_GetImageMemSize(1); }},
    {7, [] { return vcx_GetDevCapConfigSize(0); }},
    {8, [] { return vcx_GetDevCapConfigSize(1); }},
    {9, [] { return vcx_GetDevCapConfigSize(2); }},
};

} // namespace
} // namespace vcx

extern "C" int VCXAPI vcx_GetBufferSize(int bufferType) {
    for (const vcx::SizeRow& row : vcx::kRows) {
        if (row.bufferType == bufferType) {
            return row.query();
        }
    }
    return -1;
}
