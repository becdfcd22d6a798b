// The vcxcam test compressors on Wine's DirectShow: their entries in the
// video compressor category, in list order; unregistration; frames through a
// graph unchanged; and the dialogs they record instead of showing.
#include "camera_support.h"
#include "ids.h"
#include "picture.h"
#include "registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using camtest::ComPtr;
using harness::CategoryEntry;

// The entries of the video compressor category that are vcxcam compressors,
// in enumeration order.
std::vector<CategoryEntry> vcxcamCompressors() {
    std::vector<CategoryEntry> ours;
    for (const CategoryEntry& entry : harness::categoryEntries(CLSID_VideoCompressorCategory)) {
        for (int index = 0; index < vcxcam::kMaxCompressors; ++index) {
            if (entry.clsid == harness::guidString(vcxcam::compressorClsid(index))) {
                ours.push_back(entry);
            }
        }
    }
    return ours;
}

std::vector<std::wstring> numberedNames(int count) {
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(L"Compressor " + std::to_wstring(i));
    }
    return names;
}

struct OrderCase {
    const char* name;
    std::optional<std::vector<std::wstring>> configured; // nothing: no Compressors value
    std::vector<std::wstring> listed;
};

class CompressorOrderTest : public camtest::CameraTest,
                            public testing::WithParamInterface<OrderCase> {};

INSTANTIATE_TEST_SUITE_P(
    Lists, CompressorOrderTest,
    testing::Values(OrderCase{"Default", std::nullopt, {L"vcxcam Identity Compressor"}},
                    OrderCase{"ListOrderNotNameOrder",
                              std::vector<std::wstring>{L"Zeta", L"alpha", L"Beta"},
                              {L"Zeta", L"alpha", L"Beta"}},
                    OrderCase{"EqualNames",
                              std::vector<std::wstring>{L"Same", L"Other", L"Same"},
                              {L"Same", L"Other", L"Same"}},
                    OrderCase{"EmptyList", std::vector<std::wstring>{}, {}},
                    OrderCase{"SixteenAtMost", numberedNames(17), numberedNames(16)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(CompressorOrderTest, CategoryListsEachNameWithItsOwnClassInListOrder) {
    harness::configureCompressors(GetParam().configured);
    std::vector<CategoryEntry> expected;
    for (std::size_t i = 0; i < GetParam().listed.size(); ++i) {
        expected.push_back(
            CategoryEntry{GetParam().listed[i],
                          harness::guidString(vcxcam::compressorClsid(static_cast<int>(i)))});
    }
    EXPECT_EQ(vcxcamCompressors(), expected);
}

class CompressorTest : public camtest::CameraTest {};

TEST_F(CompressorTest, UnregisteringRemovesEveryCompressorThatCouldBeRegistered) {
    harness::configureCompressors(numberedNames(16));
    ASSERT_EQ(vcxcamCompressors().size(), 16u);
    harness::unregisterVcxcam();
    const std::wstring instances =
        L"CLSID\\" + harness::guidString(CLSID_VideoCompressorCategory) + L"\\Instance\\";
    for (int index = 0; index < vcxcam::kMaxCompressors; ++index) {
        const std::wstring clsid = harness::guidString(vcxcam::compressorClsid(index));
        EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid)) << index;
        EXPECT_FALSE(harness::keyExists(HKEY_CLASSES_ROOT, instances + clsid)) << index;
    }
    EXPECT_TRUE(vcxcamCompressors().empty());
}

TEST_F(CompressorTest, FramesPassThroughAGraphUnchanged) {
    const ComPtr<IBaseFilter> camera = camtest::createCamera();
    ComPtr<IBaseFilter> compressor;
    ASSERT_EQ(CoCreateInstance(vcxcam::compressorClsid(0), nullptr, CLSCTX_INPROC_SERVER,
                               IID_IBaseFilter, compressor.putVoid()),
              S_OK);
    camtest::SampleRecorder recorder(12);
    const auto graph =
        camtest::buildPreviewGraph(camera.get(), PIN_CATEGORY_CAPTURE, &recorder, compressor.get());
    const camtest::VideoShape shape = camtest::grabberShape(graph->grabber.get());
    // S_FALSE: the Null Renderer waits for its first sample.
    ASSERT_TRUE(SUCCEEDED(graph->control->Run()));
    ASSERT_TRUE(recorder.waitFor(12));
    graph->control->Stop();
    const std::vector<camtest::SampleRecorder::Sample> samples = recorder.samples();
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(camtest::matchPicture(samples[i].bits, shape.width, shape.height), i) << i;
        EXPECT_TRUE(samples[i].timed) << i;
        EXPECT_EQ(samples[i].discontinuity, i == 0) << i;
    }
}

