#include "ui/view/WaveformMarkColumns.h"

#include <algorithm>

namespace {

constexpr QRgb kInvertMask = 0x00FFFFFFu;    // XOR with white
constexpr QRgb kPlayLineMask = 0x0000FFFFu;  // XOR with cyan: red on white, cyan on black

int CaretColumn(const WaveformMarkState& state, uint32_t frame) {
    // The difference wraps for a frame left of the first one, which puts it far outside.
    const uint32_t difference = frame - state.first;
    const float quotient =
        static_cast<float>(static_cast<double>(difference) / std::max(state.zoom, 1u));
    return quotient >= static_cast<float>(kFarOutside) ? kFarOutside : static_cast<int>(quotient);
}

bool BandColumns(const WaveformMarkState& state, int& x1, int& x2) {
    const uint32_t a = state.selStart;
    const uint32_t b = state.selEnd;
    // No band while no frame is on the screen (the last frame shown is then before the first).
    if (b < state.first || a > state.last || state.last < state.first)
        return false;
    x1 = a > state.first ? CaretColumn(state, a) : 0;
    x2 = CaretColumn(state, std::min(b, state.last));
    if (x2 < x1)
        std::swap(x1, x2);
    return true;
}

void XorColumns(QImage& image, int x0, int x1, int rows, QRgb mask) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image.width() - 1);
    rows = std::min(rows, image.height());
    for (int y = 0; y < rows; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x <= x1; ++x) row[x] ^= mask;
    }
}

}  // namespace

WaveformMarkColumns MarkColumnsOf(const WaveformMarkState& state) {
    WaveformMarkColumns columns;
    if (state.caret) {
        columns.caret = true;
        columns.caretColumn = CaretColumn(state, state.caretFrame);
    }
    if (state.selection)
        columns.band = BandColumns(state, columns.bandFrom, columns.bandTo);
    if (state.play && state.playFrame >= state.first && state.playFrame <= state.last) {
        columns.play = true;
        columns.playColumn = static_cast<int>(std::min<uint32_t>(
            (state.playFrame - state.first) / std::max(state.zoom, 1u), kFarOutside));
    }
    return columns;
}

void ComposeMarks(const QImage& wave, QImage& picture, int x0, int x1,
                  const WaveformMarkColumns& marks) {
    const int rows = picture.height();
    for (int y = 0; y < rows; ++y) {
        const QRgb* source = reinterpret_cast<const QRgb*>(wave.constScanLine(y));
        QRgb* target = reinterpret_cast<QRgb*>(picture.scanLine(y));
        std::copy(source + x0, source + x1 + 1, target + x0);
    }
    auto invert = [&](int from, int to, QRgb mask) {
        XorColumns(picture, std::max(from, x0), std::min(to, x1), rows, mask);
    };
    if (marks.caret)
        invert(marks.caretColumn, marks.caretColumn, kInvertMask);
    if (marks.band)
        invert(marks.bandFrom, marks.bandTo, kInvertMask);
    if (marks.play)
        invert(marks.playColumn, marks.playColumn, kPlayLineMask);
}
