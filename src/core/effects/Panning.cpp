#include "core/effects/Panning.h"

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

// Pans the stereo frame at `at` with a share already in 0..1.
void PanStereoFrame(uint8_t* at, bool wide, float p) {
    if (!wide) {
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

// The curve keeps p in 0..1; a share outside it would push the mix beyond the sample range.
float ClampShare(float p) {
    return p > 1.0f ? 1.0f : (p >= 0.0f ? p : 0.0f);
}

}  // namespace

void PanFrame(SampleBuffer& sample, float p, uint32_t frame) {
    if (!sample.FormatRef().IsStereo())
        return;
    PanStereoFrame(sample.Data() + size_t{frame} * sample.GetBytesPerFrame(),
                   sample.FormatRef().Is16Bit(), ClampShare(p));
}

void ApplyPanning(SampleBuffer& sample, const CurveModel& curve, uint32_t start, uint32_t end) {
    const FrameChangeNote note(sample, start, end);
    uint32_t first = start;
    uint32_t last = end;
    if (!sample.FormatRef().IsStereo() || !ResolveFrames(sample, first, last))
        return;
    CurveCursor cursor(curve);
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    const bool wide = sample.FormatRef().Is16Bit();
    for (uint32_t f = first; f <= last; ++f) {
        const float p = ClampShare(cursor.Evaluate(CurvePosition(f, first, last)));
        PanStereoFrame(data + size_t{f} * bytesPerFrame, wide, p);
        if (f == last)
            break;  // last may be the largest frame number
    }
}
