#include "effects/Envelope.h"

#include "effects/CurveModel.h"
#include "effects/EffectRange.h"
#include "sample/FrameConversion.h"
#include "sample/SampleBuffer.h"

namespace {

uint8_t Scale8(uint8_t b, float gain) {
    float v = static_cast<float>(static_cast<int8_t>(b ^ 0x80)) * gain;
    if (v != v) v = 0.0f;  // an infinite gain times silence
    v = v > 127.0f ? 127.0f : (v < -128.0f ? -128.0f : v);
    return static_cast<uint8_t>(static_cast<int>(v) ^ 0x80);
}

int16_t Scale16(int16_t s, float gain) {
    float v = static_cast<float>(s) * gain;
    if (v != v) v = 0.0f;
    v = v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v);
    return static_cast<int16_t>(v);
}

}  // namespace

void ScaleFrame(SampleBuffer& sample, float gain, uint32_t frame, uint32_t channel) {
    // A gain that is not a number scales nothing rather than producing undefined samples.
    if (gain != gain) gain = 0.0f;
    const bool stereo = sample.FormatRef().IsStereo();
    const bool first = channel != kRightChannel || !stereo;
    const bool second = stereo && channel != kLeftChannel;
    uint8_t* p = sample.Data() + size_t{frame} * sample.GetBytesPerFrame();
    if (!sample.FormatRef().Is16Bit()) {
        if (first) p[0] = Scale8(p[0], gain);
        if (second) p[1] = Scale8(p[1], gain);
        return;
    }
    if (first) frames::Store16(p, Scale16(frames::Load16(p), gain));
    if (second) frames::Store16(p + 2, Scale16(frames::Load16(p + 2), gain));
}

float CurvePosition(uint32_t frame, uint32_t start, uint32_t end) {
    return static_cast<float>(static_cast<double>(int64_t{frame} - int64_t{start}) /
                              static_cast<double>(int64_t{end} - int64_t{start}));
}

void ApplyEnvelope(SampleBuffer& sample, const CurveModel& curve, float amplification,
                   uint32_t start, uint32_t end, uint32_t channel) {
    uint32_t first = start;
    uint32_t last = end;
    if (!ResolveFrames(sample, first, last)) return;
    for (uint32_t f = first; f <= last; ++f) {
        ScaleFrame(sample, curve.Evaluate(CurvePosition(f, start, end)) * amplification, f, channel);
        if (f == last) break;  // last may be the largest frame number
    }
}
