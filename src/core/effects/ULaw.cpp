#include "core/effects/ULaw.h"

#include <array>

#include "core/messages/MessageSink.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr int16_t ExpandCode(uint8_t code) {
    const int u = static_cast<uint8_t>(~code);
    int t = ((u & 0x0F) << 3) + 0x84;
    t <<= (u & 0x70) >> 4;
    return static_cast<int16_t>((u & 0x80) != 0 ? 0x84 - t : t - 0x84);
}

constexpr uint8_t CompressValue(int value) {
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    const int sign = value < 0 ? 0x80 : 0;
    int magnitude = value < 0 ? -value : value;
    if (magnitude > kClip)
        magnitude = kClip;
    magnitude += kBias;
    int exponent = 7;
    for (int mask = 0x4000; (magnitude & mask) == 0 && exponent > 0; mask >>= 1) --exponent;
    const int mantissa = (magnitude >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

constexpr std::array<int16_t, 256> MakeExpansion() {
    std::array<int16_t, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[static_cast<size_t>(code)] = ExpandCode(static_cast<uint8_t>(code));
    return table;
}

// Indexed by the sample's unsigned pattern shifted right by 2.
std::array<uint8_t, 16384> MakeCompression() {
    std::array<uint8_t, 16384> table{};
    for (int index = 0; index < 16384; ++index) {
        table[static_cast<size_t>(index)] =
            CompressValue(static_cast<int16_t>(static_cast<uint16_t>(index << 2)));
    }
    return table;
}

constexpr std::array<int16_t, 256> kExpansion = MakeExpansion();

const std::array<uint8_t, 16384>& Compression() {
    static const std::array<uint8_t, 16384> table = MakeCompression();
    return table;
}

}  // namespace

int16_t ULawExpand(uint8_t code) {
    return kExpansion[code];
}

uint8_t ULawCompress(int16_t sample) {
    return Compression()[static_cast<uint16_t>(sample) >> 2];
}

bool DecodeULaw(MessageSink& messages, SampleBuffer& sample) {
    const uint32_t codes = sample.GetByteLength();
    if (!sample.HasBlock())
        return true;
    if (codes > UINT32_MAX / 2 || !sample.ResizeBytes(codes * 2)) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    uint8_t* data = sample.Data();
    // From the last code down, so that the widening never overwrites a code not yet read.
    for (uint32_t i = codes; i-- > 0;) frames::Store16(data + 2 * size_t{i}, kExpansion[data[i]]);
    sample.FormatRef().Set16Bit(true);
    return true;
}

void EncodeULaw(SampleBuffer& sample) {
    if (!sample.FormatRef().Is16Bit() || !sample.HasBlock())
        return;
    const uint32_t values = sample.GetByteLength() / 2;
    uint8_t* data = sample.Data();
    const auto& table = Compression();
    for (uint32_t i = 0; i < values; ++i) {
        data[i] = table[static_cast<uint16_t>(frames::Load16(data + 2 * size_t{i})) >> 2];
    }
    sample.ResizeBytes(values);
    sample.FormatRef().Set16Bit(false);
}
