#pragma once
// The retained drawing surface behind every picture area. Whatever is drawn
// lands in an image at once, so the content survives covering, and printing
// and screenshots read the very same pixels that the screen shows.
//
// Coordinates are pixels as floats, origin top-left, y downwards; drawing
// outside the image is clipped. Antialiasing is off: plots are read pixel by
// pixel, by students and by tests.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>
#include <cstddef>
#include <functional>

namespace tavrel {

// One column of a polyline reduced to the vertical run of pixels it covers.
struct ColumnSpan {
    int x;
    int yTop;    // inclusive
    int yBottom; // inclusive
};

class Canvas {
public:
    explicit Canvas(int width = 1, int height = 1, QColor background = Qt::white);

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    // Changes the size; what was drawn stays where it still fits.
    void Resize(int width, int height);

    // Fills with the background colour, discarding everything drawn.
    void Cls();

    QColor BackColor() const { return m_back; }
    void SetBackColor(QColor c) { m_back = c; }
    QColor ForeColor() const { return m_fore; }
    void SetForeColor(QColor c) { m_fore = c; }
    double FontSize() const { return m_fontSize; }
    void SetFontSize(double points) { m_fontSize = points; }

    // Top-left corner of the next text.
    double CurrentX = 0;
    double CurrentY = 0;

    // Prints text at (CurrentX, CurrentY) in the foreground colour; afterwards
    // the text position moves to the start of the next line.
    void Print(const QString& text);

    // A point in the foreground colour, or in the given one; it becomes the
    // current position for LineTo.
    void PSet(double x, double y);
    void PSet(double x, double y, QColor c);
    // A line in the given colour; its end becomes the current position.
    void Line(double x1, double y1, double x2, double y2, QColor c);
    // A line from the current position in the foreground colour.
    void LineTo(double x, double y);
    void Box(double x1, double y1, double x2, double y2, QColor c);
    void FilledBox(double x1, double y1, double x2, double y2, QColor c);

    // Joins n points with straight lines in one pass (n = 1 draws a point).
    void Polyline(const QPointF* points, std::size_t n, QColor c);
    // Writes pre-reduced columns straight into the pixels: the cheap way to
    // draw a polyline of millions of points on a few hundred columns.
    void VerticalSpans(const ColumnSpan* spans, std::size_t n, QColor c);

    const QImage& Image() const { return m_image; }
    QRgb Pixel(int x, int y) const;

    // Called at the first change after the changed area was last taken, so
    // a widget can schedule a repaint; later changes only widen the area.
    // Drawing thousands of cells thus costs no more than one notice.
    std::function<void()> OnChanged;
    // The pixels changed since the last call (empty: none), and forgets them.
    QRect TakeChangedArea();

private:
    void Changed(const QRect& area);
    void ChangedBetween(double x1, double y1, double x2, double y2);
    void Segment(double x1, double y1, double x2, double y2, QRgb rgb);

    QImage m_image;
    QColor m_back;
    QColor m_fore = Qt::black;
    double m_fontSize = 9;
    QPointF m_current;
    QRect m_changed;
    bool m_changeNoticed = false;
};

// The font that shows the program's Japanese texts.
QFont JapaneseFont(double points);

} // namespace tavrel
