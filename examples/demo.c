/* A small host of vcxcap: uses only the public header and the import library. */
#include <stdio.h>

#include "vcxcap.h"

int main(void)
{
    int version = vcx_Version();
    int init;

    printf("vcxcap version %d.%d.%d\n", version / 100, version / 10 % 10, version % 10);
    init = vcx_Init();
    printf("vcx_Init: %d\n", init);
    if (init < 0) {
        return 1;
    }
    printf("active slot: %d, state: %d\n", vcx_GetActiveSel(), vcx_GetRef());
    return vcx_Exit() == 0 ? 0 : 1;
}
