#include "session.h"

#include "results.h"
#include "text.h"
#include "vcxcap.h"

namespace cli {

namespace {

// Lists are asked for afresh by each call: room for a device that arrives
// between the size query and the list.
constexpr std::size_t kHeadroom = 64 * 1024;

using SizeQuery = int (*)(int);
using ListExport = int (*)(char*, int);

struct ListCalls {
    const char* sizeName;
    SizeQuery size;
    const char* listName;
    ListExport list;
    int emptyCategory; // the result of both exports when the category is empty
};

std::vector<std::string> readList(const ListCalls& calls, int audio) {
    const int size = calls.size(audio);
    if (size == calls.emptyCategory) {
        return {};
    }
    check(calls.sizeName, size);
    std::string buffer(static_cast<std::size_t>(size) + kHeadroom, '\0');
    const int count = calls.list(buffer.data(), audio);
    if (count == calls.emptyCategory) {
        return {};
    }
    check(calls.listName, count);
    const std::optional<std::vector<std::string>> entries =
        splitNameList(std::string_view(buffer.c_str()));
    if (!entries || entries->size() != static_cast<std::size_t>(count)) {
        throw CommandError(std::string(calls.listName) + " wrote no list of " +
                           std::to_string(count) + " entries");
    }
    std::vector<std::string> names;
    for (const std::string& entry : *entries) {
        names.push_back(utf8FromAnsi(entry));
    }
    return names;
}

} // namespace

int check(const char* exportName, int result) {
    if (result < 0) {
        throw CommandError(describeResult(exportName, result));
    }
    return result;
}

Library::Library() {
    check("vcx_Init", vcx_Init());
}

Library::~Library() {
    vcx_Exit();
}

OpenSlot::OpenSlot(int device, int mode, const std::wstring& fileName, const std::wstring& codec) {
    vcx_SetActiveSel(0);
    const auto file = reinterpret_cast<vcx_intptr>(fileName.c_str());
    const auto compressor = codec.empty() ? 0 : reinterpret_cast<vcx_intptr>(codec.c_str());
    result_ = check("vcx_Open", vcx_Open(device, mode, 0, file, compressor));
}

OpenSlot::~OpenSlot() {
    vcx_Close();
}

std::vector<std::string> readDeviceList(int audio) {
    return readList({"vcx_GetDeviceListSize", vcx_GetDeviceListSize, "vcx_GetDeviceList",
                     vcx_GetDeviceList, -2},
                    audio);
}

std::vector<std::string> readCodecList(int audio) {
    return readList(
        {"vcx_GetCodecListSize", vcx_GetCodecListSize, "vcx_GetCodecList", vcx_GetCodecList, -3},
        audio);
}

std::vector<std::string> readDevicePathList() {
    return readList({"vcx_GetDevicePathListSize", [](int) { return vcx_GetDevicePathListSize(); },
                     "vcx_GetDevicePathList",
                     [](char* buffer, int) { return vcx_GetDevicePathList(buffer); }, -2},
                    0);
}

std::vector<std::string> readAudioFormatList(int device) {
    constexpr int kNoStreamConfig = -8;
    return readList({"vcx_GetAudioFormatListSize", vcx_GetAudioFormatListSize,
                     "vcx_GetAudioFormatList",
                     [](char* buffer, int index) { return vcx_GetAudioFormatList(index, buffer); },
                     kNoStreamConfig},
                    device);
}

std::optional<std::vector<std::string>> readControlList() {
    constexpr int kNoControlInterface = -4;
    if (vcx_GetDevControlListSize() == kNoControlInterface) {
        return std::nullopt;
    }
    return readList({"vcx_GetDevControlListSize", [](int) { return vcx_GetDevControlListSize(); },
                     "vcx_GetDevControlList",
                     [](char* buffer, int) { return vcx_GetDevControlList(buffer); },
                     kNoControlInterface},
                    0);
}

} // namespace cli
