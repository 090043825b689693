#include "ui/FitText.h"

#include <QFontMetricsF>
#include <QLabel>

namespace tavrel {

static bool Fits(const QLabel* label, const QFont& font) {
    const QFontMetricsF fm(font);
    const QRectF box(0, 0, label->width(), 100000);
    const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    const QRectF need = fm.boundingRect(box, flags, label->text());
    return need.width() <= label->width() && need.height() <= label->height();
}

void FitLabelText(QLabel* label) {
    QFont font = label->font();
    while (!Fits(label, font) && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
}

} // namespace tavrel
