// Walking one category of the System Device Enumerator (video input devices,
// compressors, ...): the moniker of every entry, in the order the platform
// lists them. Open and the device and compressor lists walk categories alike.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"

namespace vcx {

enum class CategoryOpen {
    kOpened,
    // CoCreateInstance of the System Device Enumerator did not answer S_OK.
    kNoDeviceEnumerator,
    // CreateClassEnumerator handed out no moniker enumerator: the category is
    // empty or does not exist.
    kNoCategoryEnumerator,
};

class CategoryWalk {
  public:
    // Creates the System Device Enumerator (in-process server) and asks it
    // for the category's moniker enumerator, flags 0. Only whether an
    // enumerator came back counts, not the HRESULT: an empty category answers
    // S_FALSE with none.
    CategoryOpen open(REFCLSID category);

    // Resets the enumerator and hands each moniker to visit(IMoniker*) while
    // Next answers S_OK; S_FALSE or any failure ends the walk. The moniker is
    // released after each visit; the enumerators when the walk is destroyed,
    // moniker enumerator first. Call only after open() answered kOpened.
    template <class Visit> void forEach(Visit&& visit) {
        monikers_->Reset();
        ComPtr<IMoniker> moniker;
        while (monikers_->Next(1, moniker.put(), nullptr) == S_OK) {
            visit(moniker.get());
            moniker.reset();
        }
    }

  private:
    // Declared in this order so that the moniker enumerator goes first.
    ComPtr<ICreateDevEnum> devices_;
    ComPtr<IEnumMoniker> monikers_;
};

} // namespace vcx
