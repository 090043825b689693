#include "ui/Printing.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace tavrel {

QRectF FitOnPage(QSizeF image, QSizeF page) {
    if (image.isEmpty() || page.isEmpty())
        return {};
    QSizeF size = image;
    size.scale(page, Qt::KeepAspectRatio);
    return QRectF(QPointF((page.width() - size.width()) / 2, 0), size);
}

bool PrintImage(QPrinter& printer, const QImage& image) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    // Plots are read pixel by pixel: no smoothing when they are scaled up.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(FitOnPage(image.size(), page.size()), image);
    return painter.end();
}

} // namespace tavrel
