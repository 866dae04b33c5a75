#pragma once

#include <cstdint>
#include <vector>

#include "core/sample/SampleFormat.h"

// The "OXSAMPLE" block, little-endian: frequency, is16Bit, isStereo, byte count (4 bytes
// each), then the sample bytes as a SampleBuffer stores them.
inline constexpr const char* kClipboardFormatName = "OXSAMPLE";
inline constexpr size_t kClipboardHeaderSize = 16;

// The header for `count` sample bytes; the caller appends the bytes.
void WriteClipboardHeader(std::vector<uint8_t>& block, const SampleFormat& format, uint32_t count);

// A block read back: its format and the sample bytes it really holds (never more than the block
// has behind its header, whatever the header's count says).
struct ClipboardSound {
    SampleFormat format;
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
};

// False for a block too short to hold a header.
bool ReadClipboardBlock(const uint8_t* block, size_t size, ClipboardSound& sound);
inline bool ReadClipboardBlock(const std::vector<uint8_t>& block, ClipboardSound& sound) {
    return ReadClipboardBlock(block.data(), block.size(), sound);
}
