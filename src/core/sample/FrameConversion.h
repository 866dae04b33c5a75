#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleFormat.h"

// Reading and writing one frame of a layout, and converting a frame between layouts. These are
// the one definition of the conversions between the four layouts; GetFrame, the layout
// conversion and the clipboard paste all use them, and templates keep the whole-sound loops free
// of per-frame dispatch.
namespace frames {

// 8-bit unsigned to 16-bit signed: (b * 256) XOR 0x8000.
inline int16_t Widen(uint8_t b) {
    return static_cast<int16_t>(static_cast<uint16_t>((b << 8) ^ 0x8000));
}

// 16-bit signed to 8-bit unsigned: the high byte XOR 0x80.
inline uint8_t Narrow(int16_t s) {
    return static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) ^ 0x80);
}

// Little-endian 16-bit values; on a little-endian machine one plain access, which the
// compiler can turn into vector loads and stores.
inline int16_t Load16(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        int16_t value;
        std::memcpy(&value, p, 2);
        return value;
    }
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

inline void Store16(uint8_t* p, int16_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &value, 2);
        return;
    }
    const auto u = static_cast<uint16_t>(value);
    p[0] = static_cast<uint8_t>(u & 0xFF);
    p[1] = static_cast<uint8_t>(u >> 8);
}

constexpr uint32_t BytesPerFrame(uint32_t layout) {
    return ((layout & 8) != 0 ? 2u : 1u) * ((layout & 2) != 0 ? 2u : 1u);
}

// Reads the frame at `p`, stored in layout From, as a frame of layout To. Mono results fill
// slot 0 only; 8-bit results fill the low byte of their slots.
template <uint32_t From, uint32_t To>
inline void Convert(const uint8_t* p, FrameValue& out) {
    if constexpr (From == kLayoutMono8) {
        const uint8_t b = p[0];
        if constexpr (To == kLayoutMono8)
            out.SetByte(0, b);
        if constexpr (To == kLayoutMono16)
            out.slot[0] = Widen(b);
        if constexpr (To == kLayoutStereo8)
            out.SetByte(0, b), out.SetByte(1, b);
        if constexpr (To == kLayoutStereo16)
            out.slot[0] = out.slot[1] = Widen(b);
    } else if constexpr (From == kLayoutMono16) {
        const int16_t s = Load16(p);
        if constexpr (To == kLayoutMono8)
            out.SetByte(0, Narrow(s));
        if constexpr (To == kLayoutMono16)
            out.slot[0] = s;
        if constexpr (To == kLayoutStereo8)
            out.SetByte(0, Narrow(s)), out.SetByte(1, Narrow(s));
        if constexpr (To == kLayoutStereo16)
            out.slot[0] = out.slot[1] = s;
    } else if constexpr (From == kLayoutStereo8) {
        const uint8_t left = p[0];
        const uint8_t right = p[1];
        const uint32_t sum = uint32_t{left} + right;
        if constexpr (To == kLayoutMono8)
            out.SetByte(0, static_cast<uint8_t>(sum >> 1));
        if constexpr (To == kLayoutMono16) {
            out.slot[0] = static_cast<int16_t>(static_cast<uint16_t>((sum * 128) ^ 0x8000));
        }
        if constexpr (To == kLayoutStereo8)
            out.SetByte(0, left), out.SetByte(1, right);
        if constexpr (To == kLayoutStereo16)
            out.slot[0] = Widen(left), out.slot[1] = Widen(right);
    } else {
        const int16_t left = Load16(p);
        const int16_t right = Load16(p + 2);
        // The mean is formed in 32 bits and truncated toward zero.
        const auto mean = static_cast<int16_t>((int32_t{left} + int32_t{right}) / 2);
        if constexpr (To == kLayoutMono8)
            out.SetByte(0, Narrow(mean));
        if constexpr (To == kLayoutMono16)
            out.slot[0] = mean;
        if constexpr (To == kLayoutStereo8)
            out.SetByte(0, Narrow(left)), out.SetByte(1, Narrow(right));
        if constexpr (To == kLayoutStereo16)
            out.slot[0] = left, out.slot[1] = right;
    }
}

// Writes a frame in layout To at `p`.
template <uint32_t To>
inline void Store(uint8_t* p, const FrameValue& value) {
    if constexpr (To == kLayoutMono8)
        p[0] = value.Byte(0);
    if constexpr (To == kLayoutMono16)
        Store16(p, value.slot[0]);
    if constexpr (To == kLayoutStereo8)
        p[0] = value.Byte(0), p[1] = value.Byte(1);
    if constexpr (To == kLayoutStereo16)
        Store16(p, value.slot[0]), Store16(p + 2, value.slot[1]);
}

// Calls f.template operator()<Layout>() for a run-time layout code; false for an unknown code.
template <typename F>
inline bool WithLayout(uint32_t layout, F&& f) {
    switch (layout) {
        case kLayoutMono8:
            f.template operator()<kLayoutMono8>();
            return true;
        case kLayoutMono16:
            f.template operator()<kLayoutMono16>();
            return true;
        case kLayoutStereo8:
            f.template operator()<kLayoutStereo8>();
            return true;
        case kLayoutStereo16:
            f.template operator()<kLayoutStereo16>();
            return true;
        default:
            return false;
    }
}

// Reads frame `index` of bytes stored in layout `from` as layout `to` (both valid codes).
void ReadFrame(const uint8_t* data, uint32_t from, uint32_t index, uint32_t to, FrameValue& out);

}  // namespace frames
