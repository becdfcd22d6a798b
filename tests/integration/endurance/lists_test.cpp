// Every list export called ten thousand times, with eight cameras and sixteen
// test compressors (long, accented and non-ANSI names among them) and a graph
// open: each call writes exactly the bytes its size query announced, after
// the text already in the buffer and not one byte further, the same list
// every time, and memory stays flat but for what Wine keeps per enumeration
// of a device category (measured alongside over 1000 enumerations of the same
// category without the library), plus 64 KiB. Wine keeps a registry handle
// per enumeration and per entry, so handles are not bounded here.
#include <gtest/gtest.h>

#include "endurance_support.h"
#include "harness.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>
#include <dshow.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 10000;
constexpr int kBareEnumerations = 1000;
constexpr int kNullRenderer = 6;
constexpr char kKept[] = "kept text ";
constexpr std::size_t kKeptLength = sizeof kKept - 1;
constexpr char kUntouched = '\xCD';

struct ListCase {
    const char* name;
    std::function<int()> size;
    std::function<int(char*)> list;
    int bufferType;       // the vcx_GetBufferSize type of the same size query
    const GUID* category; // the device category listed; none for the graph's filters
};

class Lists : public endurance::LibraryTest<::testing::TestWithParam<ListCase>> {
  protected:
    static void SetUpTestSuite() {
        std::vector<harness::CameraConfig> cameras;
        const std::wstring names[] = {L"Load camera", std::wstring(255, L'W'),
                                      L"Cam\u00e9ra \u00e0 gauche", L"\u2603 snow camera"};
        for (int camera = 0; camera < 8; ++camera) {
            cameras.push_back({names[camera % 4] + std::to_wstring(camera % 2 == 0 ? camera : 0),
                               {L"160x120@30"}});
        }
        cameras[1].friendlyName = std::wstring(255, L'W');
        harness::configureCameras(cameras);
        std::vector<std::wstring> compressors;
        for (int index = 0; index < 16; ++index) {
            compressors.push_back(index == 3 ? std::wstring(255, L'C')
                                             : L"Load compressor \u00e9 " + std::to_wstring(index));
        }
        harness::configureCompressors(compressors);
    }
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    }
};

// One call of the size query and the list into a buffer holding kKept, its
// other bytes kUntouched; returns the list it appended ("" for none), or a
// failure.
testing::AssertionResult callOnce(const ListCase& row, std::vector<char>& buffer,
                                  std::string& appended) {
    const int size = row.size();
    std::fill(buffer.begin(), buffer.end(), kUntouched);
    std::memcpy(buffer.data(), kKept, kKeptLength + 1);
    const int entries = row.list(buffer.data());
    const std::size_t length = std::strlen(buffer.data());
    if (size < 0 || entries <= 0) {
        appended.clear();
        const bool unchanged = length == kKeptLength && buffer[kKeptLength + 1] == kUntouched;
        if ((size < 0 ? entries != size : size != 1) || !unchanged) {
            return testing::AssertionFailure()
                   << "size " << size << ", list " << entries << ", buffer length " << length;
        }
        return testing::AssertionSuccess();
    }
    appended.assign(buffer.data() + kKeptLength, length - kKeptLength);
    const auto lines = std::count(appended.begin(), appended.end(), '\n');
    if (static_cast<int>(appended.size()) + 1 != size || buffer[length + 1] != kUntouched ||
        lines != entries) {
        return testing::AssertionFailure()
               << "size query " << size << ", wrote " << appended.size() + 1 << " bytes in "
               << lines << " lines for " << entries << " entries";
    }
    return testing::AssertionSuccess();
}

TEST_P(Lists, EveryCallWritesWhatItsSizeQuerySaid) {
    std::vector<char> buffer(64 * 1024);
    std::string first;
    ASSERT_TRUE(callOnce(GetParam(), buffer, first));
    EXPECT_EQ(vcx_GetBufferSize(GetParam().bufferType), GetParam().size());
    const endurance::Counters start = endurance::readCounters();
    std::string appended;
    for (int call = 1; call < kCalls; ++call) {
        ASSERT_TRUE(callOnce(GetParam(), buffer, appended)) << "call " << call;
        ASSERT_EQ(appended, first) << "call " << call;
    }
    const endurance::Counters growth = endurance::readCounters() - start;
    endurance::report(std::string(GetParam().name) + ": " + std::to_string(first.size()) +
                          " bytes; growth over " + std::to_string(kCalls) + " calls",
                      growth);
    endurance::Counters bare{};
    if (const GUID* category = GetParam().category) {
        bare =
            endurance::growthOver(kBareEnumerations, [&] { harness::categoryEntries(*category); });
        endurance::report(std::string(GetParam().name) + ", Wine alone over " +
                              std::to_string(kBareEnumerations) + " enumerations",
                          bare);
    }
    // Each call enumerates the category twice: the size query and the list.
    const std::ptrdiff_t wineHeap = bare.heapBytes * 2 * kCalls / kBareEnumerations;
    EXPECT_LE(growth.threads, 2);
    EXPECT_LE(growth.heapBytes, wineHeap + 65536);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, Lists,
    ::testing::Values(ListCase{"VideoDevices", [] { return vcx_GetDeviceListSize(0); },
                               [](char* buffer) { return vcx_GetDeviceList(buffer, 0); }, 0,
                               &CLSID_VideoInputDeviceCategory},
                      ListCase{"AudioDevices", [] { return vcx_GetDeviceListSize(1); },
                               [](char* buffer) { return vcx_GetDeviceList(buffer, 1); }, 1,
                               &CLSID_AudioInputDeviceCategory},
                      ListCase{"VideoCompressors", [] { return vcx_GetCodecListSize(0); },
                               [](char* buffer) { return vcx_GetCodecList(buffer, 0); }, 3,
                               &CLSID_VideoCompressorCategory},
                      ListCase{"AudioCompressors", [] { return vcx_GetCodecListSize(1); },
                               [](char* buffer) { return vcx_GetCodecList(buffer, 1); }, 4,
                               &CLSID_AudioCompressorCategory},
                      ListCase{"StreamFilters", vcx_GetStreamFilterListSize, vcx_StreamFilterList,
                               2, nullptr},
                      ListCase{"StreamFiltersSecondName", vcx_GetStreamFilterListSize,
                               vcx_GetStreamFilterList, 2, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
