#include "fakes/fake_property_pages.h"

#include <cstring>

#include "fakes/fake_task_memory.h"

namespace fakes {
namespace {

FakePropertyFrame* activeFrame = nullptr;

} // namespace

void handOutPages(const std::vector<CLSID>& pages, CAUUID* out) {
    out->cElems = static_cast<ULONG>(pages.size());
    out->pElems = nullptr;
    if (!pages.empty()) {
        out->pElems = static_cast<GUID*>(allocateTaskMemory(pages.size() * sizeof(GUID)));
        std::memcpy(out->pElems, pages.data(), pages.size() * sizeof(GUID));
    }
}

// FakePagesFilter

void* FakePagesFilter::find(REFIID iid) {
    if (iid == IID_ISpecifyPropertyPages) {
        return static_cast<ISpecifyPropertyPages*>(this);
    }
    return FakeNamedFilter::find(iid);
}

HRESULT FakePagesFilter::GetPages(CAUUID* out) {
    const HRESULT hr = call("GetPages");
    if (SUCCEEDED(hr)) {
        handOutPages(pages, out);
    }
    return hr;
}

// FakePropertyFrame

FakePropertyFrame::FakePropertyFrame(FakePlatform& platform)
    : FakeCom("frame"), platform_(platform) {
    activeFrame = this;
    platform_.table().oleCreatePropertyFrame = show;
}

FakePropertyFrame::~FakePropertyFrame() {
    activeFrame = nullptr;
}

HRESULT WINAPI FakePropertyFrame::show(HWND owner, UINT x, UINT y, LPCOLESTR caption,
                                       ULONG objectCount, LPUNKNOWN* objects, ULONG pageCount,
                                       LPCLSID pages, LCID locale, DWORD reserved,
                                       LPVOID reserved2) {
    Shown record{owner,
                 x,
                 y,
                 caption != nullptr ? caption : L"(null)",
                 {},
                 {},
                 pages,
                 locale,
                 reserved,
                 reserved2,
                 outstandingTaskMemory()};
    record.objects.assign(objects, objects + objectCount);
    if (pages != nullptr) {
        record.pages.assign(pages, pages + pageCount);
    }
    activeFrame->shown.push_back(std::move(record));
    const std::string object = objectCount == 1 ? describe(objects[0]) : "objects";
    return activeFrame->call("OleCreatePropertyFrame(" + object + ", " + std::to_string(pageCount) +
                             " pages)");
}

} // namespace fakes
