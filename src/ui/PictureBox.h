#pragma once
// A picture area: a child widget that shows a retained Canvas and reports
// mouse-downs in its own float pixel coordinates.

#include "ui/Canvas.h"

#include <QWidget>

namespace tavrel {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr, QColor background = Qt::white);

    Canvas& Pic() { return m_canvas; }
    const Canvas& Pic() const { return m_canvas; }

    // Sets the outer size in pixels; the retained image follows it.
    void SetOuterGeometry(int left, int top, int width, int height);

signals:
    void MouseDown(int button, int shift, float x, float y);

protected:
    // QWidget
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Canvas m_canvas;
};

} // namespace tavrel
