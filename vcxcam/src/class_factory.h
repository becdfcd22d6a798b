// The class object of one vcxcam filter: IClassFactory making the filter of
// one camera, one compressor or the colour converter.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace vcxcam {

// Makes the filter with this index of one kind and hands it out as iid.
using FilterCreator = HRESULT (*)(int index, REFIID iid, void** out);

// Hands out, as iid, the class object whose instances create(index, ...) makes.
HRESULT getClassObject(FilterCreator create, int index, REFIID iid, void** out);

} // namespace vcxcam
