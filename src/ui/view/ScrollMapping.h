#pragma once

#include <cstdint>

// The view's horizontal scroll bar works in a fixed range of positions, whatever the sample's
// length; these functions map between that range and the first frame the windows show.
inline constexpr int kScrollRange = 32700;

// The thumb for a window showing `first` with `pageFrames` frames per page, when the first shown
// frame may go up to `maxFirst`: its size (page) and position in the fixed range.
struct ScrollThumb {
    int page = kScrollRange;
    int position = 0;
};
ScrollThumb ThumbForFrames(uint32_t first, uint32_t maxFirst, double pageFrames);

// The first frame for a thumb dragged to `position`, with a page of `page`: a whole number of
// columns of `zoom` frames, so the windows can shift their pictures instead of painting anew.
uint32_t FirstFrameForThumb(int position, int page, uint32_t maxFirst, uint32_t zoom);

// The thumb position after the windows scrolled by a step to `first` (not yet limited to the
// scroll bar's maximum).
int ThumbAfterStep(uint32_t first, uint32_t maxFirst);
