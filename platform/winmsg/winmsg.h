#pragma once
// The window-system interface the control library works against: named
// window properties, window procedures and the three messages it handles.
// Header-only; the game implements it on Qt, the tests with a fake.
#include <cstdint>
#include <string>

namespace pz::winmsg {

using HWND = intptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
// A window procedure; windows hold theirs as an address (ProcAddress).
using WNDPROC = LRESULT (*)(HWND, uint32_t message, WPARAM, LPARAM);
using ProcAddress = intptr_t;

inline ProcAddress AddressOf(WNDPROC p) { return reinterpret_cast<ProcAddress>(p); }
inline WNDPROC ProcAt(ProcAddress a) { return reinterpret_cast<WNDPROC>(a); }

constexpr uint32_t WM_DESTROY = 2;
constexpr uint32_t WM_GETMINMAXINFO = 36;
constexpr uint32_t WM_SIZING = 532;

// Edges of the sizing message.
enum SizingEdge : uint32_t {
    WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5, WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8,
};

struct POINT {
    int32_t x = 0, y = 0;
};

// The size-limit structure: ten 32-bit fields.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
static_assert(sizeof(MINMAXINFO) == 40);

struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(RECT) == 16);

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Named properties of a window; an absent one reads as 0.
    virtual intptr_t GetProp(HWND w, const std::string& name) = 0;
    virtual void SetProp(HWND w, const std::string& name, intptr_t value) = 0;
    virtual void RemoveProp(HWND w, const std::string& name) = 0;
    // Replaces the window's procedure; returns the one before, 0 on failure.
    virtual ProcAddress SetWindowProc(HWND w, ProcAddress proc) = 0;
    virtual ProcAddress GetWindowProc(HWND w) = 0;
    // Passes a message to a given procedure.
    virtual LRESULT CallWindowProc(ProcAddress proc, HWND w, uint32_t msg, WPARAM wp, LPARAM lp) {
        return proc ? ProcAt(proc)(w, msg, wp, lp) : 0;
    }
    virtual bool IsWindow(HWND w) = 0;
    virtual uint32_t GetWindowProcessId(HWND w) = 0;
    virtual uint32_t GetCurrentProcessId() = 0;
    // The window's outer rectangle in screen coordinates.
    virtual bool GetWindowRect(HWND w, RECT* r) = 0;
};

}  // namespace pz::winmsg
