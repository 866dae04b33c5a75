#pragma once

#include <cstdint>
#include <vector>

// Unsigned integers in a byte array in a fixed byte order, whatever the machine's: the files,
// the clipboard block and the stored presets all fix theirs. Signed sample values have their own
// helpers in FrameConversion.h.
namespace byteorder {

inline uint16_t Load16LE(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Load32LE(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint16_t Load16BE(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline uint32_t Load32BE(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

inline void Store16LE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void Store32LE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline void Store32BE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Appends the four bytes of `v` to a block under construction.
inline void Append32LE(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    Store32LE(b, v);
    out.insert(out.end(), b, b + 4);
}

inline void Append32BE(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    Store32BE(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace byteorder
