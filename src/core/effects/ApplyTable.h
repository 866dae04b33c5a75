#pragma once

#include <array>
#include <cstdint>
#include <vector>

class SampleBuffer;

// Replace every selected sample of frames start..end (ranges and selectors as the effects take
// them) by its table entry: 8-bit samples by their stored byte, 16-bit samples by their unsigned
// 16-bit pattern (table of 65536 entries).
void ApplyTable8(SampleBuffer& sample, const std::array<uint8_t, 256>& table, uint32_t start,
                 uint32_t end, uint32_t channel);
void ApplyTable16(SampleBuffer& sample, const std::vector<int16_t>& table, uint32_t start,
                  uint32_t end, uint32_t channel);
