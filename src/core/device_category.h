// Walking one category of the System Device Enumerator (video input devices,
// compressors, ...): the moniker of every entry, in the order the platform
// lists them. Open and the device and compressor lists walk categories alike.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

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

// 0 for an opened category, else the caller's code for what failed.
inline int32_t openFailure(CategoryOpen opened, int32_t noDeviceEnumerator,
                           int32_t noCategoryEnumerator) {
    switch (opened) {
    case CategoryOpen::kNoDeviceEnumerator:
        return noDeviceEnumerator;
    case CategoryOpen::kNoCategoryEnumerator:
        return noCategoryEnumerator;
    case CategoryOpen::kOpened:
        break;
    }
    return 0;
}

// How a walk of a whole category for the entry at one position ended.
struct CategoryPick {
    CategoryOpen opened;
    // The monikers listed (when opened).
    int32_t count;
};

// Opens category and walks all of it, handing the moniker at position index
// (which may be null) to take(IMoniker*); a position past the list takes
// nothing, and -1 only counts.
template <class Take> CategoryPick pickFromCategory(REFCLSID category, int32_t index, Take&& take) {
    CategoryWalk walk;
    const CategoryOpen opened = walk.open(category);
    int32_t position = 0;
    if (opened == CategoryOpen::kOpened) {
        walk.forEach([&](IMoniker* moniker) {
            if (position++ == index) {
                take(moniker);
            }
        });
    }
    return {opened, position};
}

} // namespace vcx
