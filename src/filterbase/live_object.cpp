#include "filterbase/live_object.h"

namespace filterbase {

namespace {

ObjectCountHook g_created = nullptr;
ObjectCountHook g_destroyed = nullptr;

} // namespace

void setObjectCountHooks(ObjectCountHook created, ObjectCountHook destroyed) {
    g_created = created;
    g_destroyed = destroyed;
}

LiveObject::LiveObject() {
    if (g_created != nullptr) {
        g_created();
    }
}

LiveObject::~LiveObject() {
    if (g_destroyed != nullptr) {
        g_destroyed();
    }
}

} // namespace filterbase
