#pragma once

#include <cstdint>

class SampleBuffer;

// Reverses frames start..end ((-1, -1) the whole sample): with selector 0 every channel is
// reversed on its own, so frames keep their left and right values; with 1 or 2 only that channel.
bool Reverse(SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel);
