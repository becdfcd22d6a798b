// Property pages: a filter that offers ISpecifyPropertyPages, the page list
// a fake hands out, and OleCreatePropertyFrame faked on the platform table.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "fakes/fake_directshow.h"
#include "fakes/fake_filter_enum.h"
#include "fakes/fake_platform.h"

namespace fakes {

// The page list as GetPages hands it out: pElems CoTaskMemAlloc'd (see
// fake_task_memory.h), null for no pages.
void handOutPages(const std::vector<CLSID>& pages, CAUUID* out);

// A named filter with property pages: ISpecifyPropertyPages on the filter
// object.
class FakePagesFilter : public FakeNamedFilter, public ISpecifyPropertyPages {
  public:
    FakePagesFilter(std::string name, std::wstring graphName, FakeCom* graph)
        : FakeNamedFilter(std::move(name), std::move(graphName), graph) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return query(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(filterReleaseName()); }
    void* find(REFIID iid) override;

    std::vector<CLSID> pages;

    // Journaled "GetPages"; a failing configured result hands out nothing.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* out) override;
};

// OleCreatePropertyFrame: journals "frame.OleCreatePropertyFrame(<object>,
// <n> pages)" and records its arguments; answers any configured result.
class FakePropertyFrame : public FakeCom {
  public:
    // Sets the entry of platform's table for the fake's lifetime.
    explicit FakePropertyFrame(FakePlatform& platform);
    ~FakePropertyFrame() override;
    void* find(REFIID) override { return nullptr; }

    struct Shown {
        HWND owner;
        UINT x;
        UINT y;
        std::wstring caption;
        std::vector<IUnknown*> objects;
        std::vector<CLSID> pages;
        const CLSID* pageList;
        LCID locale;
        DWORD reserved;
        void* reserved2;
        // Task memory handed out by fakes and not yet freed while it showed.
        std::vector<void*> outstanding;
    };
    std::vector<Shown> shown;

  private:
    static HRESULT WINAPI show(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount,
                               LPUNKNOWN* objects, ULONG pageCount, LPCLSID pages, LCID locale,
                               DWORD reserved, LPVOID reserved2);
    FakePlatform& platform_;
};

} // namespace fakes
