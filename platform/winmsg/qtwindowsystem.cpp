#include "platform/winmsg/qtwindowsystem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <optional>
#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace pz::winmsg {

namespace {
#if QT_CONFIG(xcb)
// _NET_FRAME_EXTENTS of an X11 window (left, right, top, bottom), when its
// window manager set it.
std::optional<QMargins> NetFrameExtents(xcb_connection_t* c, xcb_window_t window) {
    static xcb_connection_t* cached = nullptr;
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (cached != c) {
        static const char name[] = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
        atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        cached = c;
        free(reply);
    }
    if (atom == XCB_ATOM_NONE) return std::nullopt;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<QMargins> out;
    if (reply && reply->type == XCB_ATOM_CARDINAL && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
        const uint32_t* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        out = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
    }
    free(reply);
    return out;
}
#endif

// The frame around the window that the player sees. Size limits are outer
// sizes, so they are worked out against this frame. An X11 window manager
// states its frame in _NET_FRAME_EXTENTS; the frame window Qt measures when
// it does not can hold invisible shadow borders (weston's Xwayland frames
// do), so there the frame counts as nothing, which keeps the window at
// least at its minimum on screen. Elsewhere (Wayland's client-side
// decorations) Qt's frame is what is drawn.
QMargins VisibleFrame(const QWidget* w) {
#if QT_CONFIG(xcb)
    auto* x11 = QGuiApplication::platformName() == QLatin1String("xcb") && qGuiApp
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    if (x11) {
        const WId id = w->internalWinId();
        if (!id || !x11->connection()) return QMargins();
        return NetFrameExtents(x11->connection(), xcb_window_t(id)).value_or(QMargins());
    }
#endif
    const QRect f = w->frameGeometry(), g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}
QRect OuterRect(const QWidget* w) { return w->geometry().marginsAdded(VisibleFrame(w)); }
QSize FrameExtra(const QWidget* w) { return OuterRect(w).size() - w->geometry().size(); }
constexpr int kMaxSize = 16777215;   // QWIDGETSIZE_MAX
}  // namespace

QtWindowSystem& QtWindowSystem::Instance() {
    static QtWindowSystem ws;
    return ws;
}

HWND QtWindowSystem::Register(QWidget* window) {
    const HWND h = next_++;
    Window& w = windows_[h];
    w.widget = window;
    w.proc = AddressOf(&DefWindowProc);
    window->installEventFilter(this);
    return h;
}

void QtWindowSystem::Destroy(HWND h) {
    if (!Find(h)) return;
    SendMessage(h, WM_DESTROY, 0, 0);
    if (Window* w = Find(h)) {
        if (w->widget) w->widget->removeEventFilter(this);
        windows_.erase(h);
    }
}

QWidget* QtWindowSystem::Widget(HWND h) const {
    auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : it->second.widget.data();
}

QtWindowSystem::Window* QtWindowSystem::Find(HWND h) {
    auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : &it->second;
}

HWND QtWindowSystem::HandleOf(QObject* o) const {
    for (const auto& [h, w] : windows_)
        if (w.widget == o) return h;
    return 0;
}

LRESULT QtWindowSystem::DefWindowProc(HWND, uint32_t, WPARAM, LPARAM) {
    // The window's own handling: the proposals stand as they are.
    return 0;
}

intptr_t QtWindowSystem::GetProp(HWND h, const std::string& name) {
    Window* w = Find(h);
    if (!w) return 0;
    auto it = w->props.find(name);
    return it == w->props.end() ? 0 : it->second;
}

void QtWindowSystem::SetProp(HWND h, const std::string& name, intptr_t value) {
    if (Window* w = Find(h)) w->props[name] = value;
}

void QtWindowSystem::RemoveProp(HWND h, const std::string& name) {
    if (Window* w = Find(h)) w->props.erase(name);
}

