#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <type_traits>

#include "fakes/fake_task_memory.h"
#include "fakes/injector.h"

namespace fakes {
namespace {

FakePlatform* installed = nullptr;

// The name of a platform entry, for the failure a loud entry reports.
template <auto Entry> const char* entryName = "";

// An entry no test has set: calling it fails the running test and answers
// zero (a null pointer, FALSE, S_OK), which the failure already makes moot.
template <auto Entry, class Result> Result unfaked() {
    ADD_FAILURE() << "the library called the platform entry "
                  << entryName<Entry> << ", which this test has not faked";
    if constexpr (!std::is_void_v<Result>) {
        return Result{};
    }
}

template <auto Entry, class Function> struct Loud;
template <auto Entry, class Result, class... Args> struct Loud<Entry, Result(WINAPI*)(Args...)> {
    static Result WINAPI call(Args...) { return unfaked<Entry, Result>(); }
};
#ifndef _WIN64
// On 32-bit Windows, entries of the C calling convention have a type of their own.
template <auto Entry, class Result, class... Args> struct Loud<Entry, Result (*)(Args...)> {
    static Result call(Args...) { return unfaked<Entry, Result>(); }
};
#endif

template <auto Entry> void makeLoud(vcx::Platform& table, const char* name) {
    entryName<Entry> = name;
    table.*Entry = &Loud<Entry, std::remove_reference_t<decltype(table.*Entry)>>::call;
}

#define VCX_LOUD(entry) makeLoud<&vcx::Platform::entry>(table_, #entry)

} // namespace

FakePlatform::FakePlatform() : table_(vcx::systemPlatform()) {
    table_.coInitialize = coInitialize;
    table_.coUninitialize = coUninitialize;
    table_.coCreateInstance = coCreateInstance;
    table_.coTaskMemFree = coTaskMemFree;
    table_.variantInit = variantInit;
    table_.variantClear = variantClear;
    VCX_LOUD(oleCreatePropertyFrame);
    VCX_LOUD(setDIBitsToDevice);
    VCX_LOUD(setRect);
    VCX_LOUD(createFileA);
    VCX_LOUD(writeFile);
    VCX_LOUD(deleteFileA);
    VCX_LOUD(getProcessHeap);
    VCX_LOUD(heapAlloc);
    VCX_LOUD(heapFree);
    VCX_LOUD(wideCharToMultiByte);
    VCX_LOUD(setAviOutputFileName);
    // FakeSync (a member) has set the events, waits, messages, clocks and
    // CloseHandle.
    static_assert(sizeof(vcx::Platform) == 28 * sizeof(void*),
                  "a new platform entry needs a fake or a VCX_LOUD line here");
    installed = this;
    vcx::installPlatform(&table_);
}

#undef VCX_LOUD

FakePlatform::~FakePlatform() {
    vcx::installPlatform(nullptr);
    installed = nullptr;
}

FakePlatform* FakePlatform::current() {
    return installed;
}

long FakePlatform::contextOf(REFCLSID clsid) const {
    auto found = contexts_.find(guidName(clsid));
    return found == contexts_.end() ? -1 : static_cast<long>(found->second);
}

HRESULT WINAPI FakePlatform::coInitialize(LPVOID reserved) {
    const char* entry = reserved == nullptr ? "CoInitialize(null)" : "CoInitialize(non-null)";
    journal().record(entry);
    ++installed->coInitializeCalls;
    const HRESULT hr = injector().answer(entry, installed->coInitializeResult);
    installed->comStarts += SUCCEEDED(hr) ? 1 : 0;
    return hr;
}

void WINAPI FakePlatform::coUninitialize() {
    journal().record("CoUninitialize");
    ++installed->coUninitializeCalls;
    --installed->comStarts;
}

HRESULT WINAPI FakePlatform::coCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                              REFIID iid, LPVOID* object) {
    const std::string name = guidName(clsid);
    char entry[200];
    std::snprintf(entry, sizeof entry, "CoCreateInstance(%s, %s, %s, %lu)", name.c_str(),
                  outer == nullptr ? "null" : "outer", guidName(iid).c_str(),
                  static_cast<unsigned long>(context));
    journal().record(entry);
    installed->contexts_[name] = context;
    *object = nullptr;
    HRESULT hr = S_OK;
    if (auto set = installed->createResults_.find(name); set != installed->createResults_.end()) {
        hr = set->second;
    }
    const int nth = ++installed->creations_[name];
    if (auto set = installed->nthCreateResults_.find({name, nth});
        set != installed->nthCreateResults_.end()) {
        hr = set->second;
    }
    hr = injector().answer(entry, hr);
    if (FAILED(hr)) {
        return hr;
    }
    auto found = installed->objects_.find(name);
    if (found == installed->objects_.end()) {
        return REGDB_E_CLASSNOTREG;
    }
    const HRESULT handed = found->second->handOut(iid, object);
    return handed == S_OK ? hr : handed;
}

void WINAPI FakePlatform::coTaskMemFree(LPVOID memory) {
    journal().record(memory == nullptr ? "CoTaskMemFree(null)" : "CoTaskMemFree");
    ++installed->taskMemFrees;
    noteTaskMemoryFreed(memory);
    CoTaskMemFree(memory);
}

void WINAPI FakePlatform::variantInit(VARIANTARG* variant) {
    journal().record("VariantInit");
    ++installed->variantInits;
    VariantInit(variant);
}

HRESULT WINAPI FakePlatform::variantClear(VARIANTARG* variant) {
    journal().record("VariantClear");
    ++installed->variantClears;
    const HRESULT hr = VariantClear(variant);
    return injector().answer("VariantClear", hr);
}

} // namespace fakes
