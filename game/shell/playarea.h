#pragma once
#include <QWidget>
#include <functional>

namespace pz {


// The play area: shows the last composed frame and hands mouse and resize
// events to the main window.
class PlayArea : public QWidget {
    Q_OBJECT
public:
    explicit PlayArea(QWidget* parent = nullptr);

    // What to show: the back buffer, or the background colour alone.
    std::function<const QImage*()> frame;
    std::function<QColor()> background;
    std::function<void(QMouseEvent*)> onPress, onMove, onRelease;
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

}  // namespace pz
