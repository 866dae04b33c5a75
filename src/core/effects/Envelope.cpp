#include "core/effects/Envelope.h"

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
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

}  // namespace

void ScaleFrame(SampleBuffer& sample, float gain, uint32_t frame, uint32_t channel) {
    FrameScaler(sample, channel).Scale(gain, frame);
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
    const FrameScaler scaler(sample, channel);
    for (uint32_t f = first; f <= last; ++f) {
        scaler.Scale(cursor.Evaluate(CurvePosition(f, first, last)) * amplification, f);
        if (f == last)
            break;  // last may be the largest frame number
    }
}
