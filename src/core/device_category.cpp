#include "core/device_category.h"

#include "core/platform.h"

namespace vcx {

CategoryOpen CategoryWalk::open(REFCLSID category) {
    if (platform().coCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICreateDevEnum, devices_.putVoid()) != S_OK) {
        // A success code other than S_OK may still have handed out the object.
        devices_.reset();
        return CategoryOpen::kNoDeviceEnumerator;
    }
    devices_->CreateClassEnumerator(category, monikers_.put(), 0);
    if (!monikers_) {
        devices_.reset();
        return CategoryOpen::kNoCategoryEnumerator;
    }
    return CategoryOpen::kOpened;
}

} // namespace vcx
