#pragma once

#include <cstdint>
#include <vector>

class SampleBuffer;

// The spectrum of the frequency view: N frames (a power of two, 4096 in the view) around
// `centre`, read as 8-bit mono, sine-windowed and transformed by a real-input FFT. `data` gets
// N + 1 floats: slot 0 is 0, slot 1 bin 0, slot 2 bin N/2, slots 2k+1 and 2k+2 the real and
// imaginary part of bin k. Any n that is not a power of two of at least 4 gives n + 1 zeros.
inline constexpr int kSpectrumPoints = 4096;
void ComputeSpectrum(const SampleBuffer& sample, int32_t centre, int n, std::vector<float>& data);

// The magnitudes the view draws: bins 0 to N/4 - 1 (bin 0 its real value only).
std::vector<float> SpectrumMagnitudes(const std::vector<float>& data, int n);

// The in-place real-input forward FFT of n points in data[1..n] (data[0] unused); n a power of
// two of at least 4, else the data is left alone.
void RealFft(std::vector<float>& data, int n);
