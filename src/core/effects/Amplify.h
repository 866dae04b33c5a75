#pragma once

#include <cstdint>

class SampleBuffer;

// Multiplies every selected sample of frames start..end by `factor` (single precision), clamped
// to the sample range and truncated toward zero, through a table built for the call.
void Amplify(SampleBuffer& sample, float factor, uint32_t start, uint32_t end, uint32_t channel);

// The factor that brings the loudest selected sample of the range to full scale; 1.0 for
// silence. (-1, -1) is the whole sample.
float PeakGain(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel);

// Subtracts the mean of the whole sample's selected channel(s) plus `percent` of full scale.
void AdjustDcBias(SampleBuffer& sample, float percent, uint32_t channel);
