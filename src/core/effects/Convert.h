#pragma once

#include <cstdint>

class MessageSink;
class SampleBuffer;
class SampleFormat;

// Converts the sound's bytes to the target layout and rate, then adopts the target. Rates the
// converter refuses are reported and change nothing.
bool ChangeFormat(MessageSink& messages, SampleBuffer& sample, const SampleFormat& target);

// Rewrites every frame from layout `oldCode` to `newCode` in place (growing the block first and
// working from the last frame when the sound gets larger, shrinking it afterwards otherwise), and
// sets the length and the stereo and 16-bit flags. False, with the sound unchanged, when the
// block cannot grow.
bool ConvertLayout(MessageSink& messages, SampleBuffer& sample, uint32_t oldCode, uint32_t newCode);

// Changes the number of frames by linear interpolation from `oldRate` to `newRate`. False,
// with the sound unchanged, when the block cannot grow or a rate is 0.
bool Resample(MessageSink& messages, SampleBuffer& sample, uint32_t oldRate, uint32_t newRate);

// Target rates a conversion accepts (any source rate above 0 converts); anything else is refused
// with this message before any byte moves.
bool IsConvertibleRate(uint32_t rate);
inline constexpr const char* kBadRateMessage =
    "The sample rate must be between 1 and 50000 Hz. The sample was not converted.";
