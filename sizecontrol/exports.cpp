// The library's entry points: they hand over to the forms runtime.
#include "sizecontrol/minmax.h"

#define SIZEWARD_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

class MinMaxFactory : public pz::forms::ClassFactory {
public:
    pz::forms::Control* CreateInstance(pz::forms::HostServices& host) override {
        return new pz::sizeward::MinMax(host);
    }
    void DestroyInstance(pz::forms::Control* c) override { delete c; }
};

MinMaxFactory minMaxFactory;
const pz::forms::ClassEntry kClasses[] = {{pz::sizeward::MinMax::kClassId, &minMaxFactory}};

}  // namespace

SIZEWARD_EXPORT int DllGetClassObject(const char* classId, pz::forms::ClassFactory** factory) {
    return pz::forms::runtime::GetClassObject(kClasses, classId, factory);
}

SIZEWARD_EXPORT int DllCanUnloadNow() {
    return pz::forms::runtime::CanUnloadNow(pz::sizeward::MinMax::LiveInstances());
}

SIZEWARD_EXPORT int DllRegisterServer() { return pz::forms::runtime::RegisterServer(); }

SIZEWARD_EXPORT int DllUnregisterServer() { return pz::forms::runtime::UnregisterServer(); }
