#include "ui/WindowOps.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace tavrel {

void Yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

QRect ScreenArea() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect(0, 0, 640, 480);
}

} // namespace tavrel
