#include "core/platform.h"

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
    // Wired to the library's AVI writer once it is part of the build; null
    // leaves a builder's E_NOTIMPL standing.
    .setAviOutputFileName = nullptr,
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
