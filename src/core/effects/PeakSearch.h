#pragma once

#include <cstdint>

class SampleBuffer;

// The frame of the loudest selected sample of frames start..end ((-1, -1) the whole sample):
// 8-bit by magnitude around 127/128, 16-bit by the largest positive value. The first such sample
// wins; 0 when nothing is above silence.
uint32_t PeakSearch(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel);
