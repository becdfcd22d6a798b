// What the benchmarks share: a clock, the median of a series of measurements
// and the report of a failed step.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Seconds on the performance counter.
inline double nowSeconds() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One line of the summary that bench/run-all gathers from every benchmark:
// "ratio NAME VALUE LIMIT", NAME without blanks, LIMIT the bound the
// benchmark holds the value to ("<=1.25", ">=0.98"), "-" when there is none.
inline void reportRatio(const std::string& name, double value, const char* relation = nullptr,
                        double bound = 0) {
    if (relation == nullptr) {
        std::printf("ratio %s %.3f -\n", name.c_str(), value);
    } else {
        std::printf("ratio %s %.3f %s%g\n", name.c_str(), value, relation, bound);
    }
}

// Reports "<program>: <what> failed: <hr>" when hr is a failure; whether hr succeeded.
inline bool check(const char* program, HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s: %s failed: 0x%08lx\n", program, what,
                     static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

} // namespace bench
