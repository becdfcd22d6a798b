// Loading and unloading the library does no work: the slot table starts
// zeroed and COM is started only by vcx_Init.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
