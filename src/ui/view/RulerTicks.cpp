#include "ui/view/RulerTicks.h"

#include <cstdio>

namespace {

// Past 1000000 the table goes on in steps of 1, 2.5 and 5, so that even a long sound shown whole
// (ten minutes at 44100 Hz is 28209 frames a pixel) has labels.
constexpr uint32_t kSteps[] = {
    50,       100,      150,      200,       250,       500,       750,        1000,
    1500,     2000,     2500,     5000,      7500,      10000,     15000,      20000,
    25000,    50000,    75000,    100000,    500000,    1000000,   2500000,    5000000,
    10000000, 25000000, 50000000, 100000000, 250000000, 500000000, 1000000000, 2500000000u};

// Unsigned, so that frame numbers past 2^31 of a long 8-bit sound never print negative.
std::string Format(const char* format, uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::string RulerLabel(uint32_t value) {
    return Format("%u", value);
}

RulerTickLayout LayOutRulerTicks(uint32_t first, uint32_t scale, int width, int charWidth) {
    RulerTickLayout layout;
    if (scale == 0 || width <= 0)
        return layout;
    const uint32_t lastVisible = first + scale * static_cast<uint32_t>(width - 1);
    layout.labelWidth = static_cast<int>(Format("%u ", lastVisible).size()) * charWidth;
    const float samplesPerPixel = static_cast<float>(scale);
    for (uint32_t step : kSteps) {
        if (static_cast<float>(step) / samplesPerPixel >= static_cast<float>(layout.labelWidth)) {
            layout.step = step;
            break;
        }
    }
    if (layout.step == 0)
        return layout;
    const uint64_t step = layout.step;
    uint64_t value = (uint64_t{first} + step - 1) / step * step;
    float x = static_cast<float>(value - first) / samplesPerPixel;
    const float advance = static_cast<float>(step) / samplesPerPixel;
    while (static_cast<int>(x) < width && value <= UINT32_MAX) {
        layout.ticks.push_back(
            {static_cast<int>(x), static_cast<int>(x + 4), static_cast<uint32_t>(value)});
        value += step;
        x += advance;
    }
    return layout;
}
