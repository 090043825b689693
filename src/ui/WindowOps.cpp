#include "ui/WindowOps.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavrel {

void Yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetTabChain(std::initializer_list<QWidget*> chain) {
    QWidget* const* w = chain.begin();
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(w[i - 1], w[i]);
}

QRect ScreenArea() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect(0, 0, 640, 480);
}

} // namespace tavrel
