// Measures the library's AVI writer against plain WriteFile: N frames of
// 1920x1080 RGB24, stamped at 30 fps, written through the writer's input pin
// (placing by time, headers, indices and finishing included), and the same
// frame bytes written with one WriteFile per frame, to the same folder, in
// rounds of one run that take turns at going first.
// Prints the time of each round and the ratio writer / WriteFile of the totals.
//
//   avi_write_rate.exe [FOLDER] [FRAMES]    (default: the current folder, 150)
#include "avi/avi_output.h"
#include "bench_support.h"
#include "core/com_ptr.h"
#include "filterbase/media_type.h"
#include "push_source.h"
#include "picture.h"
#include "video_type.h"

#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr REFERENCE_TIME kInterval = 333'333;
constexpr int kRounds = 6;

using vcx::ComPtr;

using bench::nowSeconds;

bool check(HRESULT hr, const char* what) {
    return bench::check("avi_write_rate", hr, what);
}

// Records frames through the writer into path; false on a failure.
bool recordThroughWriter(IGraphBuilder* graph, harness::PushSource& source,
                         const std::wstring& path, int frames) {
    ComPtr<IBaseFilter> writer;
    ComPtr<IPin> input;
    bool ok = check(vcx::setAviOutputFileName(graph, &MEDIASUBTYPE_Avi, path.c_str(), writer.put(),
                                              nullptr),
                    "setting the output file") &&
              check(graph->RemoveFilter(writer.get()), "taking the writer out of the graph") &&
              check(writer->FindPin(L"Input", input.put()), "finding the input pin") &&
              check(source.pin().Connect(input.get(), nullptr), "connecting") &&
              check(writer->Pause(), "Pause") && check(source.Pause(), "pausing the source");
    const long bytes = static_cast<long>(vcxcam::frameSize(kWidth, kHeight));
    for (int frame = 0; ok && frame < frames; ++frame) {
        // Every frame sends an allocator's buffer as it is: what the bytes are
        // does not change how long writing them takes. Stamped as a camera at
        // 30 fps stamps them: the writer places each by its time.
        ok = check(source.send(nullptr, bytes, frame * kInterval, kInterval), "Receive");
    }
    source.Stop();
    if (writer) {
        ok = check(writer->Stop(), "Stop") && ok;
    }
    // The connection holds each filter from the other's pin.
    source.pin().Disconnect();
    if (input) {
        input->Disconnect();
    }
    return ok;
}

// Seconds to open path, record frames through the writer and close the file,
// or a negative value.
double timeWriter(const std::wstring& path, int frames) {
    ComPtr<IGraphBuilder> graph;
    filterbase::MediaType type;
    if (!check(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.putVoid()),
               "creating the graph") ||
        !check(vcxcam::makeVideoType(vcxcam::Capability{kWidth, kHeight, kInterval, false}, type),
               "making the type")) {
        return -1.0;
    }
    harness::PushSource* source = harness::PushSource::create(
        type.get(), static_cast<long>(vcxcam::frameSize(kWidth, kHeight)));
    if (source == nullptr) {
        return -1.0;
    }
    const double begin = nowSeconds();
    const bool ok = recordThroughWriter(graph.get(), *source, path, frames);
    const double seconds = nowSeconds() - begin;
    source->Release();
    return ok ? seconds : -1.0;
}

// Seconds to write the same frame bytes with one WriteFile per frame.
double timeWriteFile(const std::wstring& path, int frames) {
    std::vector<std::uint8_t> frame(vcxcam::frameSize(kWidth, kHeight));
    vcxcam::drawFrame(frame.data(), kWidth, kHeight, 0);
    const double begin = nowSeconds();
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        check(HRESULT_FROM_WIN32(GetLastError()), "CreateFileW");
        return -1.0;
    }
    bool ok = true;
    for (int i = 0; ok && i < frames; ++i) {
        DWORD written = 0;
        ok = WriteFile(file, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr) &&
             written == frame.size();
    }
    CloseHandle(file);
    return ok ? nowSeconds() - begin : -1.0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring folder = argc > 1 ? argv[1] : L".";
    const int frames = argc > 2 ? _wtoi(argv[2]) : 150;
    if (frames <= 0) {
        std::fprintf(stderr, "avi_write_rate: FRAMES must be positive\n");
        return 2;
    }
    if (!check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx")) {
        return 2;
    }
    const std::wstring aviPath = folder + L"\\avi_write_rate.avi";
    const std::wstring rawPath = folder + L"\\avi_write_rate.raw";
    const double megabytes = static_cast<double>(vcxcam::frameSize(kWidth, kHeight)) * frames / 1e6;
    std::printf("%d frames of 1920x1080 RGB24 (%.0f MB) per round\n", frames, megabytes);
    double writerTotal = 0.0;
    double plainTotal = 0.0;
    int status = 0;
    for (int round = 0; round < kRounds && status == 0; ++round) {
        // Each goes first in every other round, so neither always meets the
        // disk still busy with the other's bytes.
        double writer = 0.0;
        double plain = 0.0;
        if (round % 2 == 0) {
            writer = timeWriter(aviPath, frames);
            plain = timeWriteFile(rawPath, frames);
        } else {
            plain = timeWriteFile(rawPath, frames);
            writer = timeWriter(aviPath, frames);
        }
        DeleteFileW(aviPath.c_str());
        DeleteFileW(rawPath.c_str());
        if (writer < 0 || plain < 0) {
            status = 2;
            break;
        }
        std::printf("  round %d: writer %.3f s (%.0f frames/s), WriteFile %.3f s (%.0f frames/s)\n",
                    round + 1, writer, frames / writer, plain, frames / plain);
        writerTotal += writer;
        plainTotal += plain;
    }
    if (status == 0) {
        std::printf("writer / WriteFile time: %.3f; writer rate %.0f frames/s (30 needed)\n",
                    writerTotal / plainTotal, kRounds * frames / writerTotal);
        bench::reportRatio("AVI_writer/WriteFile_time@1920x1080", writerTotal / plainTotal);
        bench::reportRatio("AVI_writer_rate/30fps@1920x1080", kRounds * frames / writerTotal / 30,
                           ">=", 1);
    }
    CoUninitialize();
    return status;
}
