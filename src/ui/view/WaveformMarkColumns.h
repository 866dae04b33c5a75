#pragma once

#include <QImage>
#include <cstdint>

// What the marks of a waveform window are, for drawing them: the shown range (frames first..last
// at `zoom` frames per column) and each mark, if it is on now.
struct WaveformMarkState {
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t zoom = 1;
    bool caret = false;  // a caret in its shown blink phase
    uint32_t caretFrame = 0;
    bool selection = false;
    uint32_t selStart = 0;
    uint32_t selEnd = 0;
    bool play = false;
    uint32_t playFrame = 0;
};

// The columns the marks take: the caret one column, the selection a band, the play cursor one
// line. Columns may lie outside the window; whoever draws clips them.
struct WaveformMarkColumns {
    bool caret = false;
    int caretColumn = 0;
    bool band = false;
    int bandFrom = 0;
    int bandTo = 0;
    bool play = false;
    int playColumn = 0;
};

// A column that no window is wide enough to show.
inline constexpr int kFarOutside = 1 << 30;

WaveformMarkColumns MarkColumnsOf(const WaveformMarkState& state);

// Copies columns x0..x1 of the waveform into the picture and inverts the marks on top: caret
// and selection XOR white, the play cursor XOR cyan (red on white, cyan on black).
void ComposeMarks(const QImage& wave, QImage& picture, int x0, int x1,
                  const WaveformMarkColumns& marks);
