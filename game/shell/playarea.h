#pragma once
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace pz {

// The play area: shows the last composed frame and hands mouse and resize
// events to the main window. The frame is in the screen's own pixels (the
// widget's size times its device pixel ratio) and is shown one to one.
class PlayArea : public QWidget {
    Q_OBJECT
public:
    explicit PlayArea(QWidget* parent = nullptr);

    // What to show: the back buffer, or the background colour alone.
    std::function<const QImage*()> frame;
    std::function<QColor()> background;
    std::function<void(QMouseEvent*)> onPress, onMove, onRelease;
    // The size in screen pixels changed: a resize, or a move to a screen of
    // another scale.
    std::function<void()> onResize;

    // Screen pixels per layout pixel, and the size in screen pixels.
    double Ratio() const { return devicePixelRatio(); }
    QSize DeviceSize() const;
    // A point of a mouse event in screen pixels of the play area.
    QPointF ToDevice(const QPointF& p) const { return p * Ratio(); }
    // Shows these rectangles of the frame (screen pixels): now, or with the
    // next step (one refresh later at the latest) when that step is likely to
    // come before the screen's next refresh.
    void Present(const std::vector<QRect>& deviceRects);
    bool HoldsBack() const { return !pending_.isEmpty(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    qint64 RefreshInterval() const;   // nanoseconds
    // Shows at once whatever Present holds back.
    void PresentPending();

    double ratio_ = 0;   // at the last resize
    QRegion pending_;    // layout pixels not yet shown
    QElapsedTimer shown_, stepped_;   // the last presentation, the last step
    QTimer presentTimer_;
};

}  // namespace pz
