#pragma once
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <limits>
#include <vector>

namespace pz {

// The play area: shows the last composed frame and hands mouse and resize
// events to the main window. The frame is in the screen's own pixels (those
// the widget covers in its window) and is shown one to one.
class PlayArea : public QWidget {
    Q_OBJECT
public:
    explicit PlayArea(QWidget* parent = nullptr);

    // What to show: the back buffer, or the background colour alone.
    std::function<const QImage*()> frame;
    std::function<QColor()> background;
    // The mouse, in screen pixels of the play area: the point crosses from
    // layout pixels here and nowhere else. The button is 1 for the left
    // one, 2 the right, 4 the middle (0 for a move).
    std::function<void(int button, QPointF device)> onPress, onMove, onRelease;
    // The size in screen pixels may have changed: a resize, or a frame about
    // to be shown that was made for another size or scale (a move to a
    // screen of another scale, a change while minimised).
    std::function<void()> onResize;
    // The clock presentation is paced by, in nanoseconds: a steady clock
    // unless another is handed in.
    std::function<qint64()> clock;

    // Screen pixels per layout pixel.
    double Ratio() const { return devicePixelRatio(); }
    // The play area's screen pixels are those of its window between its
    // edges, each edge rounded to the nearest screen pixel as the toolkit
    // clips what the play area paints; at a fractional scale that is not
    // always its size times the scale. Points of the play area between its
    // layout pixels and those screen pixels; every conversion goes through
    // these two.
    QPointF ToDevice(const QPointF& layout) const;
    QPointF ToLayout(const QPointF& device) const;
    // The size in screen pixels.
    QSize DeviceSize() const;
    // Shows these rectangles of the frame (screen pixels): now, or with the
    // next step (one refresh later at the latest) when that step is likely to
    // come before the screen's next refresh.
    void Present(const std::vector<QRect>& deviceRects);
    bool HoldsBack() const { return !pending_.isEmpty(); }
    // A line shown over the frame, at its foot, while the game is busy;
    // none when empty.
    void SetNotice(const QString& text);
    const QString& Notice() const { return notice_; }

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
    // The play area's top-left corner in its window, in layout pixels, and
    // the screen pixel it falls on.
    QPointF InWindow() const;
    QPointF DeviceOrigin() const;
    QRect NoticeBox() const;
    void Mouse(const std::function<void(int, QPointF)>& to, QMouseEvent* e) const;
    bool Fits(const QImage& img) const { return img.size() == DeviceSize() && img.devicePixelRatio() == Ratio(); }

    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();
    QRegion pending_;   // layout pixels not yet shown
    qint64 shownAt_ = kNever, steppedAt_ = kNever;   // the last presentation, the last step (clock time)
    QTimer presentTimer_;
    QString notice_;
};

}  // namespace pz