ProcAddress QtWindowSystem::SetWindowProc(HWND h, ProcAddress proc) {
    Window* w = Find(h);
    if (!w || !proc) return 0;
    const ProcAddress old = w->proc;
    w->proc = proc;
    return old;
}

ProcAddress QtWindowSystem::GetWindowProc(HWND h) {
    Window* w = Find(h);
    return w ? w->proc : 0;
}

bool QtWindowSystem::IsWindow(HWND h) { return Find(h) != nullptr; }

uint32_t QtWindowSystem::GetWindowProcessId(HWND h) { return Find(h) ? GetCurrentProcessId() : 0; }

uint32_t QtWindowSystem::GetCurrentProcessId() { return uint32_t(QCoreApplication::applicationPid()); }

bool QtWindowSystem::GetWindowRect(HWND h, RECT* r) {
    Window* w = Find(h);
    if (!w || !w->widget || !r) return false;
    const QRect f = OuterRect(w->widget);
    *r = RECT{f.left(), f.top(), f.left() + f.width(), f.top() + f.height()};
    return true;
}

LRESULT QtWindowSystem::SendMessage(HWND h, uint32_t msg, WPARAM wp, LPARAM lp) {
    Window* w = Find(h);
    if (!w || !w->proc) return 0;
    return CallWindowProc(w->proc, h, msg, wp, lp);
}

QSize QtWindowSystem::Increments(HWND h) const {
    auto it = windows_.find(h);
    return it == windows_.end() ? QSize(1, 1) : it->second.increments;
}

void QtWindowSystem::QueryLimits(HWND h) {
    Window* w = Find(h);
    if (!w || !w->widget || w->busy) return;
    QWidget* widget = w->widget;
    const QRect screen = widget->screen() ? widget->screen()->availableGeometry() : QRect(0, 0, 1920, 1080);
    // The system's proposals: the whole screen when maximised, no limits.
    MINMAXINFO info;
    info.ptMaxSize = {screen.width(), screen.height()};
    info.ptMaxPosition = {screen.left(), screen.top()};
    info.ptMinTrackSize = {0, 0};
    info.ptMaxTrackSize = {kMaxSize, kMaxSize};
    const MINMAXINFO proposed = info;
    SendMessage(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    if (!(w = Find(h)) || !w->widget) return;

    // The answer is in outer sizes: take the frame off.
    const QSize extra = FrameExtra(widget);
    w->frameExtra = extra;
    w->busy = true;
    widget->setMinimumSize(std::max(0, info.ptMinTrackSize.x - extra.width()),
                           std::max(0, info.ptMinTrackSize.y - extra.height()));
    widget->setMaximumSize(std::clamp(info.ptMaxTrackSize.x - extra.width(), 0, kMaxSize),
                           std::clamp(info.ptMaxTrackSize.y - extra.height(), 0, kMaxSize));
    const bool placed = info.ptMaxSize.x != proposed.ptMaxSize.x || info.ptMaxSize.y != proposed.ptMaxSize.y ||
                        info.ptMaxPosition.x != proposed.ptMaxPosition.x ||
                        info.ptMaxPosition.y != proposed.ptMaxPosition.y;
    w->maximized = placed ? QRect(info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y)
                          : QRect();

    // Increments, as the sizing rules snap: the first step away from the
    // minimum that the rules let through is one increment.
    auto probe = [&](bool horizontal) {
        const int base = horizontal ? info.ptMinTrackSize.x : info.ptMinTrackSize.y;
        for (int d = 1; d <= 512; ++d) {
            RECT r{0, 0, horizontal ? base + d : 100, horizontal ? 100 : base + d};
            SendMessage(h, WM_SIZING, horizontal ? WMSZ_RIGHT : WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&r));
            const int size = horizontal ? r.right - r.left : r.bottom - r.top;
            if (size != base) return std::max(1, size - base);
        }
        return 1;
    };
    w->increments = QSize(probe(true), probe(false));
    if (QWindow* win = widget->windowHandle()) {
        // Set on the native window: hints set before it exists are dropped.
        win->setSizeIncrement(w->increments.width() > 1 || w->increments.height() > 1 ? w->increments : QSize());
        win->setBaseSize(widget->minimumSize());
    }
    w->busy = false;
}

