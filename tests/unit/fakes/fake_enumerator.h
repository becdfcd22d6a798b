// What the Next of a fake enumerator answers: one item at a time from a list
// the test owns, a configured failure at a chosen position, S_FALSE at the end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace fakes {

// Answers Next for a fake enumerator whose call was journaled with the
// result configured: anything but S_OK is answered as it is; then the
// failure at position failAt (-1: never); then S_FALSE past the last item;
// otherwise the item at position, handed out as iid with a reference added
// (a null item as a null pointer), and the position moves on.
template <class Item>
HRESULT answerNext(HRESULT configured, const std::vector<Item*>& items, std::size_t& position,
                   int failAt, HRESULT failure, REFIID iid, void** out, ULONG* fetched) {
    if (fetched != nullptr) {
        *fetched = 0;
    }
    *out = nullptr;
    if (configured != S_OK) {
        return configured;
    }
    if (static_cast<int>(position) == failAt) {
        return failure;
    }
    if (position >= items.size()) {
        return S_FALSE;
    }
    if (Item* item = items[position++]; item != nullptr) {
        item->handOut(iid, out);
    }
    if (fetched != nullptr) {
        *fetched = 1;
    }
    return S_OK;
}

} // namespace fakes
