// A platform table for unit tests: COM start-up, object creation, task memory
// and variants are answered by the fake and journaled, events, waits and
// clocks by its FakeSync (fake_sync.h); every other entry fails
// the test that calls it, naming the entry, until the test (or a fake of its
// own) sets it through table(). Creating a FakePlatform installs it;
// destroying it restores the system table.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "core/platform.h"
#include "fakes/fake_com.h"
#include "fakes/fake_sync.h"

namespace fakes {

class FakePlatform {
  public:
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // The table in force. A test sets the entries its code reaches beyond
    // COM; an entry left alone fails the test when called.
    vcx::Platform& table() { return table_; }

    // The FakePlatform in force, or nullptr.
    static FakePlatform* current();

    // What CoInitialize answers.
    HRESULT coInitializeResult = S_OK;
    int coInitializeCalls = 0;
    int coUninitializeCalls = 0;
    // CoInitialize calls that succeeded less CoUninitialize calls: 0 when
    // every start of COM has been balanced.
    int comStarts = 0;

    // CoCreateInstance of clsid hands out object (queried for the asked
    // interface, with a reference added). Classes without an object answer
    // REGDB_E_CLASSNOTREG.
    void provide(REFCLSID clsid, FakeCom& object) { objects_[guidName(clsid)] = &object; }

    // Makes CoCreateInstance of clsid answer hr. A failing hr hands out
    // nothing; a success code other than S_OK still hands out the object.
    void setCreateResult(REFCLSID clsid, HRESULT hr) { createResults_[guidName(clsid)] = hr; }

    // Makes only the nth CoCreateInstance of clsid (1: the first) answer hr,
    // in place of what setCreateResult set.
    void setNthCreateResult(REFCLSID clsid, int nth, HRESULT hr) {
        nthCreateResults_[{guidName(clsid), nth}] = hr;
    }

    // The context CoCreateInstance of clsid was last asked with, or -1.
    long contextOf(REFCLSID clsid) const;

    // Memory given to CoTaskMemFree, by count.
    int taskMemFrees = 0;

    // VariantInit and VariantClear calls, by count (both reach the system's
    // own, so a BSTR a fake put in a VARIANT is freed).
    int variantInits = 0;
    int variantClears = 0;

  private:
    static HRESULT WINAPI coInitialize(LPVOID reserved);
    static void WINAPI coUninitialize();
    static HRESULT WINAPI coCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                           REFIID iid, LPVOID* object);
    static void WINAPI coTaskMemFree(LPVOID memory);
    static void WINAPI variantInit(VARIANTARG* variant);
    static HRESULT WINAPI variantClear(VARIANTARG* variant);

    vcx::Platform table_;

  public:
    // Events, waits and clocks (fake_sync.h), in place for every test.
    FakeSync sync{table_};

  private:
    std::map<std::string, FakeCom*> objects_;
    std::map<std::string, HRESULT> createResults_;
    std::map<std::string, DWORD> contexts_;
    std::map<std::pair<std::string, int>, HRESULT> nthCreateResults_;
    std::map<std::string, int> creations_;
};

} // namespace fakes
