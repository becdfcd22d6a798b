// The catalogue of operating-system services the library uses. Every call the
// library makes into COM, OLE Automation, GDI, USER or the kernel goes through
// the table returned by platform(); production fills it with the system's own
// functions, tests install a table of their own.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <dshow.h>

namespace vcx {

struct Platform {
    // COM runtime
    HRESULT(WINAPI* coInitialize)(LPVOID reserved);
    void(WINAPI* coUninitialize)();
    HRESULT(WINAPI* coCreateInstance)
    (REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
    void(WINAPI* coTaskMemFree)(LPVOID memory);

    // OLE Automation
    void(WINAPI* variantInit)(VARIANTARG* variant);
    HRESULT(WINAPI* variantClear)(VARIANTARG* variant);
    HRESULT(WINAPI* oleCreatePropertyFrame)
    (HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount, LPUNKNOWN* objects,
     ULONG pageCount, LPCLSID pages, LCID locale, DWORD reserved, LPVOID reserved2);

    // GDI and USER
    int(WINAPI* setDIBitsToDevice)(HDC dc, int x, int y, DWORD width, DWORD height, int srcX,
                                   int srcY, UINT startScan, UINT scanLines, const VOID* bits,
                                   const BITMAPINFO* info, UINT colorUse);
    BOOL(WINAPI* setRect)(LPRECT rect, int left, int top, int right, int bottom);

    // Kernel: files, heap, text conversion
    HANDLE(WINAPI* createFileA)
    (LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* writeFile)
    (HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    BOOL(WINAPI* deleteFileA)(LPCSTR name);
    HANDLE(WINAPI* getProcessHeap)();
    LPVOID(WINAPI* heapAlloc)(HANDLE heap, DWORD flags, SIZE_T size);
    BOOL(WINAPI* heapFree)(HANDLE heap, DWORD flags, LPVOID memory);
    int(WINAPI* wideCharToMultiByte)(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                     LPSTR multi, int multiLength, LPCCH defaultChar,
                                     LPBOOL usedDefault);

    // Kernel and USER: events, waits and clocks of the frame sequence (the
    // grabber's callback sets the event and reads the counter on the
    // streaming thread). A frame wait keeps the host's thread dispatching its
    // window messages, as a single-threaded apartment must.
    HANDLE(WINAPI* createEventW)
    (LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
    BOOL(WINAPI* setEvent)(HANDLE event);
    DWORD(WINAPI* msgWaitForMultipleObjectsEx)
    (DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask, DWORD flags);
    BOOL(WINAPI* peekMessageW)(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
    BOOL(WINAPI* translateMessage)(const MSG* message);
    LRESULT(WINAPI* dispatchMessageW)(const MSG* message);
    void(WINAPI* postQuitMessage)(int exitCode);
    ULONGLONG(WINAPI* getTickCount64)();
    BOOL(WINAPI* queryPerformanceCounter)(LARGE_INTEGER* counter);
    BOOL(WINAPI* queryPerformanceFrequency)(LARGE_INTEGER* frequency);

    // The library's own AVI writer, for a builder that cannot make an output file.
    HRESULT(*setAviOutputFileName)
    (IGraphBuilder* graph, const GUID* type, LPCOLESTR fileName, IBaseFilter** multiplexer,
     IFileSinkFilter** sink);
};

// The table in force.
const Platform& platform();

// The table wired to the system's own functions.
const Platform& systemPlatform();

// Replaces the table in force; nullptr restores the system table. The table
// must outlive its use. For test hosts only.
void installPlatform(const Platform* table);

} // namespace vcx
