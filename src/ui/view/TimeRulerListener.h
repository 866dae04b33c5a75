#pragma once

#include <cstdint>

// What the time ruler asks of its sample view: selection changes from dragging a marker
// (selector 3: the channels that hold a mark) and the commands of its zoom menu.
class TimeRulerViewListener {
public:
    virtual ~TimeRulerViewListener() = default;
    virtual void SetSelection(uint32_t first, uint32_t last, int selector) = 0;
    // Shows `zoom` frames per column with the frame under `column` at the left edge.
    virtual void SetZoomAt(uint32_t zoom, uint32_t column) = 0;
    virtual void ZoomAll() = 0;
};
