#include "sizecontrol/sizerules.h"

#include <algorithm>
#include <limits>

namespace pz::sizeward {

namespace {
int32_t Clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
}  // namespace

void ApplyMinMaxInfo(const SizeLimits& s, winmsg::MINMAXINFO& info) {
    if (s.MaximumWidth > 0) info.ptMaxTrackSize.x = s.MaximumWidth;
    if (s.MaximumHeight > 0) info.ptMaxTrackSize.y = s.MaximumHeight;
    if (s.MinimumWidth > 0) info.ptMinTrackSize.x = s.MinimumWidth;
    if (s.MinimumHeight > 0) info.ptMinTrackSize.y = s.MinimumHeight;
    if (s.MaximizedWidth > 0) info.ptMaxSize.x = s.MaximizedWidth;
    if (s.MaximizedHeight > 0) info.ptMaxSize.y = s.MaximizedHeight;
    if (s.UseMaximizedPosition) {
        info.ptMaxPosition.x = s.MaximizedLeft;
        info.ptMaxPosition.y = s.MaximizedTop;
    }
}

void ApplySizingRect(const SizeLimits& s, winmsg::RECT& r, uint32_t edge) {
    // 64-bit intermediates: extreme property values must not overflow.
    int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
    if (s.IncrementX > 1) w = s.MinimumWidth + int64_t(s.IncrementX) * ((w - s.MinimumWidth + s.IncrementX / 2) / s.IncrementX);
    if (s.IncrementY > 1)
        h = s.MinimumHeight + int64_t(s.IncrementY) * ((h - s.MinimumHeight + s.IncrementY / 2) / s.IncrementY);
    const bool left = edge == winmsg::WMSZ_LEFT || edge == winmsg::WMSZ_TOPLEFT || edge == winmsg::WMSZ_BOTTOMLEFT;
    const bool right = edge == winmsg::WMSZ_RIGHT || edge == winmsg::WMSZ_TOPRIGHT || edge == winmsg::WMSZ_BOTTOMRIGHT;
    const bool top = edge == winmsg::WMSZ_TOP || edge == winmsg::WMSZ_TOPLEFT || edge == winmsg::WMSZ_TOPRIGHT;
    const bool bottom = edge == winmsg::WMSZ_BOTTOM || edge == winmsg::WMSZ_BOTTOMLEFT || edge == winmsg::WMSZ_BOTTOMRIGHT;
    if (top) r.top = Clamp32(r.bottom - h);
    if (bottom) r.bottom = Clamp32(r.top + h);
    if (left) r.left = Clamp32(r.right - w);
    if (right) r.right = Clamp32(r.left + w);
}

}  // namespace pz::sizeward
