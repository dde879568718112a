#pragma once
// Hosting controls: the property bag, the host's services, the control
// interface, run-time errors and the class-factory protocol of a control
// library. Header-only: control libraries include it and link against
// nothing of the host.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/winmsg/winmsg.h"

namespace pz::forms {

// A numbered run-time error (380 invalid property value, ...).
struct RuntimeError : std::runtime_error {
    RuntimeError(int number, const std::string& source, const std::string& description = {})
        : std::runtime_error(description.empty() ? source : description), Number(number), Source(source) {}
    int Number;
    std::string Source;
};

// Saved property values of one control. Reads return false when a value is
// present but unreadable; an absent value reads as the default.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual bool ReadLong(const std::string& name, int32_t def, int32_t& out) = 0;
    virtual bool ReadBool(const std::string& name, bool def, bool& out) = 0;
    // A value equal to its default may be left out.
    virtual void WriteLong(const std::string& name, int32_t value, int32_t def) = 0;
    virtual void WriteBool(const std::string& name, bool value, bool def) = 0;
};

// What a control may ask of the form that hosts it.
class HostServices {
public:
    virtual ~HostServices() = default;
    // The parent form's window handle; may throw.
    virtual winmsg::HWND ParentHwnd() = 0;
    // True at run time, false in a designer.
    virtual bool UserMode() = 0;
    virtual void PropertyChanged(const std::string& name) = 0;
    virtual float TwipsPerPixelX() = 0;
    virtual float TwipsPerPixelY() = 0;
    // Sets the control's own size, in twips.
    virtual void SetExtent(int32_t widthTwips, int32_t heightTwips) = 0;
    virtual winmsg::WindowSystem& Windows() = 0;
};

// The lifecycle events a host sends to a control.
class Control {
public:
    virtual ~Control() = default;
    virtual void InitProperties() = 0;
    virtual void ReadProperties(PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) = 0;
    virtual void Resize() = 0;
    virtual void Terminate() = 0;
};

// Creates instances of one control class.
class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    virtual Control* CreateInstance(HostServices& host) = 0;
    virtual void DestroyInstance(Control* control) = 0;
};

// Results of the library entry points.
constexpr int S_OK = 0;
constexpr int S_FALSE = 1;
constexpr int CLASS_E_CLASSNOTAVAILABLE = -2147221231;

// The entry points every control library exports (C linkage):
//   int DllGetClassObject(const char* classId, ClassFactory** factory);
//   int DllCanUnloadNow();
//   int DllRegisterServer();
//   int DllUnregisterServer();
using DllGetClassObjectFn = int (*)(const char*, ClassFactory**);
using DllCanUnloadNowFn = int (*)();

// The runtime's side of those entry points, shared by every library: look
// a class up in the library's table, tell whether instances are alive.
// Registration is a no-op here: hosts find libraries beside themselves.
struct ClassEntry {
    const char* classId;
    ClassFactory* factory;
};

namespace runtime {

template <size_t N>
int GetClassObject(const ClassEntry (&table)[N], const char* classId, ClassFactory** out) {
    if (!out) return CLASS_E_CLASSNOTAVAILABLE;
    *out = nullptr;
    if (!classId) return CLASS_E_CLASSNOTAVAILABLE;
    for (const ClassEntry& e : table)
        if (std::string(e.classId) == classId) {
            *out = e.factory;
            return S_OK;
        }
    return CLASS_E_CLASSNOTAVAILABLE;
}

inline int CanUnloadNow(long liveInstances) { return liveInstances == 0 ? S_OK : S_FALSE; }
inline int RegisterServer() { return S_OK; }
inline int UnregisterServer() { return S_OK; }

}  // namespace runtime
}  // namespace pz::forms
