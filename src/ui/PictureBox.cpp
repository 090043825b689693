#include "ui/PictureBox.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tavrel {

PictureBox::PictureBox(QWidget* parent, QColor background)
    : QWidget(parent), m_canvas(1, 1, background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_repaintTimer, &QTimer::timeout, this, &PictureBox::ShowChanges);
    m_canvas.OnChanged = [this] { CanvasChanged(); };
}

void PictureBox::CanvasChanged() {
    if (m_repaintTimer.isActive())
        return;
    const qint64 since = m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : RepaintIntervalMs;
    if (since >= RepaintIntervalMs)
        ShowChanges();
    else
        m_repaintTimer.start(int(RepaintIntervalMs - since));
}

void PictureBox::ShowChanges() {
    update(m_canvas.TakeChangedArea());
    m_sinceRepaint.start();
}

void PictureBox::SetOuterGeometry(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    m_canvas.Resize(width, height);
}

void PictureBox::Draw(DrawOp op) { Draw(-1, std::move(op)); }

void PictureBox::Draw(int key, DrawOp op) {
    if (key >= 0)
        std::erase_if(m_kept, [key](const Kept& k) { return k.key == key; });
    op(m_canvas);
    m_kept.push_back({key, std::move(op)});
}

void PictureBox::Cls() {
    m_kept.clear();
    m_canvas.Cls();
}

void PictureBox::Replay() {
    m_canvas.Cls();
    for (const Kept& k : m_kept)
        k.op(m_canvas);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), m_canvas.Image(), event->rect());
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    m_canvas.Resize(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
    emit MenuRequested(event->globalPos());
}

static int ButtonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

static int ShiftCode(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? 1 : 0) | (m.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (m.testFlag(Qt::AltModifier) ? 4 : 0);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        return; // the menu's: a menu that also moved a mark would undo the student's work
    const QPointF pos = event->position();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   static_cast<float>(pos.x()), static_cast<float>(pos.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    emit MouseMove(static_cast<float>(pos.x()), static_cast<float>(pos.y()));
    QWidget::mouseMoveEvent(event);
}

void PictureBox::leaveEvent(QEvent* event) {
    emit MouseLeave();
    QWidget::leaveEvent(event);
}

} // namespace tavrel
