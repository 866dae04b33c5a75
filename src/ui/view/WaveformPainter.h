#pragma once

#include <QImage>
#include <cstdint>
#include <utility>

class PeakSummary;
class SampleBuffer;

enum WaveformStyle : int {
    kStyleLines = 0,
    kStyleDots = 1,
    kStyleBars = 2,
    // Each column spans the smallest to the largest value of the frames it covers; at one frame
    // per column or closer it draws as "Lines".
    kStylePeaks = 3,
    kStyleCount = 4,
};

// Where the picture of one channel stands: frame `first` at column 0, `zoom` frames per column.
struct WaveformGeometry {
    uint32_t first = 0;
    uint32_t zoom = 1;
    int style = kStyleLines;
    uint32_t channelIndex = 0;
};

// What a paint found, whichever columns it painted: the last column that shows a frame (-1 when
// none does) and the frame at that column (first - zoom, wrapping, when none is shown).
struct WaveformExtent {
    int lastColumn = -1;
    uint32_t lastFrame = 0;
};

// Draws the waveform of one channel into a 32-bit image of the window's size: one frame per
// pixel column (or, in "Peaks", the range of every frame the column covers, read from the
// sound's peak summary), black on the background colour, and the hatch after the end of the data.
// A range of columns can be painted on its own: its pixels come out exactly as a paint of the
// whole picture gives them, so a picture can be shifted by whole columns and the uncovered
// strip painted alone.
class WaveformPainter {
public:
    WaveformPainter(const SampleBuffer& buffer, const WaveformGeometry& geometry, int width,
                    int height);

    WaveformExtent Extent() const { return m_extent; }
    // Paints columns x0..x1 (clipped to the image); other columns are left untouched.
    void Paint(QImage& image, int x0, int x1, QRgb background) const;

    // Row of sample value v (0..255) in a window `height` pixels high: value 0 on the top row,
    // larger values lower.
    static int RowOfValue(int height, int value);
    // Whether the end-of-data hatch paints pixel (x, y) black, for the last drawn column
    // `lastColumn` in a window `width` pixels wide.
    static bool HatchIsBlack(int x, int y, int width, int lastColumn);

private:
    int ValueAt(uint32_t frame) const;
    int RowAtColumn(int x) const;
    void PaintLines(QImage& image, int x0, int x1) const;
    void PaintDots(QImage& image, int x0, int x1) const;
    void PaintBars(QImage& image, int x0, int x1) const;
    void PaintPeaks(QImage& image, int x0, int x1) const;
    // The rows (top, bottom) from the smallest to the largest value of the frames of column x.
    std::pair<int, int> RowsOfColumn(const PeakSummary& peaks, int x) const;
    void PaintHatch(QImage& image, int x0, int x1) const;

    const SampleBuffer& m_buffer;
    WaveformGeometry m_geometry;
    int m_width;
    int m_height;
    uint32_t m_frameCount;
    int m_drawnColumns;  // columns 0 .. m_drawnColumns - 1 show a frame
    WaveformExtent m_extent;
};
