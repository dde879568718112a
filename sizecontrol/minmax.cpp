#include "sizecontrol/minmax.h"

#include <cstring>

namespace pz::sizeward {

MinMax::MinMax(forms::HostServices& host) : host_(host) {
    Subclass::SetWindowSystem(&host.Windows());
    ++live_;
}

MinMax::~MinMax() { --live_; }

void MinMax::SetEnabled(bool v) {
    s_.Enabled = v;
    Changed("Enabled");
    if (v)
        AttachToParent();
    else
        DetachFromParent();
}

void MinMax::SetUseMaximizedPosition(bool v) {
    s_.UseMaximizedPosition = v;
    Changed("UseMaximizedPosition");
}

int32_t MinMax::CurrentHeight() {
    winmsg::RECT r;
    host_.Windows().GetWindowRect(GetParentHwnd(), &r);
    return r.bottom - r.top;
}

int32_t MinMax::CurrentWidth() {
    winmsg::RECT r;
    host_.Windows().GetWindowRect(GetParentHwnd(), &r);
    return r.right - r.left;
}

void MinMax::SetCurrentHeight(int32_t) {
    if (host_.UserMode()) throw forms::RuntimeError(382, "MinMax", "Set not supported at run time");
    throw forms::RuntimeError(387, "MinMax", "Set not permitted");
}

void MinMax::SetCurrentWidth(int32_t v) { SetCurrentHeight(v); }

void MinMax::SetIncrementX(int32_t v) {
    Check(v >= 1);
    s_.IncrementX = v;
    Changed("IncrementX");
    if (s_.Enabled) AttachToParent();
}

void MinMax::SetIncrementY(int32_t v) {
    Check(v >= 1);
    s_.IncrementY = v;
    Changed("IncrementY");
    if (s_.Enabled) AttachToParent();
}

// The three sizes of one axis keep minimum <= maximised <= maximum among
// those that are set; each dependent change goes through the same rules.
struct MinMax::Axis {
    int32_t SizeLimits::*maximum;
    int32_t SizeLimits::*minimum;
    int32_t SizeLimits::*maximized;
    const char *maximumName, *minimumName, *maximizedName;
};

const MinMax::Axis MinMax::kWidth{&SizeLimits::MaximumWidth, &SizeLimits::MinimumWidth, &SizeLimits::MaximizedWidth,
                                  "MaximumWidth", "MinimumWidth", "MaximizedWidth"};
const MinMax::Axis MinMax::kHeight{&SizeLimits::MaximumHeight, &SizeLimits::MinimumHeight,
                                   &SizeLimits::MaximizedHeight, "MaximumHeight", "MinimumHeight", "MaximizedHeight"};

void MinMax::SetMaximum(const Axis& a, int32_t v) {
    Check(v >= 0);
    s_.*a.maximum = v;
    Changed(a.maximumName);
    if (v > 0) {
        if (s_.*a.maximized > 0 && s_.*a.maximized > v) SetMaximized(a, v);
        if (s_.*a.minimum > 0 && s_.*a.minimum > v) SetMinimum(a, v);
    }
}

void MinMax::SetMinimum(const Axis& a, int32_t v) {
    Check(v >= 0);
    s_.*a.minimum = v;
    Changed(a.minimumName);
    if (v > 0) {
        if (s_.*a.maximum > 0 && s_.*a.maximum < v) SetMaximum(a, v);
        if (s_.*a.maximized > 0 && s_.*a.maximized < v) SetMaximized(a, v);
    }
}

void MinMax::SetMaximized(const Axis& a, int32_t v) {
    Check(v >= 0);
    s_.*a.maximized = v;
    Changed(a.maximizedName);
    if (v > 0) {
        if (s_.*a.maximum > 0 && s_.*a.maximum < v) SetMaximum(a, v);
        if (s_.*a.minimum > 0 && s_.*a.minimum > v) SetMinimum(a, v);
    }
}

void MinMax::SetMaximumWidth(int32_t v) { SetMaximum(kWidth, v); }
void MinMax::SetMinimumWidth(int32_t v) { SetMinimum(kWidth, v); }
void MinMax::SetMaximizedWidth(int32_t v) { SetMaximized(kWidth, v); }
void MinMax::SetMaximumHeight(int32_t v) { SetMaximum(kHeight, v); }
void MinMax::SetMinimumHeight(int32_t v) { SetMinimum(kHeight, v); }
void MinMax::SetMaximizedHeight(int32_t v) { SetMaximized(kHeight, v); }

void MinMax::SetMaximizedLeft(int32_t v) {
    s_.MaximizedLeft = v;
    Changed("MaximizedLeft");
}

void MinMax::SetMaximizedTop(int32_t v) {
    s_.MaximizedTop = v;
    Changed("MaximizedTop");
}

void MinMax::InitProperties() { s_ = SizeLimits{}; }

void MinMax::ReadProperties(forms::PropertyBag& bag) {
    // Loading never fails visibly: an unreadable value keeps its field.
    auto readLong = [&](const char* name, int32_t def, int32_t& field) {
        try {
            int32_t v = field;
            if (bag.ReadLong(name, def, v)) field = v;
        } catch (...) {
        }
    };
    auto readBool = [&](const char* name, bool def, bool& field) {
        try {
            bool v = field;
            if (bag.ReadBool(name, def, v)) field = v;
        } catch (...) {
        }
    };
    readLong("MaximumWidth", 0, s_.MaximumWidth);
    readLong("MaximumHeight", 0, s_.MaximumHeight);
    readLong("MinimumWidth", 320, s_.MinimumWidth);
    readLong("MinimumHeight", 200, s_.MinimumHeight);
    readLong("MaximizedLeft", 0, s_.MaximizedLeft);
    readLong("MaximizedTop", 0, s_.MaximizedTop);
    readLong("MaximizedWidth", 0, s_.MaximizedWidth);
    readLong("MaximizedHeight", 0, s_.MaximizedHeight);
    readLong("IncrementX", 1, s_.IncrementX);
    readLong("IncrementY", 1, s_.IncrementY);
    readBool("Enabled", false, s_.Enabled);
    readBool("UseMaximizedPosition", false, s_.UseMaximizedPosition);
    if (s_.Enabled) {
        try {
            AttachToParent();
        } catch (...) {
            s_.Enabled = false;
        }
    }
}

void MinMax::WriteProperties(forms::PropertyBag& bag) {
    bag.WriteLong("MaximumWidth", s_.MaximumWidth, 0);
    bag.WriteLong("MaximumHeight", s_.MaximumHeight, 0);
    bag.WriteLong("MinimumWidth", s_.MinimumWidth, 320);
    bag.WriteLong("MinimumHeight", s_.MinimumHeight, 200);
    bag.WriteLong("MaximizedLeft", s_.MaximizedLeft, 0);
    bag.WriteLong("MaximizedTop", s_.MaximizedTop, 0);
    bag.WriteLong("MaximizedWidth", s_.MaximizedWidth, 0);
    bag.WriteLong("MaximizedHeight", s_.MaximizedHeight, 0);
    bag.WriteLong("IncrementX", s_.IncrementX, 1);
    bag.WriteLong("IncrementY", s_.IncrementY, 1);
    bag.WriteBool("Enabled", s_.Enabled, false);
    bag.WriteBool("UseMaximizedPosition", s_.UseMaximizedPosition, false);
}

void MinMax::Resize() {
    host_.SetExtent(int32_t(32 * host_.TwipsPerPixelX()), int32_t(32 * host_.TwipsPerPixelY()));
}

void MinMax::Terminate() { DetachFromParent(); }

HWND MinMax::GetParentHwnd() {
    try {
        return host_.ParentHwnd();
    } catch (...) {
        return 0;
    }
}

void MinMax::AttachToParent() {
    const HWND w = GetParentHwnd();
    Subclass::AttachMessage(this, w, winmsg::WM_GETMINMAXINFO);
    if (s_.IncrementX > 1 || s_.IncrementY > 1)
        Subclass::AttachMessage(this, w, winmsg::WM_SIZING);
    else
        Subclass::DetachMessage(this, w, winmsg::WM_SIZING);
}

void MinMax::DetachFromParent() {
    const HWND w = GetParentHwnd();
    Subclass::DetachMessage(this, w, winmsg::WM_GETMINMAXINFO);
    Subclass::DetachMessage(this, w, winmsg::WM_SIZING);
}

int32_t MinMax::MsgResponse(HWND, uint32_t msg) { return msg == winmsg::WM_GETMINMAXINFO ? 1 : 0; }

LRESULT MinMax::WindowProc(HWND, uint32_t msg, WPARAM wp, LPARAM lp) {
    if (msg == winmsg::WM_GETMINMAXINFO && lp) {
        winmsg::MINMAXINFO info;
        std::memcpy(&info, reinterpret_cast<const void*>(lp), sizeof info);
        ApplyMinMaxInfo(s_, info);
        std::memcpy(reinterpret_cast<void*>(lp), &info, sizeof info);
    } else if (msg == winmsg::WM_SIZING && lp) {
        winmsg::RECT r;
        std::memcpy(&r, reinterpret_cast<const void*>(lp), sizeof r);
        ApplySizingRect(s_, r, uint32_t(wp));
        std::memcpy(reinterpret_cast<void*>(lp), &r, sizeof r);
    }
    return 0;
}

}  // namespace pz::sizeward
