#pragma once
// The MinMax control: keeps its parent window within a minimum and maximum
// size, can fix where and how large it is when maximised, and can make
// interactive resizing step in increments.
#include <atomic>
#include <string>

#include "platform/forms/forms.h"
#include "sizecontrol/modsubclass.h"
#include "sizecontrol/sizerules.h"

namespace pz::sizeward {

// This library's copy of the subclassing module.
using Subclass = modSubclass<0>;

class MinMax : public forms::Control, public ISubclass {
public:
    static constexpr const char* kClassId = "SizewardLib6.MinMax";

    explicit MinMax(forms::HostServices& host);
    ~MinMax() override;

    // Properties.
    bool Enabled() const { return s_.Enabled; }
    void SetEnabled(bool IsEnabled);
    bool UseMaximizedPosition() const { return s_.UseMaximizedPosition; }
    void SetUseMaximizedPosition(bool UsePosition);
    int32_t CurrentHeight();
    void SetCurrentHeight(int32_t NewHeight);
    int32_t CurrentWidth();
    void SetCurrentWidth(int32_t New_CurrentWidth);
    int32_t IncrementX() const { return s_.IncrementX; }
    void SetIncrementX(int32_t NewIncrement);
    int32_t IncrementY() const { return s_.IncrementY; }
    void SetIncrementY(int32_t NewIncrement);
    int32_t MaximumHeight() const { return s_.MaximumHeight; }
    void SetMaximumHeight(int32_t v);
    int32_t MaximumWidth() const { return s_.MaximumWidth; }
    void SetMaximumWidth(int32_t NewWidth);
    int32_t MinimumHeight() const { return s_.MinimumHeight; }
    void SetMinimumHeight(int32_t v);
    int32_t MinimumWidth() const { return s_.MinimumWidth; }
    void SetMinimumWidth(int32_t v);
    int32_t MaximizedLeft() const { return s_.MaximizedLeft; }
    void SetMaximizedLeft(int32_t NewLeft);
    int32_t MaximizedTop() const { return s_.MaximizedTop; }
    void SetMaximizedTop(int32_t NewTop);
    int32_t MaximizedHeight() const { return s_.MaximizedHeight; }
    void SetMaximizedHeight(int32_t v);
    int32_t MaximizedWidth() const { return s_.MaximizedWidth; }
    void SetMaximizedWidth(int32_t v);

    const SizeLimits& Limits() const { return s_; }

    // Lifecycle events from the host.
    void InitProperties() override;
    void ReadProperties(forms::PropertyBag& bag) override;
    void WriteProperties(forms::PropertyBag& bag) override;
    void Resize() override;
    void Terminate() override;

    // The subscriber side of the subclassing chain.
    int32_t MsgResponse(HWND w, uint32_t msg) override;
    LRESULT WindowProc(HWND w, uint32_t msg, WPARAM wp, LPARAM lp) override;
    void AddRef() override { ++refs_; }
    void Release() override { --refs_; }

    // Instances alive in this library.
    static long LiveInstances() { return live_; }

private:
    struct Axis;
    static const Axis kWidth, kHeight;
    void SetMaximum(const Axis& a, int32_t v);
    void SetMinimum(const Axis& a, int32_t v);
    void SetMaximized(const Axis& a, int32_t v);
    HWND GetParentHwnd();
    void AttachToParent();
    void DetachFromParent();
    void Changed(const char* name) { host_.PropertyChanged(name); }
    static void Check(bool ok) {
        if (!ok) throw forms::RuntimeError(380, "MinMax", "Invalid property value");
    }

    forms::HostServices& host_;
    SizeLimits s_;
    std::atomic<int> refs_{1};
    static inline std::atomic<long> live_{0};
};

}  // namespace pz::sizeward
