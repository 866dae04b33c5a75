#include "support/SampleMaker.h"

#include <algorithm>

void SetBytes(SampleBuffer& sample, uint32_t layout, const std::vector<uint8_t>& bytes,
              uint32_t rate) {
    sample.SetFormat(FormatOfLayout(rate, layout));
    sample.ResizeBytes(static_cast<uint32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), sample.Data());
}

std::vector<uint8_t> Le16(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<uint8_t> Bytes(const SampleBuffer& sample) {
    if (!sample.HasBlock())
        return {};
    return std::vector<uint8_t>(sample.Data(), sample.Data() + sample.GetByteLength());
}

std::vector<int> Values16(const SampleBuffer& sample) {
    std::vector<int> values;
    for (uint32_t i = 0; i + 1 < sample.GetByteLength(); i += 2) {
        values.push_back(static_cast<int16_t>(sample.Data()[i] | (sample.Data()[i + 1] << 8)));
    }
    return values;
}

std::vector<uint8_t> RampBytes(size_t count, unsigned step, unsigned first) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * step + first);
    return bytes;
}

std::vector<uint8_t> PatternBytes(size_t count, unsigned step) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * step + (i >> 9));
    return bytes;
}
