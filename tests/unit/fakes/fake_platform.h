// A platform table for unit tests: COM start-up and object creation are
// answered by the test, and every call is journaled. Creating a FakePlatform
// installs it; destroying it restores the system table.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "core/platform.h"
#include "fakes/fake_com.h"

namespace fakes {

class FakePlatform {
  public:
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // What CoInitialize answers.
    HRESULT coInitializeResult = S_OK;
    int coInitializeCalls = 0;
    int coUninitializeCalls = 0;

    // CoCreateInstance of clsid hands out object (queried for the asked
    // interface, with a reference added). Classes without an object answer
    // REGDB_E_CLASSNOTREG.
    void provide(REFCLSID clsid, FakeCom& object) { objects_[guidName(clsid)] = &object; }

    // Makes CoCreateInstance of clsid answer hr. A failing hr hands out
    // nothing; a success code other than S_OK still hands out the object.
    void setCreateResult(REFCLSID clsid, HRESULT hr) { createResults_[guidName(clsid)] = hr; }

    // The context CoCreateInstance of clsid was last asked with, or -1.
    long contextOf(REFCLSID clsid) const;

    // Memory given to CoTaskMemFree, by count.
    int taskMemFrees = 0;

  private:
    static HRESULT WINAPI coInitialize(LPVOID reserved);
    static void WINAPI coUninitialize();
    static HRESULT WINAPI coCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                           REFIID iid, LPVOID* object);
    static void WINAPI coTaskMemFree(LPVOID memory);

    vcx::Platform table_;
    std::map<std::string, FakeCom*> objects_;
    std::map<std::string, HRESULT> createResults_;
    std::map<std::string, DWORD> contexts_;
};

} // namespace fakes
