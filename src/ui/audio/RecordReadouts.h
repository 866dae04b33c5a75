#pragma once

#include <cstdint>
#include <string>

// The arithmetic behind the recording dialogs' readouts, kept apart from the widgets.

// The largest record block: the sound's length is a 32-bit byte count.
inline constexpr uint32_t kMaxRecordBlock = 4294967295u;

// The frequency a text names: its leading number (blanks, a fraction and an exponent allowed,
// always with "." as the decimal point), times 1000 when the text contains "kHz" in any case,
// truncated toward zero. No number, or a negative one, gives 0.
uint32_t RecordFrequencyOf(const std::string& text);

// Bytes of a recording, worked out in 64 bits and clamped to what a sound can hold.
uint32_t RecordBlockSize(uint32_t frequency, long long seconds, bool sixteenBit, bool stereo);

// "10.1 Mb required" from 1 Mb up, "107 Kb required" below, empty for 0; the decimal point
// is "." whatever the locale, as in the texts read.
std::string MemoryReadout(uint32_t blockBytes);

// A duration as the progress dialog shows it: "12.5 secs", "1 min 30.0 secs", "2 mins 30.0 secs".
std::string RecordTimeText(float seconds);

// The level of a channel from its largest deviation from the middle (0 ... 128) on a scale of
// 2.2 decades, 1.0 at full scale; silence gives minus infinity.
float LevelFromDeviation(int deviation);

// Holds a level that rose and lets a falling one decay by a tenth per update, within 0 ... 1.
float HoldLevel(float held, float level);