void QtWindowSystem::UserResized(HWND h) {
    Window* w = Find(h);
    if (!w || !w->widget || w->busy) return;
    QWidget* widget = w->widget;
    const QRect now = OuterRect(widget);
    const QRect before = w->lastFrame;
    w->lastFrame = now;
    if (!before.isValid() || before.size() == now.size()) return;
    const bool left = now.left() != before.left() && now.right() == before.right();
    const bool top = now.top() != before.top() && now.bottom() == before.bottom();
    const bool wider = now.width() != before.width(), taller = now.height() != before.height();
    uint32_t edge = 0;
    if (taller && top) edge = wider ? (left ? WMSZ_TOPLEFT : WMSZ_TOPRIGHT) : WMSZ_TOP;
    else if (taller) edge = wider ? (left ? WMSZ_BOTTOMLEFT : WMSZ_BOTTOMRIGHT) : WMSZ_BOTTOM;
    else if (wider) edge = left ? WMSZ_LEFT : WMSZ_RIGHT;
    if (!edge) return;
    RECT r{now.left(), now.top(), now.left() + now.width(), now.top() + now.height()};
    SendMessage(h, WM_SIZING, edge, reinterpret_cast<LPARAM>(&r));
    if (!(w = Find(h)) || !w->widget) return;
    const QRect adjusted(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (adjusted == now) return;
    const QSize extra = FrameExtra(widget);
    w->busy = true;
    const QPoint clientOffset = widget->geometry().topLeft() - now.topLeft();
    widget->setGeometry(QRect(adjusted.topLeft() + clientOffset, adjusted.size() - extra));
    w->lastFrame = OuterRect(widget);
    w->busy = false;
}

bool QtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
    const HWND h = HandleOf(watched);
    if (!h) return false;
    switch (event->type()) {
        case QEvent::Show:
            QueryLimits(h);
            if (Window* w = Find(h)) w->lastFrame = OuterRect(w->widget);
            break;
        case QEvent::Resize:
        case QEvent::Move:
            // A resize the user made (spontaneous) is offered to the sizing
            // rules; every resize refreshes the limits.
            if (event->spontaneous() && event->type() == QEvent::Resize) UserResized(h);
            else if (Window* w = Find(h); w && w->widget && !w->busy) w->lastFrame = OuterRect(w->widget);
            // A window manager frames the window after it is shown: the
            // limits, being outer sizes, are worked out again.
            if (Window* w = Find(h); w && w->widget && !w->busy && FrameExtra(w->widget) != w->frameExtra)
                QueryLimits(h);
            // Not every window manager holds a window to its minimum size
            // (weston's Xwayland one lets a client's own resize request
            // through): the limit holds whoever resized the window.
            if (Window* w = Find(h); w && w->widget && !w->busy && event->type() == QEvent::Resize) {
                const QSize now = w->widget->size(), least = now.expandedTo(w->widget->minimumSize());
                if (least != now) {
                    w->busy = true;
                    w->widget->resize(least);
                    w->lastFrame = OuterRect(w->widget);
                    w->busy = false;
                }
            }
            break;
        case QEvent::WindowStateChange: {
            Window* w = Find(h);
            if (w && w->widget && w->widget->isMaximized()) {
                QueryLimits(h);
                if (w->maximized.isValid()) {
                    w->busy = true;
                    w->widget->setGeometry(QRect(w->maximized.topLeft(),
                                                 w->maximized.size() - FrameExtra(w->widget)));
                    w->busy = false;
                }
            }
            break;
        }
        default:
            break;
    }
    return false;
}

}  // namespace pz::winmsg
