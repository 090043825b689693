#pragma once
// The voiceprint's cells, computed without drawing: the Hamming-windowed
// frames the recording is cut into, the grey level of a bin, and where each
// frame's column and each bin's row go on the plot.
//
// The recording is cut into consecutive frames of 512 samples (the trailing
// part that makes no whole frame is not shown). Frame j is one column, bin k
// (k = 1 ... 512) one row counted from the bottom; bin 0, the constant part,
// is never shown.

#include "state/FloatArray.h"
#include "voiceprint/VoiceprintAxes.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace tavrel {

// The magnitude that shows black; stronger bins are black too.
inline constexpr double MagRef = 18000;
// Bins above this have no magnitude; rows for them would be left white
// (the plot is never tall enough at any zoom, but the rows stay bounded).
inline constexpr int HighestBin = 512;

// Fills re(0 ... 511) with frame j of the wave under the symmetric Hamming
// window over 512 points, 0.54 - 0.46 cos(2 pi k / 511) (coefficient and
// product in double precision, stored as float), and im(0 ... 511) with zeros.
// The frame must lie inside the wave; spans shorter than 512 are left alone.
void WindowFrame(std::span<const float> wave, std::int32_t frame, std::span<float> re,
                 std::span<float> im);

// 255 - Int(255 sqrt(magnitude / MagRef)), at least 0: white for silence,
// black from MagRef up.
std::uint8_t GreyLevel(float magnitude);

// The cells' area, one pixel in from each line of the frame (px). Cells are
// kept off the frame: a filled box covers the pixels of both its corners, so
// an edge that fell a fraction short of a frame line would paint over it.
// Column 0 starts at `left`, row 0 at `bottom`.
struct CellArea {
    double left, right, top, bottom;
    bool empty() const { return right < left || bottom < top; }
    bool Contains(double x, double y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    double X(double x) const { return std::min(std::max(x, left), right); } // kept inside
    double Y(double y) const { return std::min(std::max(y, top), bottom); }
};
CellArea CellAreaOf(const PlotFrame& f);

// One row of cells: its bottom and top edge (y grows downwards), already
// kept inside the plot, the bin it shows, and whether the drawing yields to
// the user interface after painting it (after every full cell; not after
// the top row that is cut off at the frame).
struct CellRow {
    float yBottom;
    float yTop;
    int bin;
    bool yields;
};

// One column's left and right edge, already kept inside the plot.
struct CellColumn {
    float xLeft;
    float xRight;
    bool closing; // the last column that fits; the drawing ends after it
};

// Everything about the cells that depends only on the picture's size, the
// zoom factors and the recording's length.
struct SpectrogramPlan {
    PlotFrame frame;
    float ColWidth = 0;  // px per frame at HZoom 1: W x 3 / 505, not rounded
    float RowHeight = 0; // px per bin at VZoom 1: H x 2 / 329, not rounded
    float VZoom = 1;
    float HZoom = 1;
    std::int32_t FrameCount = 0;      // whole frames in the recording
    std::vector<CellRow> rows;        // a regular column's cells, bottom up
    std::vector<CellRow> closingRows; // the closing column's cells, bottom up

    CellArea Cells() const { return CellAreaOf(frame); }
    // px per column and per row at the plan's zoom factors. The pointer's
    // readout measures with the very same figures the cells are drawn with.
    double ColumnStep() const { return double(HZoom) * double(ColWidth); }
    double RowStep() const { return double(VZoom) * double(RowHeight); }
};

SpectrogramPlan PlanSpectrogram(int width, int height, float vzoom, float hzoom,
                                std::int32_t sampleCount);

// Column of frame j. Column edges fall between pixels: HZoom x ColWidth
// need not be whole, and adjacent columns share their boundary. The column
// whose right edge reaches the plot's right edge is the closing one; it is
// cut off there.
CellColumn ColumnOf(const SpectrogramPlan& plan, std::int32_t frame);

} // namespace tavrel
