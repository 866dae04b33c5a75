#pragma once

#include <cstdint>

class CurveModel;
class SampleBuffer;

// Mixes one stereo frame down (each half truncated toward zero) and sends the share `p` of the
// mix to the left channel and the rest to the right. Mono sounds are left alone.
void PanFrame(SampleBuffer& sample, float p, uint32_t frame);

// The panning's OK: every frame f of start..end takes p = curve(position of f).
void ApplyPanning(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end);
