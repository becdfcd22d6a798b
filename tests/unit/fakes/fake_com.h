// Building blocks of the fake platform: a journal of every call the library
// makes on a fake, and a base for fake COM objects whose reference count is
// observable and whose every call can be made to return any HRESULT.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/injector.h"

namespace fakes {

// The calls made on fakes, in order, as "object.Method(arguments)".
class Journal {
  public:
    void record(std::string entry) { entries_.push_back(std::move(entry)); }
    void clear() { entries_.clear(); }
    const std::vector<std::string>& entries() const { return entries_; }
    // The entries that contain needle, in order.
    std::vector<std::string> matching(std::string_view needle) const;
    // Whether an entry equals text.
    bool contains(std::string_view text) const;
    // Position of the first entry equal to text, or -1.
    int indexOf(std::string_view text) const;

  private:
    std::vector<std::string> entries_;
};

Journal& journal();

// A readable name of a well-known GUID (class, interface, category, media
// type), or its registry form.
std::string guidName(REFGUID guid);

// Narrows UTF-16 text for journal entries.
std::string narrow(const wchar_t* text);

// Reference counting, QueryInterface and result control shared by every fake.
// A fake starts with one reference, owned by the test that made it.
class FakeCom {
  public:
    explicit FakeCom(std::string name);
    FakeCom(const FakeCom&) = delete;
    FakeCom& operator=(const FakeCom&) = delete;
    virtual ~FakeCom();

    // Every fake alive, in order of creation.
    static const std::vector<FakeCom*>& living();
    // The reference count of every fake alive, by name.
    static std::map<std::string, ULONG> referenceCounts();

    const std::string& name() const { return name_; }
    ULONG refs() const { return refs_; }

    // Makes calls return hr: a key with parentheses, "AddFilter(Sample
    // Grabber)", matches that exact call; a bare method name, "AddFilter",
    // every call of the method. QueryInterface answers to
    // "QueryInterface(IMediaControl)" and the like.
    void setResult(const std::string& call, HRESULT hr) { results_[call] = hr; }

    // The interface pointer for iid, or nullptr; no reference is added.
    virtual void* find(REFIID iid) = 0;

    // The object's IUnknown, without adding a reference.
    IUnknown* unknown() { return static_cast<IUnknown*>(find(IID_IUnknown)); }

    ULONG addRef() { return ++refs_; }
    // Drops a reference, journaled as "name.Release", or "name.Release(via)"
    // when the object tells its interfaces' releases apart.
    ULONG release(const char* via = nullptr);

    // Hands out iid with a reference added, as a platform would on creation,
    // without journaling. E_NOINTERFACE when the fake lacks iid.
    HRESULT handOut(REFIID iid, void** out);

  protected:
    // Journals "name.call" and answers the configured result (S_OK unless set),
    // or the fault the injector puts there: a call of site's kind.
    HRESULT call(const std::string& call, Site site = Site::kHresult);
    // The result set for call (S_OK unless set), not journaled or counted.
    HRESULT configured(const std::string& call) const;
    // QueryInterface journaled as "name.QueryInterface(IID name)". A failing
    // configured result hands out nothing; a success code hands out the
    // interface with that code.
    HRESULT query(REFIID iid, void** out);

  private:
    std::string name_;
    ULONG refs_ = 1;
    std::map<std::string, HRESULT> results_;
};

// QueryInterface and AddRef of a fake class, forwarded to FakeCom.
#define FAKE_QUERY_INTERFACE_AND_ADDREF                                                            \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {                    \
        return query(iid, out);                                                                    \
    }                                                                                              \
    ULONG STDMETHODCALLTYPE AddRef() override {                                                    \
        return addRef();                                                                           \
    }

// The IUnknown methods of a fake class, forwarded to FakeCom.
#define FAKE_IUNKNOWN                                                                              \
    FAKE_QUERY_INTERFACE_AND_ADDREF                                                                \
    ULONG STDMETHODCALLTYPE Release() override {                                                   \
        return release();                                                                          \
    }

// Gives interface I a Release of its own, journaled as "name.Release(Name)",
// for objects whose interfaces a test must tell apart in the release order.
// The object derives from SeparateRelease<I, Name> instead of I, declares
// FAKE_IUNKNOWN_SEPARATE_RELEASE instead of FAKE_IUNKNOWN, and no Release.
template <class I, const char* Name> class SeparateRelease : public I {
  public:
    ULONG STDMETHODCALLTYPE Release() final { return releaseVia(Name); }

  protected:
    virtual ULONG releaseVia(const char* via) = 0;
};

#define FAKE_IUNKNOWN_SEPARATE_RELEASE                                                             \
    FAKE_QUERY_INTERFACE_AND_ADDREF                                                                \
    ULONG releaseVia(const char* via) override {                                                   \
        return release(via);                                                                       \
    }

inline constexpr char kIBaseFilterName[] = "IBaseFilter";
inline constexpr char kISampleGrabberName[] = "ISampleGrabber";
inline constexpr char kIGraphBuilderName[] = "IGraphBuilder";
inline constexpr char kIMediaControlName[] = "IMediaControl";
inline constexpr char kIVideoWindowName[] = "IVideoWindow";
inline constexpr char kIMediaEventExName[] = "IMediaEventEx";
inline constexpr char kIMediaFilterName[] = "IMediaFilter";

} // namespace fakes
