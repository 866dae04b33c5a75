#pragma once

#include <cstdint>

class ClipboardService;
class MessageSink;
class SampleBuffer;

// The edit operations on a range of frames (first and last included; both 0xFFFFFFFF mean the
// whole sample) in both channels (mode 0) or in the left (1) or right (2) channel of a stereo
// sample, through the clipboard they are given. Ranges past the end are clipped to the
// last frame; a one-channel mode on a mono sample means its only channel.

// True when the clipboard now holds the range.
bool Copy(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample, uint32_t first,
          uint32_t last, uint32_t mode);
// Mode 0 removes the frames; modes 1 and 2 move the channel's later values down and fill its end
// with 127 (8-bit) or the bytes 0x00, 0xFF (16-bit).
bool Delete(SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t mode);
bool Cut(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample, uint32_t first,
         uint32_t last, uint32_t mode);
// Opens a gap of `count` frames at frame `at` (the caller fills it).
bool InsertSpace(MessageSink& messages, SampleBuffer& sample, uint32_t at, uint32_t count,
                 uint32_t mode);
// Pastes the clipboard's sound at `at`, converted to the sample's layout; the number of frames
// pasted, 0 on failure or when the clipboard holds no sound.
uint32_t Paste(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample,
               uint32_t at, uint32_t mode);
// Replaces the whole sound, format and all, by the clipboard's sound.
bool ReplaceFromClipboard(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample);

// The values that fill a channel where a one-channel edit leaves frames without one.
inline constexpr uint8_t kFill8 = 127;
inline constexpr uint8_t kFill16[2] = {0x00, 0xFF};
