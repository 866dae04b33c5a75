#include "core/effects/Envelope.h"

#include <algorithm>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/VectorClones.h"
#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

uint8_t Scale8(uint8_t b, float gain) {
    float v = static_cast<float>(static_cast<int8_t>(b ^ 0x80)) * gain;
    if (v != v)
        v = 0.0f;  // an infinite gain times silence
    v = v > 127.0f ? 127.0f : (v < -128.0f ? -128.0f : v);
    return static_cast<uint8_t>(static_cast<int>(v) ^ 0x80);
}

int16_t Scale16(int16_t s, float gain) {
    float v = static_cast<float>(s) * gain;
    if (v != v)
        v = 0.0f;
    v = v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v);
    return static_cast<int16_t>(v);
}

// One frame's scaling with the layout and the selector worked out once for a whole range.
class FrameScaler {
public:
    FrameScaler(SampleBuffer& sample, uint32_t channel)
        : m_data(sample.Data()),
          m_bytesPerFrame(sample.GetBytesPerFrame()),
          m_wide(sample.FormatRef().Is16Bit()),
          m_first(channel != kRightChannel || !sample.FormatRef().IsStereo()),
          m_second(sample.FormatRef().IsStereo() && channel != kLeftChannel) {}

    void Scale(float gain, uint32_t frame) const {
        // A gain that is not a number scales nothing rather than producing undefined samples.
        if (gain != gain)
            gain = 0.0f;
        uint8_t* p = m_data + size_t{frame} * m_bytesPerFrame;
        if (!m_wide) {
            if (m_first)
                p[0] = Scale8(p[0], gain);
            if (m_second)
                p[1] = Scale8(p[1], gain);
            return;
        }
        if (m_first)
            frames::Store16(p, Scale16(frames::Load16(p), gain));
        if (m_second)
            frames::Store16(p + 2, Scale16(frames::Load16(p + 2), gain));
    }

private:
    uint8_t* m_data;
    size_t m_bytesPerFrame;
    bool m_wide;
    bool m_first;
    bool m_second;
};

// Frames are walked in runs: the positions, the gains and then the samples of a run each in a
// loop of their own without branches, which the compiler turns into vector code.
constexpr uint32_t kRun = 1024;

// Scales `count` values `Step` bytes apart at `p` by their gains, in three plain loops (read the
// values, scale them as Scale8 and Scale16 do, write them back) that each become vector code.
template <bool Wide, uint32_t Step>
ORVEX_VECTOR_CLONES void ScaleValues(uint8_t* p, const float* gains, uint32_t count) {
    constexpr float kHigh = Wide ? 32767.0f : 127.0f;
    constexpr float kLow = Wide ? -32768.0f : -128.0f;
    float values[2 * kRun];
    int32_t scaled[2 * kRun];
    for (uint32_t i = 0; i < count; ++i) {
        if constexpr (Wide) {
            values[i] = static_cast<float>(frames::Load16(p + i * Step));
        } else {
            values[i] = static_cast<float>(static_cast<int8_t>(p[i * Step] ^ 0x80));
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        float v = values[i] * gains[i];
        v = v != v ? 0.0f : v;  // an infinite gain times silence
        v = v > kHigh ? kHigh : (v < kLow ? kLow : v);
        scaled[i] = static_cast<int32_t>(v);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if constexpr (Wide) {
            frames::Store16(p + i * Step, static_cast<int16_t>(scaled[i]));
        } else {
            p[i * Step] = static_cast<uint8_t>(scaled[i] ^ 0x80);
        }
    }
}

// Scales `count` frames at `p` by their gains; the layout and the channels are fixed for the loop.
// Both channels of a stereo run are one row of values, each frame's gain given twice.
template <bool Wide, uint32_t Channels, bool First, bool Second>
ORVEX_VECTOR_CLONES void ScaleRun(uint8_t* p, const float* gains, uint32_t count) {
    constexpr uint32_t valueBytes = Wide ? 2 : 1;
    constexpr uint32_t frameBytes = valueBytes * Channels;
    if constexpr (First && Second) {
        float pairs[2 * kRun];
        for (uint32_t i = 0; i < count; ++i) pairs[2 * i] = pairs[2 * i + 1] = gains[i];
        ScaleValues<Wide, valueBytes>(p, pairs, 2 * count);
    } else if constexpr (First) {
        ScaleValues<Wide, frameBytes>(p, gains, count);
    } else {
        ScaleValues<Wide, frameBytes>(p + valueBytes, gains, count);
    }
}

using ScaleRunFn = void (*)(uint8_t*, const float*, uint32_t);

template <bool Wide>
ScaleRunFn ChooseScaleRun(bool stereo, uint32_t channel) {
    if (!stereo)
        return ScaleRun<Wide, 1, true, false>;
    if (channel == kLeftChannel)
        return ScaleRun<Wide, 2, true, false>;
    if (channel == kRightChannel)
        return ScaleRun<Wide, 2, false, true>;
    return ScaleRun<Wide, 2, true, true>;
}

}  // namespace

void ScaleFrame(SampleBuffer& sample, float gain, uint32_t frame, uint32_t channel) {
    FrameScaler(sample, channel).Scale(gain, frame);
}

ORVEX_VECTOR_CLONES void CurvePositions(uint32_t from, uint32_t count, uint32_t first,
                                        uint32_t last, float* t) {
    // The frame offsets are whole numbers well inside a double's exact range, so adding them up
    // is exact and each quotient is the one CurvePosition divides out.
    const auto base = static_cast<double>(int64_t{from} - int64_t{first});
    const auto span = static_cast<double>(int64_t{last} - int64_t{first});
    for (uint32_t i = 0; i < count; ++i)
        t[i] = static_cast<float>((base + static_cast<double>(static_cast<int32_t>(i))) / span);
}

void ApplyEnvelope(SampleBuffer& sample, const CurveModel& curve, float amplification,
                   uint32_t start, uint32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, start, end);
    uint32_t first = start;
    uint32_t last = end;
    if (!ResolveFrames(sample, first, last))
        return;
    // Positions run over the frames really walked, so the whole-sample range and a range clipped
    // at the end of the sound still span the curve from its left to its right edge.
    CurveCursor cursor(curve);
    const bool stereo = sample.FormatRef().IsStereo();
    const ScaleRunFn scaleRun = sample.FormatRef().Is16Bit()
                                    ? ChooseScaleRun<true>(stereo, channel)
                                    : ChooseScaleRun<false>(stereo, channel);
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    float t[kRun];
    float gains[kRun];
    for (uint64_t from = first; from <= last; from += kRun) {
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(kRun, uint64_t{last} - from + 1));
        CurvePositions(static_cast<uint32_t>(from), count, first, last, t);
        cursor.EvaluateRun(t, count, gains);
        for (uint32_t i = 0; i < count; ++i) {
            const float gain = gains[i] * amplification;
            // A gain that is not a number scales nothing rather than producing undefined samples.
            gains[i] = gain != gain ? 0.0f : gain;
        }
        scaleRun(data + from * bytesPerFrame, gains, count);
    }
}
