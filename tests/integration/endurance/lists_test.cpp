// Every list export called ten thousand times, with eight cameras and sixteen
// test compressors (long, accented and non-ANSI names among them) and a graph
// open, the three capture-format lists included: each call writes exactly
// the bytes its size query announced, after the text already in the buffer
// and not one byte further, the same list every time, and memory stays flat
// but for what Wine keeps per enumeration
// of a device category (measured alongside over 200 enumerations of the same
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
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 10000;
// Wine enumerates its video compressors through every VfW driver, 25 ms each
// time: 2000 calls of the list (4000 enumerations) take the time 10000 of the
// other lists do, and a leak of 33 bytes a call still passes the heap bound.
constexpr int kCompressorCalls = 2000;
constexpr int kBareEnumerations = 200;
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
    int calls = kCalls;
};

// Eight cameras with four formats each (one of them offered as
// VIDEOINFOHEADER2, which the format lists leave out) and sixteen test
// compressors; camera 0 open in the active slot.
template <class Base> class ListWorld : public endurance::LibraryTest<Base> {
  protected:
    static void SetUpTestSuite() {
        const std::vector<std::wstring> formats = {L"160x120@30", L"1280x-720@29.97",
                                                   L"vi2:320x240@15", L"640x480@59.94"};
        const std::wstring names[] = {L"Load camera ", std::wstring(250, L'W'),
                                      L"Cam\u00e9ra \u00e0 gauche ", L"\u2603 snow camera "};
        std::vector<harness::CameraConfig> cameras;
        for (int camera = 0; camera < 8; ++camera) {
            cameras.push_back({names[camera % 4] + std::to_wstring(camera), formats});
        }
        harness::configureCameras(cameras);
        std::vector<std::wstring> compressors;
        for (int index = 0; index < 16; ++index) {
            compressors.push_back(index == 3 ? std::wstring(255, L'C')
                                             : L"Load compressor \u00e9 " + std::to_wstring(index));
        }
        harness::configureCompressors(compressors);
    }
    void SetUp() override {
        endurance::LibraryTest<Base>::SetUp();
        ASSERT_EQ(vcx_Open(0, kNullRenderer, 0, 0, 0), 0);
    }
};

class Lists : public ListWorld<::testing::TestWithParam<ListCase>> {};

// The buffer holding kKept, its other bytes kUntouched.
void prepare(std::vector<char>& buffer) {
    std::fill(buffer.begin(), buffer.end(), kUntouched);
    std::memcpy(buffer.data(), kKept, kKeptLength + 1);
}

// What a list appended after kKept, when that is exactly size - 1 bytes and
// a NUL, and nothing past them was touched.
std::optional<std::string> appendedExactly(const std::vector<char>& buffer, int size) {
    const std::size_t length = std::strlen(buffer.data());
    if (length < kKeptLength || length + 1 - kKeptLength != static_cast<std::size_t>(size) ||
        buffer[length + 1] != kUntouched) {
        return std::nullopt;
    }
    return std::string(buffer.data() + kKeptLength, length - kKeptLength);
}

// One call of the size query and the list into a prepared buffer; returns the
// list it appended ("" for none), or a failure.
testing::AssertionResult callOnce(const ListCase& row, std::vector<char>& buffer,
                                  std::string& appended) {
    const int size = row.size();
    prepare(buffer);
    const int entries = row.list(buffer.data());
    // A failing list and its size query fail alike and leave the text alone.
    const std::optional<std::string> written = appendedExactly(buffer, size < 0 ? 1 : size);
    if (!written || (size < 0 && entries != size)) {
        return testing::AssertionFailure() << "size query " << size << ", list " << entries
                                           << ", buffer length " << std::strlen(buffer.data());
    }
    appended = *written;
    const auto lines = std::count(appended.begin(), appended.end(), '\n');
    if (size >= 0 && lines != entries) {
        return testing::AssertionFailure() << lines << " lines for " << entries << " entries";
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
    const int calls = GetParam().calls;
    for (int call = 1; call < calls; ++call) {
        ASSERT_TRUE(callOnce(GetParam(), buffer, appended)) << "call " << call;
        ASSERT_EQ(appended, first) << "call " << call;
    }
    const endurance::Counters growth = endurance::readCounters() - start;
    endurance::report(std::string(GetParam().name) + ": " + std::to_string(first.size()) +
                          " bytes; growth over " + std::to_string(calls) + " calls",
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
    const std::ptrdiff_t wineHeap = bare.heapBytes * 2 * calls / kBareEnumerations;
    EXPECT_LE(growth.threads, 2);
    EXPECT_LE(growth.heapBytes, wineHeap + 65536);
}

// The three capture-format lists, which one call writes together.
class FormatLists : public ListWorld<::testing::Test> {};

TEST_F(FormatLists, EveryCallWritesWhatItsSizeQueriesSaid) {
    std::vector<std::vector<char>> buffers(3, std::vector<char>(4096));
    std::vector<std::string> first(3);
    const endurance::Counters start = endurance::readCounters();
    for (int call = 0; call < kCalls; ++call) {
        int sizes[3];
        for (int type = 0; type < 3; ++type) {
            sizes[type] = vcx_GetDevCapConfigSize(type);
            prepare(buffers[type]);
        }
        ASSERT_EQ(vcx_GetDevCapConfig(buffers[0].data(), buffers[1].data(), buffers[2].data()), 0)
            << "call " << call;
        for (int type = 0; type < 3; ++type) {
            const std::optional<std::string> appended = appendedExactly(buffers[type], sizes[type]);
            ASSERT_TRUE(appended) << "list " << type << ", call " << call << ": size query "
                                  << sizes[type];
            if (call == 0) {
                first[type] = *appended;
                EXPECT_EQ(vcx_GetBufferSize(7 + type), sizes[type]);
            }
            ASSERT_EQ(*appended, first[type]) << "list " << type << ", call " << call;
        }
    }
    const endurance::Counters growth = endurance::readCounters() - start;
    endurance::report("CaptureFormats: growth over " + std::to_string(kCalls) + " calls", growth);
    EXPECT_EQ(first[0], "30.00\r\n29.97\r\n59.94\r\n");
    EXPECT_EQ(first[1], "160\r\n1280\r\n640\r\n");
    EXPECT_EQ(first[2], "120\r\n-720\r\n480\r\n");
    EXPECT_LE(growth.handles, 16);
    EXPECT_LE(growth.heapBytes, 65536);
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
                               &CLSID_VideoCompressorCategory, kCompressorCalls},
                      ListCase{"AudioCompressors", [] { return vcx_GetCodecListSize(1); },
                               [](char* buffer) { return vcx_GetCodecList(buffer, 1); }, 4,
                               &CLSID_AudioCompressorCategory},
                      ListCase{"StreamFilters", vcx_GetStreamFilterListSize, vcx_StreamFilterList,
                               2, nullptr},
                      ListCase{"StreamFiltersSecondName", vcx_GetStreamFilterListSize,
                               vcx_GetStreamFilterList, 2, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
