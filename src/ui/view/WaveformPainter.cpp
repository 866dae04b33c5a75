#include "ui/view/WaveformPainter.h"

#include <algorithm>
#include <cstdlib>

#include "core/sample/PeakSummary.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleFormat.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;

// The end-of-data hatch: 8 x 8, most significant bit leftmost, a 0 bit black and a 1 bit white.
constexpr uint8_t kHatchRows[8] = {0x77, 0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF};

inline void Plot(QImage& image, int x, int y, int x0, int x1) {
    if (x < x0 || x > x1 || y < 0 || y >= image.height())
        return;
    reinterpret_cast<QRgb*>(image.scanLine(y))[x] = kBlack;
}

// The pixels of a line from (xa, ya) to (xa + 1, yb), both ends included: the first half of
// the vertical run lies in column xa, the second half in xa + 1. Each step between two columns
// is rasterised on its own, so a pixel never depends on which columns are being painted.
void PlotStep(QImage& image, int xa, int ya, int yb, int x0, int x1) {
    const int n = std::abs(yb - ya);
    if (n == 0) {
        Plot(image, xa, ya, x0, x1);
        Plot(image, xa + 1, yb, x0, x1);
        return;
    }
    const int dir = yb > ya ? 1 : -1;
    for (int i = 0; i <= n; ++i) Plot(image, xa + (2 * i > n ? 1 : 0), ya + dir * i, x0, x1);
}

void PlotColumn(QImage& image, int x, int ya, int yb, int x0, int x1) {
    if (ya > yb)
        std::swap(ya, yb);
    for (int y = ya; y <= yb; ++y) Plot(image, x, y, x0, x1);
}

}  // namespace

WaveformPainter::WaveformPainter(const SampleBuffer& buffer, const WaveformGeometry& geometry,
                                 int width, int height)
    : m_buffer(buffer),
      m_geometry(geometry),
      m_width(width),
      m_height(height),
      m_frameCount(buffer.GetFrameCount()) {
    if (m_geometry.zoom == 0)
        m_geometry.zoom = 1;
    // Closer than one frame per column there is no range to draw: "Peaks" draws as "Lines".
    if (m_geometry.style == kStylePeaks && m_geometry.zoom <= 1)
        m_geometry.style = kStyleLines;
    // "Lines" walks the columns up to and including the right edge (the step into the column
    // past the edge draws the last visible column's half of that step); the others stop before.
    int columns = 0;
    if (m_geometry.style == kStyleLines)
        columns = width + 1;
    if (m_geometry.style == kStyleDots || m_geometry.style == kStyleBars ||
        m_geometry.style == kStylePeaks)
        columns = width;
    uint64_t withData = 0;
    if (m_geometry.first < m_frameCount) {
        withData =
            (uint64_t{m_frameCount} - m_geometry.first + m_geometry.zoom - 1) / m_geometry.zoom;
    }
    m_drawnColumns = static_cast<int>(std::min<uint64_t>(withData, std::max(columns, 0)));
    m_extent.lastColumn = m_drawnColumns - 1;
    m_extent.lastFrame =
        m_geometry.first + static_cast<uint32_t>(m_extent.lastColumn) * m_geometry.zoom;
}

int WaveformPainter::RowOfValue(int height, int value) {
    const float scale = static_cast<float>(height) * 0.00390625f;
    return static_cast<int>(scale * static_cast<float>(value));
}

bool WaveformPainter::HatchIsBlack(int x, int y, int width, int lastColumn) {
    const int originX = 7 - ((width - lastColumn) % 8);
    const int px = ((x - originX) % 8 + 8) % 8;
    const int py = ((y % 8) + 8) % 8;
    return ((kHatchRows[py] >> (7 - px)) & 1) == 0;
}

int WaveformPainter::ValueAt(uint32_t frame) const {
    FrameValue value;
    value.slot[0] = value.slot[1] = 0x8080;  // silence, should the frame not be there
    m_buffer.GetFrame(frame, kLayoutStereo8, value);
    return value.Byte(m_geometry.channelIndex == 0 ? 0 : 1);
}

int WaveformPainter::RowAtColumn(int x) const {
    if (x < 0) {
        if (m_geometry.first >= m_geometry.zoom) {
            return RowOfValue(m_height, ValueAt(m_geometry.first - m_geometry.zoom));
        }
        return static_cast<int>(m_height * 0.5);
    }
    return RowOfValue(m_height,
                      ValueAt(m_geometry.first + static_cast<uint32_t>(x) * m_geometry.zoom));
}

