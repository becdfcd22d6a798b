/* The argument checks and write-backs of the generated stub of vcxcap.h. */
#include "stub_support.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#ifdef _WIN32
#include <windows.h>
static int readable(const void* p, size_t size) {
    return p != NULL && !IsBadReadPtr(p, size);
}
static int writable(const void* p, size_t size) {
    return p != NULL && !IsBadWritePtr((void*)p, size);
}
#else
/* The Linux stub is called through ctypes, which hands over no stray address. */
static int readable(const void* p, size_t size) {
    (void)size;
    return p != NULL;
}
static int writable(const void* p, size_t size) {
    return readable(p, size);
}
#endif

static void fail(StubCall* call, int position, const char* name, const char* what) {
    fprintf(stderr, "stub: %s argument %d (%s): %s\n", call->exportName, position, name, what);
    fflush(stderr);
    call->failed = 1;
}

void stub_int(StubCall* call, int position, const char* name, int got, int expected) {
    char text[96];
    if (got != expected) {
        snprintf(text, sizeof text, "expected %d, got %d", expected, got);
        fail(call, position, name, text);
    }
}

void stub_double(StubCall* call, int position, const char* name, double got, double expected) {
    char text[96];
    if (memcmp(&got, &expected, sizeof got) != 0) {
        snprintf(text, sizeof text, "expected the double %.17g, got %.17g", expected, got);
        fail(call, position, name, text);
    }
}

void stub_float(StubCall* call, int position, const char* name, float got, float expected) {
    char text[96];
    if (memcmp(&got, &expected, sizeof got) != 0) {
        snprintf(text, sizeof text, "expected the float %.9g, got %.9g", (double)expected,
                 (double)got);
        fail(call, position, name, text);
    }
}

void stub_number(StubCall* call, int position, const char* name, vcx_intptr got,
                 vcx_intptr expected) {
    char text[96];
    if (got != expected) {
        snprintf(text, sizeof text, "expected the number %lld, got %lld", (long long)expected,
                 (long long)got);
        fail(call, position, name, text);
    }
}

/* The first code units of a text that may be anything, in hex, after a
 * space each; returns the characters written. */
static int describe(char* text, size_t size, const void* got, size_t unit, size_t units) {
    const unsigned char* bytes = (const unsigned char*)got;
    size_t used = 0;
    if (units > 24) {
        units = 24;
    }
    if (!readable(got, unit * units)) {
        return snprintf(text, size, " no readable text");
    }
    for (size_t i = 0; i < units && used + 10 < size; ++i) {
        unsigned long value = 0;
        for (size_t b = unit; b-- > 0;) {
            value = value << 8 | bytes[i * unit + b];
        }
        used += (size_t)snprintf(text + used, size - used, " %0*lx", (int)(2 * unit), value);
    }
    return (int)used;
}

void stub_wide_text(StubCall* call, int position, const char* name, const wchar_t* got,
                    const wchar_t* expected) {
    const size_t units = wcslen(expected) + 1;
    char text[512];
    if (readable(got, units * sizeof(wchar_t)) &&
        memcmp(got, expected, units * sizeof(wchar_t)) == 0) {
        return;
    }
    int used = snprintf(text, sizeof text, "expected");
    used += describe(text + used, sizeof text - (size_t)used, expected, sizeof(wchar_t), units);
    used += snprintf(text + used, sizeof text - (size_t)used, ", got");
    describe(text + used, sizeof text - (size_t)used, got, sizeof(wchar_t), units);
    fail(call, position, name, text);
}

void stub_ansi_text(StubCall* call, int position, const char* name, const char* got,
                    const wchar_t* wide, const char* ansi) {
    char expected[256];
    char text[512];
#ifdef _WIN32
    (void)ansi;
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, expected, sizeof expected, NULL, NULL) == 0) {
        fail(call, position, name, "the expected text has no ANSI form");
        return;
    }
#else
    (void)wide;
    snprintf(expected, sizeof expected, "%s", ansi);
#endif
    const size_t size = strlen(expected) + 1;
    if (readable(got, size) && memcmp(got, expected, size) == 0) {
        return;
    }
    int used = snprintf(text, sizeof text, "expected the ANSI bytes");
    used += describe(text + used, sizeof text - (size_t)used, expected, 1, size);
    used += snprintf(text + used, sizeof text - (size_t)used, ", got");
    describe(text + used, sizeof text - (size_t)used, got, 1, size);
    fail(call, position, name, text);
}

void stub_int_ref(StubCall* call, int position, const char* name, const int* got, int before) {
    char text[96];
    if (!writable(got, sizeof *got)) {
        fail(call, position, name, "not the address of a writable int");
    } else if (*got != before) {
        snprintf(text, sizeof text, "expected the address of an int holding %d, it holds %d",
                 before, *got);
        fail(call, position, name, text);
    }
}

void stub_bytes(StubCall* call, int position, const char* name, const void* got, int size,
                unsigned char fill) {
    char text[96];
    const unsigned char* bytes = (const unsigned char*)got;
    if (!writable(got, (size_t)size)) {
        snprintf(text, sizeof text, "not the address of %d writable bytes", size);
        fail(call, position, name, text);
        return;
    }
    for (int i = 0; i < size; ++i) {
        if (bytes[i] != fill) {
            snprintf(text, sizeof text, "byte %d is %u, the caller filled the buffer with %u", i,
                     bytes[i], fill);
            fail(call, position, name, text);
            return;
        }
    }
}

void stub_text_out(StubCall* call, int position, const char* name, const char* got,
                   const char* initial, int capacity) {
    const size_t size = strlen(initial) + 1;
    char text[512];
    if (!writable(got, (size_t)capacity)) {
        snprintf(text, sizeof text, "not the address of %d writable bytes", capacity);
        fail(call, position, name, text);
    } else if (memcmp(got, initial, size) != 0) {
        int used = snprintf(text, sizeof text, "expected a buffer holding");
        used += describe(text + used, sizeof text - (size_t)used, initial, 1, size);
        used += snprintf(text + used, sizeof text - (size_t)used, ", got");
        describe(text + used, sizeof text - (size_t)used, got, 1, size);
        fail(call, position, name, text);
    }
}

void stub_set_int(int* target, int value) {
    *target = value;
}

void stub_set_bytes(void* target, const char* bytes, int size) {
    memcpy(target, bytes, (size_t)size);
}

void stub_append_text(char* target, const char* text) {
    strcat(target, text);
}

int VCXAPI vcxstub_StackMark(void) {
    return (int)(intptr_t)__builtin_frame_address(0);
}
