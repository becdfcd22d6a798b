/* Prints the version of the vcxcap it was linked with; exits 0 when it is 210. */
#include <stdio.h>

#include "vcxcap.h"

int main(void) {
    int version = vcx_Version();
    printf("%d\n", version);
    return version == 210 ? 0 : 1;
}
