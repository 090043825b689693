#include "ui/Canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrel {

QFont JapaneseFont(double points) {
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                   QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                   QStringLiteral("Droid Sans Fallback")});
    f.setPointSizeF(points);
    return f;
}

Canvas::Canvas(int width, int height, QColor background)
    : m_image(std::max(1, width), std::max(1, height), QImage::Format_RGB32), m_back(background) {
    m_image.fill(m_back);
}

void Canvas::Resize(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_image.width() && height == m_image.height())
        return;
    QImage next(width, height, QImage::Format_RGB32);
    next.fill(m_back);
    {
        QPainter p(&next);
        p.drawImage(0, 0, m_image);
    }
    m_image = std::move(next);
    Changed(m_image.rect());
}

void Canvas::Cls() {
    m_image.fill(m_back);
    m_current = {0, 0};
    CurrentX = 0;
    CurrentY = 0;
    Changed(m_image.rect());
}

void Canvas::Print(const QString& text) {
    QPainter p(&m_image);
    const QFont font = JapaneseFont(m_fontSize);
    p.setFont(font);
    p.setPen(m_fore);
    const QFontMetricsF fm(font, &m_image);
    const QRectF area(CurrentX, CurrentY, fm.horizontalAdvance(text) + fm.height(), fm.height());
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    CurrentX = 0;
    CurrentY += fm.height();
    Changed(area.toAlignedRect());
}

void Canvas::PSet(double x, double y) { PSet(x, y, m_fore); }

void Canvas::PSet(double x, double y, QColor c) {
    Segment(x, y, x, y, c.rgb());
    m_current = {x, y};
    ChangedBetween(x, y, x, y);
}

void Canvas::Line(double x1, double y1, double x2, double y2, QColor c) {
    Segment(x1, y1, x2, y2, c.rgb());
    m_current = {x2, y2};
    ChangedBetween(x1, y1, x2, y2);
}

namespace {

// Pixel index of a float coordinate; far-off values are pulled in so that a
// wild coordinate costs a bounded walk instead of a hang.
long PixelOf(double v) {
    if (!(v == v))
        return 0;
    return static_cast<long>(std::floor(std::clamp(v, -1.0e6, 1.0e6) + 0.5));
}

} // namespace

// Bresenham with both end pixels set: every plot is read pixel by pixel, so
// where a line lands must not depend on a rasteriser's sub-pixel rules.
void Canvas::Segment(double x1, double y1, double x2, double y2, QRgb rgb) {
    long x = PixelOf(x1), y = PixelOf(y1);
    const long xe = PixelOf(x2), ye = PixelOf(y2);
    const long dx = std::labs(xe - x), dy = -std::labs(ye - y);
    const long sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    const long w = m_image.width(), h = m_image.height();
    // Row addresses from the image's bits once per line: asking the image
    // for each row costs a check for a shared copy at every pixel.
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    long err = dx + dy;
    for (;;) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
        if (x == xe && y == ye)
            break;
        const long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void Canvas::LineTo(double x, double y) { Line(m_current.x(), m_current.y(), x, y, m_fore); }

void Canvas::Box(double x1, double y1, double x2, double y2, QColor c) {
    const QRgb rgb = c.rgb();
    Segment(x1, y1, x2, y1, rgb);
    Segment(x2, y1, x2, y2, rgb);
    Segment(x2, y2, x1, y2, rgb);
    Segment(x1, y2, x1, y1, rgb);
    m_current = {x2, y2};
    ChangedBetween(x1, y1, x2, y2);
}

// A filled box covers the pixels of both its corners and everything between,
// by the same rounding as a line's end points: a bar then covers exactly the
// pixels its corners name, and a box drawn again in another colour covers the
// first one exactly.
void Canvas::FilledBox(double x1, double y1, double x2, double y2, QColor c) {
    long xa = PixelOf(x1), xb = PixelOf(x2), ya = PixelOf(y1), yb = PixelOf(y2);
    if (xa > xb)
        std::swap(xa, xb);
    if (ya > yb)
        std::swap(ya, yb);
    xa = std::max(xa, 0L);
    ya = std::max(ya, 0L);
    xb = std::min(xb, long(m_image.width()) - 1);
    yb = std::min(yb, long(m_image.height()) - 1);
    const QRgb rgb = c.rgb();
    for (long y = ya; xa <= xb && y <= yb; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(int(y)));
        std::fill(row + xa, row + xb + 1, rgb);
    }
    m_current = {x2, y2};
    if (xa <= xb && ya <= yb)
        Changed(QRect(QPoint(int(xa), int(ya)), QPoint(int(xb), int(yb))));
}

void Canvas::Polyline(const QPointF* points, std::size_t n, QColor c) {
    if (n == 0)
        return;
    const QRgb rgb = c.rgb();
    Segment(points[0].x(), points[0].y(), points[0].x(), points[0].y(), rgb);
    for (std::size_t i = 1; i < n; ++i)
        Segment(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y(), rgb);
    m_current = points[n - 1];
    Changed(m_image.rect());
}

void Canvas::VerticalSpans(const ColumnSpan* spans, std::size_t n, QColor c) {
    const QRgb rgb = c.rgb();
    const int w = m_image.width();
    const int h = m_image.height();
    for (std::size_t i = 0; i < n; ++i) {
        const ColumnSpan& s = spans[i];
        if (s.x < 0 || s.x >= w)
            continue;
        const int top = std::max(0, std::min(s.yTop, s.yBottom));
        const int bottom = std::min(h - 1, std::max(s.yTop, s.yBottom));
        for (int y = top; y <= bottom; ++y)
            reinterpret_cast<QRgb*>(m_image.scanLine(y))[s.x] = rgb;
    }
    Changed(m_image.rect());
}

QRgb Canvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return 0;
    return m_image.pixel(x, y) | 0xff000000u;
}

void Canvas::Changed(const QRect& area) {
    m_changed |= area.intersected(m_image.rect());
    if (m_changeNoticed)
        return;
    m_changeNoticed = true;
    if (OnChanged)
        OnChanged();
}

void Canvas::ChangedBetween(double x1, double y1, double x2, double y2) {
    const long xa = PixelOf(x1), xb = PixelOf(x2), ya = PixelOf(y1), yb = PixelOf(y2);
    const auto in = [](long v, int size) { return int(std::clamp(v, -1L, long(size))); };
    const int w = m_image.width(), h = m_image.height();
    Changed(QRect(QPoint(in(std::min(xa, xb), w), in(std::min(ya, yb), h)),
                  QPoint(in(std::max(xa, xb), w), in(std::max(ya, yb), h))));
}

QRect Canvas::TakeChangedArea() {
    m_changeNoticed = false;
    return std::exchange(m_changed, QRect());
}

} // namespace tavrel
