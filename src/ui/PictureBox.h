#pragma once
// A picture area: a child widget that shows a retained Canvas and reports
// mouse-downs in its own float pixel coordinates.
//
// What a window draws through Draw() is kept as well as done, so that after
// the area changes size the window can have it drawn again at the new size
// (Replay): every plot computes its positions from the area's size, and
// stretching the old pixels would put them where a click no longer means
// what the picture shows. Drawing straight on Pic() is done once only.

#include "ui/Canvas.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace tavrel {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr, QColor background = Qt::white);

    Canvas& Pic() { return m_canvas; }
    const Canvas& Pic() const { return m_canvas; }

    // Sets the outer size in pixels; the retained image follows it.
    void SetOuterGeometry(int left, int top, int width, int height);

    using DrawOp = std::function<void(Canvas&)>;
    // Draws now and keeps the drawing for Replay.
    void Draw(DrawOp op);
    // The same, replacing a kept drawing with the same key: for a drawing that
    // is repeated over the same pixels (a bar painted in another colour), so
    // that only the last one is kept.
    void Draw(int key, DrawOp op);
    // Clears the area and forgets every kept drawing.
    void Cls();
    // Clears the area and draws every kept drawing again, in order.
    void Replay();

    // The screen shows what the canvas holds at most this long after it
    // changed: a drawing that paints thousands of cells is seen growing at
    // display rate instead of paying for a repaint per cell.
    static constexpr int RepaintIntervalMs = 16;

signals:
    // Left and middle button; the right one opens the picture's menu.
    void MouseDown(int button, int shift, float x, float y);
    // The right button or the menu key: the window shows the picture's menu.
    void MenuRequested(const QPoint& globalPos);
    // The pointer moved over the area (with no button held only while mouse
    // tracking is on), and it left the area.
    void MouseMove(float x, float y);
    void MouseLeave();

protected:
    // QWidget
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CanvasChanged();
    void ShowChanges();

    struct Kept {
        int key; // -1: none
        DrawOp op;
    };
    Canvas m_canvas;
    std::vector<Kept> m_kept;
    QTimer m_repaintTimer;
    QElapsedTimer m_sinceRepaint;
};

} // namespace tavrel
