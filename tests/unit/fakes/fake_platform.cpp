#include "fakes/fake_platform.h"

#include <cstdio>

namespace fakes {
namespace {

FakePlatform* current = nullptr;

} // namespace

FakePlatform::FakePlatform() : table_(vcx::systemPlatform()) {
    table_.coInitialize = coInitialize;
    table_.coUninitialize = coUninitialize;
    table_.coCreateInstance = coCreateInstance;
    table_.coTaskMemFree = coTaskMemFree;
    current = this;
    vcx::installPlatform(&table_);
}

FakePlatform::~FakePlatform() {
    vcx::installPlatform(nullptr);
    current = nullptr;
}

long FakePlatform::contextOf(REFCLSID clsid) const {
    auto found = contexts_.find(guidName(clsid));
    return found == contexts_.end() ? -1 : static_cast<long>(found->second);
}

HRESULT WINAPI FakePlatform::coInitialize(LPVOID reserved) {
    journal().record(reserved == nullptr ? "CoInitialize(null)" : "CoInitialize(non-null)");
    ++current->coInitializeCalls;
    return current->coInitializeResult;
}

void WINAPI FakePlatform::coUninitialize() {
    journal().record("CoUninitialize");
    ++current->coUninitializeCalls;
}

HRESULT WINAPI FakePlatform::coCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                              REFIID iid, LPVOID* object) {
    const std::string name = guidName(clsid);
    char entry[200];
    std::snprintf(entry, sizeof entry, "CoCreateInstance(%s, %s, %s, %lu)", name.c_str(),
                  outer == nullptr ? "null" : "outer", guidName(iid).c_str(),
                  static_cast<unsigned long>(context));
    journal().record(entry);
    current->contexts_[name] = context;
    *object = nullptr;
    HRESULT hr = S_OK;
    if (auto set = current->createResults_.find(name); set != current->createResults_.end()) {
        hr = set->second;
    }
    if (FAILED(hr)) {
        return hr;
    }
    auto found = current->objects_.find(name);
    if (found == current->objects_.end()) {
        return REGDB_E_CLASSNOTREG;
    }
    const HRESULT handed = found->second->handOut(iid, object);
    return handed == S_OK ? hr : handed;
}

void WINAPI FakePlatform::coTaskMemFree(LPVOID memory) {
    journal().record(memory == nullptr ? "CoTaskMemFree(null)" : "CoTaskMemFree");
    ++current->taskMemFrees;
    CoTaskMemFree(memory);
}

} // namespace fakes
