/* A small host of vcxcap: uses only the public header and the import library.
 * Starts the library, opens the first video capture device into slot 0,
 * reports the slot's state, closes it and shuts down. */
#include <stdio.h>

#include "vcxcap.h"

int main(void) {
    int version = vcx_Version();
    int init;
    int open;
    int close;

    printf("vcxcap version %d.%d.%d\n", version / 100, version / 10 % 10, version % 10);
    init = vcx_Init();
    if (init < 0) {
        printf("vcx_Init failed: %d\n", init);
        return 1;
    }
    vcx_SetActiveSel(0);
    open = vcx_Open(0, 6, 0, 0, 0);
    if (open < 0) {
        printf("vcx_Open of device 0 in slot %d failed: %d%s\n", vcx_GetActiveSel(), open,
               open == -3 || open == -4 ? " (no video capture device)" : "");
        vcx_Exit();
        return 1;
    }
    printf("device 0 open in slot %d, state %d\n", vcx_GetActiveSel(), vcx_GetRef());
    close = vcx_Close();
    printf("vcx_Close: %d, state %d\n", close, vcx_GetRef());
    return vcx_Exit() == 0 ? 0 : 1;
}