// A compressor downstream of another shows whether a flush reached it: its
// input refuses the end of the stream (S_FALSE) while flushing.
TEST_F(CompressorTest, FlushesPassOnToTheFilterDownstream) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.putVoid()),
              S_OK);
    const ComPtr<IBaseFilter> camera = camtest::createCamera();
    ComPtr<IBaseFilter> first;
    ComPtr<IBaseFilter> second;
    for (IBaseFilter** compressor : {first.put(), second.put()}) {
        ASSERT_EQ(CoCreateInstance(vcxcam::compressorClsid(0), nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(compressor)),
                  S_OK);
    }
    ASSERT_EQ(graph->AddFilter(camera.get(), L"camera"), S_OK);
    ASSERT_EQ(graph->AddFilter(first.get(), L"first"), S_OK);
    ASSERT_EQ(graph->AddFilter(second.get(), L"second"), S_OK);
    const ComPtr<IPin> firstInput = camtest::findPin(first.get(), L"Input");
    const ComPtr<IPin> secondInput = camtest::findPin(second.get(), L"Input");
    ASSERT_EQ(graph->ConnectDirect(camtest::findPin(camera.get(), L"Capture").get(),
                                   firstInput.get(), nullptr),
              S_OK);
    ASSERT_EQ(graph->ConnectDirect(camtest::findPin(first.get(), L"Output").get(),
                                   secondInput.get(), nullptr),
              S_OK);

    ASSERT_EQ(firstInput->BeginFlush(), S_OK);
    EXPECT_EQ(secondInput->EndOfStream(), S_FALSE);
    ASSERT_EQ(firstInput->EndFlush(), S_OK);
    EXPECT_EQ(secondInput->EndOfStream(), S_OK);
}

struct DialogCase {
    const char* name;
    int dialog;
    HRESULT expected;
    bool recorded;
};

class CompressorDialogTest : public camtest::CameraTest,
                             public testing::WithParamInterface<DialogCase> {};

INSTANTIATE_TEST_SUITE_P(
    Dialogs, CompressorDialogTest,
    testing::Values(DialogCase{"QueryConfig", VfwCompressDialog_QueryConfig, S_OK, false},
                    DialogCase{"QueryAbout", VfwCompressDialog_QueryAbout, S_OK, false},
                    DialogCase{"Config", VfwCompressDialog_Config, S_OK, true},
                    DialogCase{"About", VfwCompressDialog_About, S_OK, true},
                    DialogCase{"Zero", 0, E_INVALIDARG, false},
                    DialogCase{"ConfigAndAbout", VfwCompressDialog_Config | VfwCompressDialog_About,
                               E_INVALIDARG, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(CompressorDialogTest, ShowDialogAnswersAndRecordsOnlyTheDialogsItWouldShow) {
    const DialogCase& c = GetParam();
    harness::deleteTree(HKEY_CURRENT_USER, vcxcam::kLastDialogKey);
    ComPtr<IAMVfwCompressDialogs> dialogs;
    ASSERT_EQ(CoCreateInstance(vcxcam::compressorClsid(0), nullptr, CLSCTX_INPROC_SERVER,
                               IID_IAMVfwCompressDialogs, dialogs.putVoid()),
              S_OK);
    // A handle with bits above 32 (on 32-bit Windows, with the top bit set), to
    // see the whole pointer recorded and not sign-extended.
    const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234567887654321ull));
    const ULONGLONG windowValue = reinterpret_cast<UINT_PTR>(window);
    EXPECT_EQ(dialogs->ShowDialog(c.dialog, window), c.expected);
    const std::optional<DWORD> dialog =
        harness::readDword(HKEY_CURRENT_USER, vcxcam::kLastDialogKey, L"Dialog");
    const std::optional<ULONGLONG> recordedWindow =
        harness::readQword(HKEY_CURRENT_USER, vcxcam::kLastDialogKey, L"Window");
    if (c.recorded) {
        EXPECT_EQ(dialog, static_cast<DWORD>(c.dialog));
        EXPECT_EQ(recordedWindow, windowValue);
    } else {
        EXPECT_FALSE(harness::keyExists(HKEY_CURRENT_USER, vcxcam::kLastDialogKey));
    }
}

} // namespace
