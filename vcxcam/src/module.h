// The DLL module: its handle and the count of live objects and server locks
// that DllCanUnloadNow reports.
#pragma once

#include <windows.h>

#include <string>

namespace vcxcam {

HMODULE moduleHandle();
// Full path of this DLL, as InprocServer32 records it.
std::wstring modulePath();

void lockModule();
void unlockModule();
bool moduleInUse();

// Counts one live object of the module for as long as it exists.
class ModuleReference {
  public:
    ModuleReference() { lockModule(); }
    ModuleReference(const ModuleReference&) : ModuleReference() {}
    ModuleReference& operator=(const ModuleReference&) = delete;
    ~ModuleReference() { unlockModule(); }
};

} // namespace vcxcam
