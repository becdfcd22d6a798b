// The setters of the active slot's requested capture format. They check
// nothing and work in every slot state; open and vcx_SetDevCapConfig apply
// the values.
#include "vcxcap.h"

#include "core/slots.h"

using namespace vcx;

extern "C" int VCXAPI vcx_SetDevWidth(int width) {
    activeSlot().requestedWidth = width;
    return 0;
}

extern "C" int VCXAPI vcx_SetDevHeight(int height) {
    activeSlot().requestedHeight = height;
    return 0;
}

extern "C" int VCXAPI vcx_SetDevFrameRate(double framesPerSecond) {
    activeSlot().requestedFrameRate = framesPerSecond;
    return 0;
}
