#include "effects/Panning.h"

#include "effects/CurveModel.h"
#include "effects/EffectRange.h"
#include "effects/Envelope.h"
#include "sample/FrameConversion.h"
#include "sample/SampleBuffer.h"

void PanFrame(SampleBuffer& sample, float p, uint32_t frame) {
    if (!sample.FormatRef().IsStereo())
        return;
    // The curve keeps p in 0..1; a share outside it would push the mix beyond the sample range.
    if (!(p >= 0.0f))
        p = 0.0f;
    if (p > 1.0f)
        p = 1.0f;
    uint8_t* at = sample.Data() + size_t{frame} * sample.GetBytesPerFrame();
    if (!sample.FormatRef().Is16Bit()) {
        const int left = static_cast<int8_t>(at[0] ^ 0x80);
        const int right = static_cast<int8_t>(at[1] ^ 0x80);
        const int m = left / 2 + right / 2;
        at[0] = static_cast<uint8_t>(static_cast<int>(static_cast<float>(m) * p) ^ 0x80);
        at[1] = static_cast<uint8_t>(static_cast<int>(static_cast<float>(m) * (1.0f - p)) ^ 0x80);
        return;
    }
    const int m = frames::Load16(at) / 2 + frames::Load16(at + 2) / 2;
    frames::Store16(at, static_cast<int16_t>(static_cast<float>(m) * p));
    frames::Store16(at + 2, static_cast<int16_t>(static_cast<float>(m) * (1.0f - p)));
}

void ApplyPanning(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end) {
    uint32_t first = start;
    uint32_t last = end;
    if (!sample.FormatRef().IsStereo() || !ResolveFrames(sample, first, last))
        return;
    for (uint32_t f = first; f <= last; ++f) {
        PanFrame(sample, curve.Evaluate(CurvePosition(f, first, last)), f);
        if (f == last)
            break;
    }
}
