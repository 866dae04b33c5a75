#include "core/effects/Panning.h"

#include <algorithm>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/VectorClones.h"
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

// Frames are walked in runs: the positions, the shares and then the frames of a run each in a
// loop of their own without branches, which the compiler turns into vector code.
constexpr uint32_t kRun = 1024;

// Pans `count` stereo frames at `at` with their shares (already in 0..1) as PanStereoFrame does.
template <bool Wide>
ORVEX_VECTOR_CLONES void PanRun(uint8_t* at, const float* shares, uint32_t count) {
    constexpr uint32_t frameBytes = Wide ? 4 : 2;
    int32_t mix[kRun];
    int32_t left[kRun];
    int32_t right[kRun];
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = at + i * frameBytes;
        if constexpr (Wide) {
            mix[i] = frames::Load16(p) / 2 + frames::Load16(p + 2) / 2;
        } else {
            mix[i] = static_cast<int8_t>(p[0] ^ 0x80) / 2 + static_cast<int8_t>(p[1] ^ 0x80) / 2;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        const auto m = static_cast<float>(mix[i]);
        left[i] = static_cast<int32_t>(m * shares[i]);
        right[i] = static_cast<int32_t>(m * (1.0f - shares[i]));
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* p = at + i * frameBytes;
        if constexpr (Wide) {
            frames::Store16(p, static_cast<int16_t>(left[i]));
            frames::Store16(p + 2, static_cast<int16_t>(right[i]));
        } else {
            p[0] = static_cast<uint8_t>(left[i] ^ 0x80);
            p[1] = static_cast<uint8_t>(right[i] ^ 0x80);
        }
    }
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
    float t[kRun];
    float shares[kRun];
    for (uint64_t from = first; from <= last; from += kRun) {
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(kRun, uint64_t{last} - from + 1));
        CurvePositions(static_cast<uint32_t>(from), count, first, last, t);
        cursor.EvaluateRun(t, count, shares);
        for (uint32_t i = 0; i < count; ++i) shares[i] = ClampShare(shares[i]);
        uint8_t* at = data + from * bytesPerFrame;
        wide ? PanRun<true>(at, shares, count) : PanRun<false>(at, shares, count);
    }
}
