#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One labelled tick of the time ruler: the tick's column, where its label starts and the sample
// number it shows.
struct RulerTick {
    int x = 0;
    int labelX = 0;
    uint32_t value = 0;
};

struct RulerTickLayout {
    uint32_t step = 0;  // samples between ticks; 0 when no step leaves room for the labels
    int labelWidth = 0;
    std::vector<RulerTick> ticks;
};

// The ticks of a ruler `width` pixels wide showing sample `first` at its left edge and `scale`
// samples per pixel. Labels are given room by the width of the longest one (the last visible
// sample number and a blank) at `charWidth` pixels per character; the step is the smallest of a
// fixed table that keeps ticks that far apart.
RulerTickLayout LayOutRulerTicks(uint32_t first, uint32_t scale, int width, int charWidth);

// The text of a tick's label.
std::string RulerLabel(uint32_t value);
