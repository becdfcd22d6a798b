// A YUY2 and an NV12 camera through the library on Wine's DirectShow: open in
// modes 6 and 300 puts a colour converter between the camera and the RGB24
// Sample Grabber (Wine has none of its own: the vcxcam Colour Converter), the
// frames vcx_GetImageMem copies and vcx_SaveBMP writes are the RGB24 picture
// the conversion predicts, the format lists and vcx_GetCapInfo show the
// camera's formats and FourCC, and a requested width, height and rate apply.
#include <gtest/gtest.h>

#include "camera_support.h"
#include "filterbase/media_type.h"
#include "first_frame.h"
#include "graph_spy.h"
#include "harness.h"
#include "ids.h"
#include "library.h"
#include "vcxcap.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using camtest::ComPtr;
using vcxcam::Subtype;

struct YuvCase {
    const char* name;
    const wchar_t* subtype; // as the Formats lines name it
    Subtype sent;
    DWORD fourcc;
    int mode;
};

class YuvCamera : public testing::TestWithParam<YuvCase> {
  protected:
    static void TearDownTestSuite() { harness::restoreDefaultCameras(); }
    void TearDown() override {
        harness::resetLibrary();
        harness::forgetRequestedFormat();
        DeleteFileW(recording().c_str());
        DeleteFileA(snapshot().c_str());
    }
    static std::wstring recording() { return harness::programFolder() + L"vcxcap-yuv.avi"; }
    static std::string snapshot() {
        return harness::narrow(harness::programFolder()) + "vcxcap-yuv.bmp";
    }
};

INSTANTIATE_TEST_SUITE_P(
    Cameras, YuvCamera,
    testing::Values(YuvCase{"Yuy2NullRenderer", L"YUY2", Subtype::Yuy2, 0x32595559, 6},
                    YuvCase{"Nv12NullRenderer", L"NV12", Subtype::Nv12, 0x3231564E, 6},
                    YuvCase{"Yuy2AviFile", L"YUY2", Subtype::Yuy2, 0x32595559, 300},
                    YuvCase{"Nv12AviFile", L"NV12", Subtype::Nv12, 0x3231564E, 300}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> graphFilters() {
    const int size = vcx_GetStreamFilterListSize();
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    EXPECT_GE(vcx_GetStreamFilterList(buffer.data()), 0);
    std::vector<std::string> names;
    std::string text = buffer.data();
    for (std::size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2)) {
        names.push_back(text.substr(0, end));
    }
    return names;
}

// One of the three capture-format lists, read after its size query.
std::string formatList(int type) {
    const int size = vcx_GetDevCapConfigSize(type);
    std::vector<std::vector<char>> lists(3, std::vector<char>(size > 0 ? size : 1, '\0'));
    EXPECT_EQ(vcx_GetDevCapConfig(lists[0].data(), lists[1].data(), lists[2].data()), 0);
    return lists[static_cast<std::size_t>(type)].data();
}

// The pixel bits of a 24-bit BMP file.
std::vector<std::uint8_t> bmpBits(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    if (bytes.size() < sizeof(BITMAPFILEHEADER)) {
        ADD_FAILURE() << path << " holds no BMP header";
        return {};
    }
    BITMAPFILEHEADER header;
    std::memcpy(&header, bytes.data(), sizeof header);
    return {bytes.begin() + std::min<std::size_t>(header.bfOffBits, bytes.size()), bytes.end()};
}

// The camera offers two sizes; the request asks for the second at another
// rate, which vcx_SetDevCapConfig writes into both before any output is
// connected.
TEST_P(YuvCamera, CapturesThroughAColourConverterInTheRequestedFormat) {
    const YuvCase& c = GetParam();
    harness::configureCameras({harness::CameraConfig{
        L"YUV camera",
        {L"320x240@30:" + std::wstring(c.subtype), L"160x120@30:" + std::wstring(c.subtype)}}});
    ASSERT_EQ(vcx_Init(), 0);
    vcx_SetDevWidth(160);
    vcx_SetDevHeight(120);
    vcx_SetDevFrameRate(15.0);
    harness::GraphSpy spy;
    const std::wstring file = recording();
    ASSERT_EQ(
        vcx_Open(0, c.mode, 0, c.mode == 300 ? reinterpret_cast<vcx_intptr>(file.c_str()) : 0, 0),
        0);
    const ComPtr<IGraphBuilder> graph = spy.takeGraph();
    ASSERT_TRUE(graph);

    // The camera's formats as they are, whatever was applied.
    EXPECT_EQ(formatList(0), "30.00\r\n30.00\r\n");
    EXPECT_EQ(formatList(1), "320\r\n160\r\n");
    EXPECT_EQ(formatList(2), "240\r\n120\r\n");
    EXPECT_EQ(vcx_GetCapInfo(0), 320);
    EXPECT_EQ(vcx_GetCapInfo(5), static_cast<int>(c.fourcc));
    // The camera streams its subtype in the requested format.
    ComPtr<IBaseFilter> device;
    ASSERT_EQ(graph->FindFilterByName(L"Device Filter", device.put()), S_OK);
    AM_MEDIA_TYPE sent{};
    ASSERT_EQ(camtest::findPin(device.get(), L"Capture")->ConnectionMediaType(&sent), S_OK);
    EXPECT_EQ(sent.subtype, vcxcam::subtypeGuid(c.sent));
    EXPECT_EQ(camtest::shapeOf(sent),
              (camtest::VideoShape{160, 120, 666666,
                                   static_cast<DWORD>(vcxcam::frameBytes(c.sent, 160, 120))}));
    filterbase::freeMediaTypeFields(sent);

    // Windows may choose a converter of its own; only the formulas of ours
    // predict the picture exactly.
    const std::vector<std::string> filters = graphFilters();
    const bool ours =
        std::find(filters.begin(), filters.end(), "vcxcam Colour Converter") != filters.end();
    const bool system =
        std::find(filters.begin(), filters.end(), "Color Space Converter") != filters.end() ||
        std::find(filters.begin(), filters.end(), "AVI Decompressor") != filters.end();
    EXPECT_TRUE(ours || system) << "no colour converter in the graph";
    const bool onWine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (onWine) {
        EXPECT_TRUE(ours) << "Wine 8.0 has no YUY2 or NV12 converter of its own";
    }

    ASSERT_GE(vcx_Play2(), 0);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(vcx_GetImageMemSize(0)));
    ASSERT_EQ(bits.size(), camtest::rgb24FrameBytes(160, 120));
    std::array<std::uint8_t, 44> header{};
    int size = static_cast<int>(bits.size());
    ASSERT_EQ(harness::onceAFrameIsThere(
                  [&] { return vcx_GetImageMem(bits.data(), &size, header.data()); }),
              0);
    BITMAPINFOHEADER info;
    std::memcpy(&info, header.data(), sizeof info);
    EXPECT_EQ(info.biWidth, 160);
    EXPECT_EQ(info.biHeight, 120);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
    ASSERT_EQ(vcx_SaveBMP(snapshot().c_str()), 0);
    const std::vector<std::uint8_t> saved = bmpBits(snapshot());
    EXPECT_EQ(saved.size(), bits.size());
    if (ours) {
        EXPECT_TRUE(camtest::matchPicture(bits, 160, 120, c.sent).has_value())
            << "vcx_GetImageMem: not the converted picture";
        EXPECT_TRUE(camtest::matchPicture(saved, 160, 120, c.sent).has_value())
            << "vcx_SaveBMP: not the converted picture";
    }
    EXPECT_EQ(vcx_Stop(), 0);
    EXPECT_EQ(vcx_Close(), 0);
}

} // namespace
