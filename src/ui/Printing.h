#pragma once
// Printing an image of a window on one page.

#include <QRectF>
#include <QSizeF>

class QImage;
class QPrinter;

namespace tavrel {

// Where an image goes on a page: as large as the page allows with its aspect
// kept, centred across the page, at the top.
QRectF FitOnPage(QSizeF image, QSizeF page);

// Prints the image on the already chosen printer as one page. False when the
// printer cannot be opened.
bool PrintImage(QPrinter& printer, const QImage& image);

} // namespace tavrel
