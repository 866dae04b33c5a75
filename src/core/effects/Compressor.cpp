#include "core/effects/Compressor.h"

#include "core/effects/ApplyTable.h"
#include "core/effects/CurveModel.h"
#include "core/sample/SampleBuffer.h"

std::array<uint8_t, 256> BuildCompressorTable8(const CurveModel& curve) {
    std::array<uint8_t, 256> table{};
    float x = 1.0f;
    for (int k = 127; k >= 1; --k) {
        const int v = static_cast<int>(curve.Evaluate(x) * 127.0);
        table[static_cast<size_t>(k + 128)] = static_cast<uint8_t>(v ^ 0x80);
        x = static_cast<float>(x - 1.0 / 127.0);
    }
    x = 0.0f;
    for (int k = 0; k >= -128; --k) {
        const int v = static_cast<int>(curve.Evaluate(x) * -128.0);
        table[static_cast<size_t>(k + 128)] = static_cast<uint8_t>(v ^ 0x80);
        x = static_cast<float>(x + 1.0 / 128.0);
    }
    return table;
}

std::vector<int16_t> BuildCompressorTable16(const CurveModel& curve) {
    std::vector<int16_t> table(65536);
    float x = 1.0f;
    for (int k = 32767; k >= 1; --k) {
        table[static_cast<uint16_t>(k)] = static_cast<int16_t>(curve.Evaluate(x) * 32767.0);
        x = static_cast<float>(x - 1.0 / 32767.0);
    }
    x = 0.0f;
    for (int k = 0; k >= -32768; --k) {
        table[static_cast<uint16_t>(k)] = static_cast<int16_t>(curve.Evaluate(x) * -32768.0);
        x = static_cast<float>(x + 1.0 / 32768.0);
    }
    return table;
}

void ApplyCompressor(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end,
                     uint32_t channel) {
    if (sample.FormatRef().Is16Bit()) {
        ApplyTable16(sample, BuildCompressorTable16(curve), start, end, channel);
    } else {
        ApplyTable8(sample, BuildCompressorTable8(curve), start, end, channel);
    }
}
