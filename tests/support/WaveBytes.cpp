#include "support/WaveBytes.h"

#include "support/TempDir.h"

std::vector<uint8_t> WaveBytes::Chunk(const char* id, const std::vector<uint8_t>& contents,
                                      int64_t declaredSize) {
    std::vector<uint8_t> out;
    PutTag(out, id);
    Put32(out, static_cast<uint32_t>(declaredSize < 0 ? static_cast<int64_t>(contents.size())
                                                      : declaredSize));
    out.insert(out.end(), contents.begin(), contents.end());
    if (contents.size() % 2 != 0)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> WaveBytes::FmtContents(uint16_t channels, uint32_t rate, uint16_t bits,
                                            uint32_t fmtSize) {
    std::vector<uint8_t> fmt;
    const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
    Put16(fmt, 1);
    Put16(fmt, channels);
    Put32(fmt, rate);
    Put32(fmt, rate * align);
    Put16(fmt, align);
    Put16(fmt, bits);
    fmt.resize(fmtSize, 0);
    return fmt;
}

std::vector<uint8_t> WaveBytes::Riff(const std::vector<std::vector<uint8_t>>& chunks,
                                     const char* form) {
    std::vector<uint8_t> body;
    PutTag(body, form);
    for (const auto& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> WaveBytes::Simple(uint16_t channels, uint32_t rate, uint16_t bits,
                                       const std::vector<uint8_t>& data) {
    return Riff({Chunk("fmt ", FmtContents(channels, rate, bits)), Chunk("data", data)});
}
