// The Qt window system: a subscriber on a real (offscreen) window's chain
// sets its limits and resize steps, and the window follows them.
#include <QWindow>
#include <QtTest>

#include "platform/winmsg/qtwindowsystem.h"
#include "sizecontrol/modsubclass.h"

using namespace pz;
using namespace pz::winmsg;

namespace {

using Chain = sizeward::modSubclass<7>;

// Minimum 300 x 200 outer pixels, at most 900 wide, steps of 10 by 5.
struct Limits : sizeward::ISubclass {
    int32_t MsgResponse(HWND, uint32_t msg) override { return msg == WM_GETMINMAXINFO ? 1 : 0; }
    LRESULT WindowProc(HWND, uint32_t msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_GETMINMAXINFO) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize = {300, 200};
            info->ptMaxTrackSize.x = 900;
        } else if (msg == WM_SIZING) {
            auto* r = reinterpret_cast<RECT*>(lp);
            const int w = 300 + 10 * ((r->right - r->left - 300 + 5) / 10);
            const int h = 200 + 5 * ((r->bottom - r->top - 200 + 2) / 5);
            if (wp == WMSZ_RIGHT || wp == WMSZ_BOTTOMRIGHT) r->right = r->left + w;
            if (wp == WMSZ_BOTTOM || wp == WMSZ_BOTTOMRIGHT) r->bottom = r->top + h;
        }
        ++calls;
        return 0;
    }
    void AddRef() override {}
    void Release() override {}
    int calls = 0;
};

}  // namespace

class TestQtWindows : public QObject {
    Q_OBJECT
private slots:
    void limitsAndStepsReachTheWindow() {
        QtWindowSystem& ws = QtWindowSystem::Instance();
        Chain::SetWindowSystem(&ws);
        QWidget window;
        const HWND h = ws.Register(&window);
        Limits limits;
        Chain::AttachMessage(&limits, h, WM_GETMINMAXINFO);
        Chain::AttachMessage(&limits, h, WM_SIZING);
        window.resize(500, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The limits are outer sizes: the frame is taken off for the client.
        const QSize frame = window.frameGeometry().size() - window.size();
        QCOMPARE(window.minimumSize() + frame, QSize(300, 200));
        QCOMPARE(window.maximumWidth() + frame.width(), 900);
        QCOMPARE(ws.Increments(h), QSize(10, 5));
        QCOMPARE(window.windowHandle()->sizeIncrement(), QSize(10, 5));
        window.resize(100, 100);
        QCOMPARE(window.frameGeometry().size(), QSize(300, 200));
        window.resize(2000, 300);
        QCOMPARE(window.frameGeometry().width(), 900);
        RECT r;
        QVERIFY(ws.GetWindowRect(h, &r));
        QCOMPARE(r.right - r.left, window.frameGeometry().width());
        // The destroy message unhooks the chain; the subscriber then detaches.
        ws.Destroy(h);
        QVERIFY(!ws.IsWindow(h));
        Chain::DetachMessage(&limits, h, WM_GETMINMAXINFO);
    }
};

QTEST_MAIN(TestQtWindows)
#include "tst_qtwindows.moc"
