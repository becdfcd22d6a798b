/* A small host of vcxcap: uses only the public header and the import library.
 * Lists the video capture devices, opens the first into slot 0 with no
 * display (Null Renderer), runs it, waits for the first frame and copies it
 * into its own memory, then closes the slot and shuts down.
 * Exits 0 when a frame arrived, 1 otherwise. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "vcxcap.h"

#define NULL_RENDERER 6
#define NO_FRAME_YET (-7)

/* Prints the video device list, one "index: name" line per device. */
static int listDevices(void) {
    int size = vcx_GetDeviceListSize(0);
    char* names;
    int count;
    int index = 0;
    char* line;
    if (size < 0) {
        printf("no video capture device list: %d\n", size);
        return size;
    }
    names = (char*)calloc((size_t)size, 1); /* the list is appended to an empty text */
    if (names == NULL) {
        return -1;
    }
    count = vcx_GetDeviceList(names, 0);
    for (line = names; count > 0 && *line != '\0'; ++index) {
        char* end = strstr(line, "\r\n");
        if (end == NULL) {
            break;
        }
        *end = '\0';
        printf("device %d: %s\n", index, line);
        line = end + 2;
    }
    free(names);
    return count;
}

/* Waits up to five seconds for the running slot's first frame and copies it. */
static int grabFirstFrame(void) {
    int bitsSize = vcx_GetImageMemSize(0);
    unsigned char header[44];
    unsigned char* bits;
    int result = NO_FRAME_YET;
    int waited;
    if (bitsSize <= 0) {
        return bitsSize;
    }
    bits = (unsigned char*)malloc((size_t)bitsSize);
    if (bits == NULL) {
        return -1;
    }
    for (waited = 0; waited < 5000 && result == NO_FRAME_YET; waited += 10) {
        int size = bitsSize;
        result = vcx_GetImageMem(bits, &size, header);
        if (result == 0) {
            const BITMAPINFOHEADER* info = (const BITMAPINFOHEADER*)header;
            printf("frame: %ldx%ld, %d bytes, after about %d ms\n", (long)info->biWidth,
                   (long)info->biHeight, size, waited);
        } else if (result == NO_FRAME_YET) {
            Sleep(10);
        }
    }
    free(bits);
    return result;
}

int main(void) {
    int version = vcx_Version();
    int result;

    printf("vcxcap version %d.%d.%d\n", version / 100, version / 10 % 10, version % 10);
    if (vcx_Init() < 0) {
        printf("vcx_Init failed\n");
        return 1;
    }
    if (listDevices() <= 0) {
        vcx_Exit();
        return 1;
    }
    vcx_SetActiveSel(0);
    result = vcx_Open(0, NULL_RENDERER, 0, 0, 0);
    if (result < 0) {
        printf("vcx_Open of device 0 failed: %d\n", result);
        vcx_Exit();
        return 1;
    }
    printf("device 0 open in slot %d, state %d\n", vcx_GetActiveSel(), vcx_GetRef());
    vcx_Play2();
    result = grabFirstFrame();
    if (result != 0) {
        printf("no frame: vcx_GetImageMem answered %d\n", result);
    }
    printf("vcx_Close: %d, state %d\n", vcx_Close(), vcx_GetRef());
    vcx_Exit();
    return result == 0 ? 0 : 1;
}
