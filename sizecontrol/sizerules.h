#pragma once
// What the MinMax control does to the size-limit query and to the rectangle
// of an interactive resize. Pure arithmetic.
#include <cstdint>

#include "platform/winmsg/winmsg.h"

namespace pz::sizeward {

// The control's persisted values; 0 means "not set" for sizes.
struct SizeLimits {
    int32_t MaximizedWidth = 0, MaximizedHeight = 0, MaximizedLeft = 0, MaximizedTop = 0;
    int32_t MinimumWidth = 320, MinimumHeight = 200;
    int32_t MaximumWidth = 0, MaximumHeight = 0;
    int32_t IncrementX = 1, IncrementY = 1;
    bool Enabled = false;
    bool UseMaximizedPosition = false;
};

// Writes each field whose property is set; the system's values stay otherwise.
void ApplyMinMaxInfo(const SizeLimits& s, winmsg::MINMAXINFO& info);

// Snaps the size to the nearest step counted from the minimum and moves only
// the dragged edges.
void ApplySizingRect(const SizeLimits& s, winmsg::RECT& r, uint32_t edge);

}  // namespace pz::sizeward
