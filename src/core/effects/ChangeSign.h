#pragma once

#include <cstdint>

class SampleBuffer;

// XORs every byte of frames start..end ((-1, -1) the whole sample) with 0x80: 8-bit unsigned
// becomes signed and back; 16-bit samples have both bytes changed. Both channels always change;
// the selector is accepted and not used.
bool ChangeSign(SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel);
