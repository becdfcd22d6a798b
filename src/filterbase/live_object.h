// The count of live objects a COM server reports through DllCanUnloadNow.
// Every filter, pin enumerator and media type enumerator of the filter base
// counts itself; a module that hands them out through COM installs the hooks
// once, before it makes any. Without hooks nothing is counted.
#pragma once

namespace filterbase {

using ObjectCountHook = void (*)();

// created runs when a counted object is made, destroyed when it goes.
void setObjectCountHooks(ObjectCountHook created, ObjectCountHook destroyed);

// Counts its owner for as long as the owner exists.
class LiveObject {
  public:
    LiveObject();
    LiveObject(const LiveObject&) : LiveObject() {}
    LiveObject& operator=(const LiveObject&) = delete;
    ~LiveObject();
};

} // namespace filterbase
