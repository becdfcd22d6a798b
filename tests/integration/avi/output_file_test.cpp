// The AVI writer's file on Wine's file system: what setting the output file
// answers for each kind of name, and what a writer leaves behind when it
// goes, with and without a recording.
#include "avi/avi_output.h"

#include "camera_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using camtest::ComPtr;

const wchar_t* const kFile = L"output_file_test.avi";

ComPtr<IGraphBuilder> createGraph() {
    ComPtr<IGraphBuilder> graph;
    harness::checkHr(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGraphBuilder, graph.putVoid()),
                     "creating the graph");
    return graph;
}

int filterCount(IGraphBuilder* graph) {
    ComPtr<IEnumFilters> filters;
    harness::checkHr(graph->EnumFilters(filters.put()), "EnumFilters");
    int count = 0;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.put(), nullptr) == S_OK) {
        ++count;
    }
    return count;
}

void writeText(const wchar_t* name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

std::string readText(const wchar_t* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const wchar_t* name) {
    return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
}

// A read-only file is no row: the tests run as root, for whom Wine opens it
// for writing.
enum class Name { Plain, MissingFolder, Folder, Null };

struct OutputCase {
    const char* label;
    bool graph;
    const GUID* type;
    Name name;
    bool multiplexer;
    HRESULT expected;
};

class AviOutputTest : public testing::TestWithParam<OutputCase> {
  protected:
    void TearDown() override {
        DeleteFileW(kFile);
        RemoveDirectoryW(kFile);
    }
    harness::ComScope com_;
};

INSTANTIATE_TEST_SUITE_P(
    Names, AviOutputTest,
    testing::Values(OutputCase{"Opens", true, &MEDIASUBTYPE_Avi, Name::Plain, true, S_OK},
                    OutputCase{"NoGraph", false, &MEDIASUBTYPE_Avi, Name::Plain, true, E_POINTER},
                    OutputCase{"NoType", true, nullptr, Name::Plain, true, E_POINTER},
                    OutputCase{"NoName", true, &MEDIASUBTYPE_Avi, Name::Null, true, E_POINTER},
                    OutputCase{"NoMultiplexer", true, &MEDIASUBTYPE_Avi, Name::Plain, false,
                               E_POINTER},
                    OutputCase{"NotAvi", true, &MEDIASUBTYPE_Asf, Name::Plain, true, E_INVALIDARG},
                    OutputCase{"MissingFolder", true, &MEDIASUBTYPE_Avi, Name::MissingFolder, true,
                               HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
                    OutputCase{"Folder", true, &MEDIASUBTYPE_Avi, Name::Folder, true,
                               HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_P(AviOutputTest, AnswersAndLeavesNothingBehindOnFailure) {
    const OutputCase& c = GetParam();
    const wchar_t* name = kFile;
    if (c.name == Name::MissingFolder) {
        name = L"no such folder\\output_file_test.avi";
    } else if (c.name == Name::Folder) {
        ASSERT_TRUE(CreateDirectoryW(kFile, nullptr));
    } else if (c.name == Name::Null) {
        name = nullptr;
    }
    const ComPtr<IGraphBuilder> graph = createGraph();
    IBaseFilter* multiplexer = reinterpret_cast<IBaseFilter*>(1);
    IFileSinkFilter* sink = reinterpret_cast<IFileSinkFilter*>(1);
    const HRESULT hr = vcx::setAviOutputFileName(c.graph ? graph.get() : nullptr, c.type, name,
                                                 c.multiplexer ? &multiplexer : nullptr, &sink);
    EXPECT_EQ(hr, c.expected);
    if (FAILED(hr)) {
        EXPECT_EQ(multiplexer, c.multiplexer ? nullptr : reinterpret_cast<IBaseFilter*>(1));
        EXPECT_EQ(sink, nullptr);
        EXPECT_EQ(filterCount(graph.get()), 0);
        return;
    }
    FILTER_INFO info{};
    ASSERT_EQ(multiplexer->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"AVI Writer");
    EXPECT_EQ(info.pGraph, static_cast<IFilterGraph*>(graph.get()));
    info.pGraph->Release();
    EXPECT_TRUE(exists(kFile));
    sink->Release();
    multiplexer->Release();
}

struct LeftCase {
    const char* label;
    bool existed;
    bool record;
    bool remains;
};

class AviLeftBehindTest : public testing::TestWithParam<LeftCase> {
  protected:
    void TearDown() override { DeleteFileW(kFile); }
    harness::ComScope com_;
};

INSTANTIATE_TEST_SUITE_P(Writers, AviLeftBehindTest,
                         testing::Values(LeftCase{"NewFileUnused", false, false, false},
                                         LeftCase{"OldFileUnused", true, false, true},
                                         LeftCase{"NewFileRecorded", false, true, true},
                                         LeftCase{"OldFileRecorded", true, true, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_P(AviLeftBehindTest, WriterDeletesOnlyAFileItCreatedAndNeverRecorded) {
    const LeftCase& c = GetParam();
    if (c.existed) {
        writeText(kFile, "old content");
    }
    {
        const ComPtr<IGraphBuilder> graph = createGraph();
        ComPtr<IBaseFilter> writer;
        ASSERT_EQ(
            vcx::setAviOutputFileName(graph.get(), &MEDIASUBTYPE_Avi, kFile, writer.put(), nullptr),
            S_OK);
        // Opening keeps what the file holds.
        EXPECT_EQ(readText(kFile), c.existed ? "old content" : "");
        const ComPtr<IBaseFilter> camera = camtest::createCamera();
        ASSERT_EQ(graph->AddFilter(camera.get(), L"Camera"), S_OK);
        ASSERT_EQ(graph->ConnectDirect(camtest::findPin(camera.get(), L"Capture").get(),
                                       camtest::findPin(writer.get(), L"Input").get(), nullptr),
                  S_OK);
        if (c.record) {
            // Paused and stopped: a recording without frames.
            ComPtr<IMediaControl> control;
            ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.putVoid()), S_OK);
            ASSERT_EQ(control->Pause(), S_OK);
            ASSERT_EQ(control->Stop(), S_OK);
        }
    }
    EXPECT_EQ(exists(kFile), c.remains);
    const std::string content = readText(kFile);
    if (c.record) {
        EXPECT_EQ(content.substr(0, 4), "RIFF");
        EXPECT_EQ(content.substr(8, 4), "AVI ");
    } else if (c.remains) {
        EXPECT_EQ(content, "old content");
    }
}

} // namespace
