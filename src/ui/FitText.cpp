#include "ui/FitText.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

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

// The lines a name breaks into, and how many of them a box of this height
// holds. Heights come from the laid-out lines, whose glyphs may come from a
// taller fallback font than the label's own (Japanese names do).
struct BrokenName {
    QStringList lines;
    int linesThatFit = 0;
};

static BrokenName BreakName(const QString& name, const QFont& font, QSizeF box) {
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    BrokenName out;
    qreal bottom = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        out.lines << name.mid(line.textStart(), line.textLength());
        bottom += std::ceil(line.height());
        out.linesThatFit += bottom <= box.height();
    }
    layout.endLayout();
    out.linesThatFit = std::max(1, out.linesThatFit);
    return out;
}

void ShowNameInLabel(QLabel* label, const QString& name) {
    // Our own line breaks only: the label's word wrap would break the lines again.
    label->setWordWrap(false);
    const QWidget* parent = label->parentWidget();
    QFont font = parent ? parent->font() : QApplication::font();
    const QSizeF box = label->contentsRect().size();
    BrokenName broken = BreakName(name, font, box);
    while (broken.lines.size() > broken.linesThatFit && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        broken = BreakName(name, font, box);
    }
    QStringList& lines = broken.lines;
    if (const int room = broken.linesThatFit; lines.size() > room) {
        // The lines above show the start; a name on one line keeps both ends.
        const QString rest = lines.mid(room - 1).join(QString());
        lines = lines.mid(0, room - 1);
        const Qt::TextElideMode cut = room == 1 ? Qt::ElideMiddle : Qt::ElideLeft;
        lines << QFontMetricsF(font).elidedText(rest, cut, box.width());
    }
    label->setFont(font);
    label->setText(lines.join(QLatin1Char('\n')));
}

} // namespace tavrel