void WaveformPainter::Paint(QImage& image, int x0, int x1, QRgb background) const {
    x0 = std::max(x0, 0);
    x1 = std::min({x1, m_width - 1, image.width() - 1});
    if (x0 > x1 || image.height() < m_height || m_height <= 0)
        return;
    for (int y = 0; y < m_height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + x0, row + x1 + 1, background);
    }
    switch (m_geometry.style) {
        case kStyleLines:
            PaintLines(image, x0, x1);
            break;
        case kStyleDots:
            PaintDots(image, x0, x1);
            break;
        case kStyleBars:
            PaintBars(image, x0, x1);
            break;
        case kStylePeaks:
            PaintPeaks(image, x0, x1);
            break;
        default:
            break;
    }
    PaintHatch(image, x0, x1);
}

void WaveformPainter::PaintLines(QImage& image, int x0, int x1) const {
    // Every column's pixels come from the steps into it and out of it.
    const int last = std::min(x1 + 1, m_drawnColumns - 1);
    int x = x0;
    int previous = RowAtColumn(x - 1);
    for (; x <= last; ++x) {
        const int row = RowAtColumn(x);
        PlotStep(image, x - 1, previous, row, x0, x1);
        previous = row;
    }
}

void WaveformPainter::PaintDots(QImage& image, int x0, int x1) const {
    const int last = std::min(x1, m_drawnColumns - 1);
    for (int x = x0; x <= last; ++x) Plot(image, x, RowAtColumn(x), x0, x1);
}

void WaveformPainter::PaintBars(QImage& image, int x0, int x1) const {
    const int mid = m_height / 2;
    for (int x = x0; x <= x1; ++x) Plot(image, x, mid, x0, x1);
    const int last = std::min(x1, m_drawnColumns - 1);
    for (int x = x0; x <= last; ++x) PlotColumn(image, x, RowAtColumn(x), mid, x0, x1);
}

std::pair<int, int> WaveformPainter::RowsOfColumn(const PeakSummary& peaks, int x) const {
    // Column -1 (the one before the window) covers what lies before the first frame shown.
    const int64_t from = int64_t{m_geometry.first} + int64_t{x} * m_geometry.zoom;
    const int64_t to = std::min<int64_t>(from + m_geometry.zoom, m_frameCount) - 1;
    const auto range =
        peaks.RangeOf(m_geometry.channelIndex, static_cast<uint32_t>(std::max<int64_t>(from, 0)),
                      static_cast<uint32_t>(to));
    return {RowOfValue(m_height, range.lo), RowOfValue(m_height, range.hi)};
}

void WaveformPainter::PaintPeaks(QImage& image, int x0, int x1) const {
    const int last = std::min(x1, m_drawnColumns - 1);
    if (x0 > last)
        return;
    const PeakSummary& peaks = m_buffer.Peaks();
    uchar* const bits = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    // Each column reaches to the one before it, so a run of columns whose ranges do not overlap
    // (a quiet passage, a slope) still draws as one connected line.
    bool joined = m_geometry.first > 0 || x0 > 0;
    std::pair<int, int> before = joined ? RowsOfColumn(peaks, x0 - 1) : std::pair<int, int>{};
    for (int x = x0; x <= last; ++x) {
        auto [top, bottom] = RowsOfColumn(peaks, x);
        const auto rows = std::pair<int, int>{top, bottom};
        if (joined) {
            if (before.second < top)
                top = before.second + 1;
            if (before.first > bottom)
                bottom = before.first - 1;
        }
        // Straight into the pixels: a column of a loud passage spans the whole height.
        top = std::max(top, 0);
        bottom = std::min(bottom, m_height - 1);
        for (int y = top; y <= bottom; ++y)
            reinterpret_cast<QRgb*>(bits + y * bytesPerLine)[x] = kBlack;
        before = rows;
        joined = true;
    }
}

void WaveformPainter::PaintHatch(QImage& image, int x0, int x1) const {
    const int lastColumn = m_extent.lastColumn;
    if (m_width - lastColumn == 1)
        return;
    const int line = lastColumn + 1;
    for (int y = 0; y < m_height; ++y) Plot(image, line, y, x0, x1);
    const int from = std::max(line + 1, x0);
    for (int y = 0; y < m_height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = from; x <= x1; ++x) {
            row[x] = HatchIsBlack(x, y, m_width, lastColumn) ? kBlack : 0xFFFFFFFFu;
        }
    }
}
