// The DLL module: its handle and the count of live objects and server locks
// that DllCanUnloadNow reports (the filter base counts its objects through
// lockModule / unlockModule, installed when the DLL loads).
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

} // namespace vcxcam
