/*
 * What the generated stub of vcxcap.h (tests/docs/make_stub.py) checks each
 * argument with, and writes back with. A check that fails prints what it
 * expected and what came, and marks the call failed; a failed call writes
 * nothing and answers VCXSTUB_MISMATCH.
 */
#ifndef VCXCAP_STUB_SUPPORT_H
#define VCXCAP_STUB_SUPPORT_H

#include "vcxcap.h"

#include <stddef.h>
#include <stdint.h>

#define VCXSTUB_MISMATCH (-2147483647)

/* A pointer-sized number: the first value in a 64-bit build, else the second. */
#if UINTPTR_MAX > 0xFFFFFFFFu
#define VCXSTUB_NUMBER(value64, value32) ((vcx_intptr)(value64))
#else
#define VCXSTUB_NUMBER(value64, value32) ((vcx_intptr)(value32))
#endif

typedef struct {
    const char* exportName;
    int failed;
} StubCall;

void stub_int(StubCall* call, int position, const char* name, int got, int expected);
void stub_double(StubCall* call, int position, const char* name, double got, double expected);
void stub_float(StubCall* call, int position, const char* name, float got, float expected);
void stub_number(StubCall* call, int position, const char* name, vcx_intptr got,
                 vcx_intptr expected);
/* A NUL-terminated wide text, also at an address passed as a number. */
void stub_wide_text(StubCall* call, int position, const char* name, const wchar_t* got,
                    const wchar_t* expected);
/* ansi: the text in the ANSI code page the checks run in; a Windows stub
 * converts wide with the system's ANSI code page instead. */
void stub_ansi_text(StubCall* call, int position, const char* name, const char* got,
                    const wchar_t* wide, const char* ansi);
void stub_int_ref(StubCall* call, int position, const char* name, const int* got, int before);
/* size bytes of fill, writable. */
void stub_bytes(StubCall* call, int position, const char* name, const void* got, int size,
                unsigned char fill);
/* initial, NUL-terminated, with room for capacity bytes. */
void stub_text_out(StubCall* call, int position, const char* name, const char* got,
                   const char* initial, int capacity);

void stub_set_int(int* target, int value);
void stub_set_bytes(void* target, const char* bytes, int size);
void stub_append_text(char* target, const char* text);

/* Where the caller's stack pointer stood when it called: two marks around
 * an export's call differ when the caller did not remove the export's
 * arguments itself (a 32-bit caller that took it for stdcall). */
int VCXAPI vcxstub_StackMark(void);

#endif
