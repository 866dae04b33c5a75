#pragma once

#include <array>
#include <cstdint>
#include <vector>

class CurveModel;
class SampleBuffer;

// The transfer tables of the compressor / expander: the curve maps an input level (0..1) to an
// output level, applied symmetrically to positive and negative samples. The positions step down
// from 1 and up from 0 in single precision, as the effect has always accumulated them.
std::array<uint8_t, 256> BuildCompressorTable8(const CurveModel& curve);
std::vector<int16_t> BuildCompressorTable16(const CurveModel& curve);

// The compressor's OK on frames start..end with the channel selector.
void ApplyCompressor(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end,
                     uint32_t channel);
