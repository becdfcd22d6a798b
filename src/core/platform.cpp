#include "core/platform.h"

#include "avi/avi_output.h"

namespace vcx {
namespace {

const Platform systemTable = {
    .coInitialize = CoInitialize,
    .coUninitialize = CoUninitialize,
    .coCreateInstance = CoCreateInstance,
    .coTaskMemFree = CoTaskMemFree,
    .variantInit = VariantInit,
    .variantClear = VariantClear,
    .oleCreatePropertyFrame = OleCreatePropertyFrame,
    .setDIBitsToDevice = SetDIBitsToDevice,
    .setRect = SetRect,
    .createFileA = CreateFileA,
    .writeFile = WriteFile,
    .closeHandle = CloseHandle,
    .deleteFileA = DeleteFileA,
    .getProcessHeap = GetProcessHeap,
    .heapAlloc = HeapAlloc,
    .heapFree = HeapFree,
    .wideCharToMultiByte = WideCharToMultiByte,
    .createEventW = CreateEventW,
    .setEvent = SetEvent,
    .msgWaitForMultipleObjectsEx = MsgWaitForMultipleObjectsEx,
    .peekMessageW = PeekMessageW,
    .translateMessage = TranslateMessage,
    .dispatchMessageW = DispatchMessageW,
    .postQuitMessage = PostQuitMessage,
    .getTickCount64 = GetTickCount64,
    .queryPerformanceCounter = QueryPerformanceCounter,
    .queryPerformanceFrequency = QueryPerformanceFrequency,
    .setAviOutputFileName = setAviOutputFileName,
};

const Platform* current = &systemTable;

} // namespace

const Platform& platform() {
    return *current;
}

const Platform& systemPlatform() {
    return systemTable;
}

void installPlatform(const Platform* table) {
    current = table ? table : &systemTable;
}

} // namespace vcx
