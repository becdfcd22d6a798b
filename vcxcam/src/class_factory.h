// The class object of one camera: IClassFactory making that camera's filter.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace vcxcam {

// Hands out the class object of camera index as iid.
HRESULT getCameraClassObject(int index, REFIID iid, void** out);

} // namespace vcxcam
