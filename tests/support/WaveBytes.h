#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Builds RIFF WAVE files by hand, chunk by chunk, so tests control every byte.
struct WaveBytes {
    // A chunk with its id, declared size (by default the real one) and contents, padded when odd.
    static std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& contents,
                                      int64_t declaredSize = -1);
    static std::vector<uint8_t> FmtContents(uint16_t channels, uint32_t rate, uint16_t bits,
                                            uint32_t fmtSize = 16);
    // "RIFF" size "WAVE" followed by the chunks given.
    static std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>>& chunks,
                                     const char* form = "WAVE");
    // A plain PCM file: fmt then data.
    static std::vector<uint8_t> Simple(uint16_t channels, uint32_t rate, uint16_t bits,
                                       const std::vector<uint8_t>& data);
};
