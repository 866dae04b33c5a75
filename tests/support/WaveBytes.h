#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

// Builds RIFF WAVE files by hand, chunk by chunk, so tests control every byte.
struct WaveBytes {
    // A chunk with its id, declared size (by default the real one) and contents, padded when odd.
    static std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& contents,
                                      int64_t declaredSize = -1) {
        std::vector<uint8_t> out;
        PutTag(out, id);
        Put32(out,
              static_cast<uint32_t>(declaredSize < 0 ? int64_t(contents.size()) : declaredSize));
        out.insert(out.end(), contents.begin(), contents.end());
        out.resize(out.size() + contents.size() % 2, 0);
        return out;
    }
    static std::vector<uint8_t> FmtContents(uint16_t channels, uint32_t rate, uint16_t bits,
                                            uint32_t fmtSize = 16) {
        const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
        std::vector<uint8_t> fmt;
        Put16(fmt, 1);
        Put16(fmt, channels);
        Put32(fmt, rate);
        Put32(fmt, rate * align);
        Put16(fmt, align);
        Put16(fmt, bits);
        fmt.resize(fmtSize, 0);
        return fmt;
    }
    // "RIFF" size "WAVE" followed by the chunks given.
    static std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>>& chunks,
                                     const char* form = "WAVE") {
        std::vector<uint8_t> body;
        PutTag(body, form);
        for (const auto& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
        std::vector<uint8_t> out;
        PutTag(out, "RIFF");
        Put32(out, static_cast<uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    // A plain PCM file: fmt then data.
    static std::vector<uint8_t> Simple(uint16_t channels, uint32_t rate, uint16_t bits,
                                       const std::vector<uint8_t>& data) {
        return Riff({Chunk("fmt ", FmtContents(channels, rate, bits)), Chunk("data", data)});
    }
};
