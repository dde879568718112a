#pragma once
// The window system on Qt: each registered top-level window gets a handle
// and a procedure chain whose last procedure is the window's own. The
// size-limit query runs through the chain when the window is shown and when
// it is resized, and its answer becomes the window's minimum and maximum
// size and maximised placement; a resize by the user becomes the sizing
// message with the edge that moved, and the adjusted rectangle is applied.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <map>

#include "platform/winmsg/winmsg.h"

namespace pz::winmsg {

class QtWindowSystem : public QObject, public WindowSystem {
public:
    static QtWindowSystem& Instance();

    HWND Register(QWidget* window);
    // Sends the destroy message through the chain and forgets the window.
    void Destroy(HWND w);
    QWidget* Widget(HWND w) const;

    // Runs the size-limit query and applies its answer now.
    void QueryLimits(HWND w);
    // The window's size increments, as the sizing rules report them.
    QSize Increments(HWND w) const;

    intptr_t GetProp(HWND w, const std::string& name) override;
    void SetProp(HWND w, const std::string& name, intptr_t value) override;
    void RemoveProp(HWND w, const std::string& name) override;
    ProcAddress SetWindowProc(HWND w, ProcAddress proc) override;
    ProcAddress GetWindowProc(HWND w) override;
    bool IsWindow(HWND w) override;
    uint32_t GetWindowProcessId(HWND w) override;
    uint32_t GetCurrentProcessId() override;
    bool GetWindowRect(HWND w, RECT* r) override;

    // Sends a message through the window's current procedure.
    LRESULT SendMessage(HWND w, uint32_t msg, WPARAM wp, LPARAM lp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Window {
        QPointer<QWidget> widget;
        std::map<std::string, intptr_t> props;
        ProcAddress proc = 0;
        QRect lastFrame;
        QRect maximized;      // placement when maximised, if the answer set one
        QSize increments{1, 1};
        QSize frameExtra;     // frame size the applied limits were computed with
        bool busy = false;    // applying an answer: ignore the events it causes
    };
    static LRESULT DefWindowProc(HWND w, uint32_t msg, WPARAM wp, LPARAM lp);
    Window* Find(HWND w);
    HWND HandleOf(QObject* o) const;
    void UserResized(HWND w);

    std::map<HWND, Window> windows_;
    HWND next_ = 0x1000;
};

}  // namespace pz::winmsg
