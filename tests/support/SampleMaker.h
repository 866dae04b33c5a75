#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/sample/SampleBuffer.h"

using Bytes8 = std::vector<uint8_t>;
using Texts = std::vector<std::string>;
// A range's end that reaches past every frame: the whole sound.
constexpr uint32_t kAll = 0xFFFFFFFFu;
constexpr auto M8 = kLayoutMono8, M16 = kLayoutMono16, S8 = kLayoutStereo8, S16 = kLayoutStereo16;

// Puts raw bytes into a sample of the given layout (rate 22050 unless said).
void SetBytes(SampleBuffer& sample, uint32_t layout, const std::vector<uint8_t>& bytes,
              uint32_t rate = 22050);
// 16-bit values as little-endian bytes.
std::vector<uint8_t> Le16(std::initializer_list<int> values);
std::vector<uint8_t> Bytes(const SampleBuffer& sample);
std::vector<int> Values16(const SampleBuffer& sample);
// `count` bytes that tell their positions apart: byte i is i * step + first (mod 256).
std::vector<uint8_t> RampBytes(size_t count, unsigned step = 7, unsigned first = 3);
// Like a ramp, but byte i also adds i / 512, so that a long block never repeats every 256 bytes:
// a piece read from the wrong place shows.
std::vector<uint8_t> PatternBytes(size_t count, unsigned step = 7);

// `a` followed by `b`.
template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
