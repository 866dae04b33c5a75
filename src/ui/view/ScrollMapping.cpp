#include "ui/view/ScrollMapping.h"

#include <algorithm>

ScrollThumb ThumbForFrames(uint32_t first, uint32_t maxFirst, double pageFrames) {
    const double whole = static_cast<double>(maxFirst) + pageFrames;
    ScrollThumb thumb;
    if (whole > 0) {
        thumb.page = static_cast<int>(pageFrames / whole * kScrollRange);
        thumb.position = static_cast<int>(first / whole * kScrollRange);
    }
    thumb.page = std::clamp(thumb.page, 0, kScrollRange);
    return thumb;
}

uint32_t FirstFrameForThumb(int position, int page, uint32_t maxFirst, uint32_t zoom) {
    const int span = kScrollRange - page;
    zoom = std::max<uint32_t>(zoom, 1);
    uint64_t target = 0;
    if (span > 0)
        target = static_cast<uint64_t>(static_cast<double>(maxFirst) * position / span);
    target -= target % zoom;
    return static_cast<uint32_t>(target);
}

int ThumbAfterStep(uint32_t first, uint32_t maxFirst) {
    if (maxFirst == 0)
        return 0;
    return static_cast<int>(static_cast<double>(first) / maxFirst * kScrollRange);
}
