#pragma once

#include <cstdint>

class CurveModel;
class SampleBuffer;

// Multiplies the selected samples of frame `frame` by `gain` (single precision), clamped to the
// sample range and truncated toward zero. The caller keeps the frame inside the sample.
void ScaleFrame(SampleBuffer& sample, float gain, uint32_t frame, uint32_t channel);

// The envelope's OK: every frame f of start..end is scaled by curve((f - start) / (end - start))
// times `amplification` (a fraction, 1 for 100 %). A one-frame range has no position on the
// curve and is silenced, as the curve gives 0 there.
void ApplyEnvelope(SampleBuffer& sample, const CurveModel& curve, float amplification,
                   uint32_t start, uint32_t end, uint32_t channel);

// The position of frame f within start..end as the curve effects compute it: a double quotient
// of 64-bit differences, rounded to single precision (0 / 0 is not a number).
inline float CurvePosition(uint32_t frame, uint32_t start, uint32_t end) {
    return static_cast<float>(static_cast<double>(int64_t{frame} - int64_t{start}) /
                              static_cast<double>(int64_t{end} - int64_t{start}));
}

// CurvePosition of the `count` frames from `from` on, into `t`: the same values, worked out a
// run at a time (from the reciprocal where no value lies near a rounding boundary).
void CurvePositions(uint32_t from, uint32_t count, uint32_t first, uint32_t last, float* t);
