#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "core/messages/MessageSink.h"
#include "core/sample/FrameRange.h"
#include "support/SampleMaker.h"

// Envelope and Stereo Panning walk whole runs of frames at once (in vector code where the
// processor allows); frame by frame, ScaleFrame and PanFrame with the curve's value at each
// frame's position give the same bytes. Random sounds of every layout, runs that end inside and
// across the vector blocks, a steep curve and gains that clip or are infinite.
namespace {

CurveModel Zigzag() {
    static SilentMessageSink noBeeps;
    CurveModel curve(noBeeps);
    curve.Resize(1009, 1009);
    curve.LoadFractions({{0.0f, 0.9f}, {0.1f, 0.0f}, {0.3f, 1.0f}, {0.7f, 0.2f}, {1.0f, 0.6f}});
    return curve;
}

struct Case {
    uint32_t layout, frames, start, end;
};

std::vector<Case> Cases() {
    const uint32_t spans[][3] = {
        {40, 0, 39}, {40, 3, 20}, {17, 0, 16}, {5000, 7, 4990}, {3000, 0, 9999}};
    std::vector<Case> cases;
    for (uint32_t layout : {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16})
        for (const auto& [frames, start, end] : spans)
            cases.push_back({layout, frames, start, end});
    return cases;
}

void Randomise(SampleBuffer& sample, uint32_t layout, uint32_t frames, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes8 bytes(size_t{frames} * FormatOfLayout(22050, layout).GetBytesPerFrame());
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    // Full-scale and silent values, where the clamps and infinite gains show.
    for (size_t i = 0; i + 3 < bytes.size(); i += 29) bytes[i] = bytes[i + 1] = 0;
    for (size_t i = 5; i + 3 < bytes.size(); i += 31) bytes[i] = bytes[i + 1] = 0x80;
    SetBytes(sample, layout, bytes);
}

TEST(CurveRunsTest, EnvelopeMatchesScaleFrameFrameByFrame) {
    const CurveModel curve = Zigzag();
    for (const Case& c : Cases()) {
        for (uint32_t channel : {kBothChannels, kLeftChannel, kRightChannel}) {
            for (float amplification : {1.0f, 1.7f, INFINITY}) {
                SampleBuffer runs, frames;
                Randomise(runs, c.layout, c.frames, c.frames + channel);
                Randomise(frames, c.layout, c.frames, c.frames + channel);
                ApplyEnvelope(runs, curve, amplification, c.start, c.end, channel);
                const uint32_t last = std::min(c.end, c.frames - 1);
                for (uint32_t f = c.start; f <= last; ++f) {
                    const float t = CurvePosition(f, c.start, last);
                    ScaleFrame(frames, curve.Evaluate(t) * amplification, f, channel);
                }
                ASSERT_EQ(Bytes(runs), Bytes(frames))
                    << "layout " << c.layout << " frames " << c.start << ".." << c.end
                    << " channel " << channel << " x" << amplification;
            }
        }
    }
}

TEST(CurveRunsTest, PanningMatchesPanFrameFrameByFrame) {
    const CurveModel curve = Zigzag();
    for (const Case& c : Cases()) {
        SampleBuffer runs, frames;
        Randomise(runs, c.layout, c.frames, c.frames);
        Randomise(frames, c.layout, c.frames, c.frames);
        ApplyPanning(runs, curve, c.start, c.end);
        const uint32_t last = std::min(c.end, c.frames - 1);
        for (uint32_t f = c.start; f <= last; ++f)
            PanFrame(frames, curve.Evaluate(CurvePosition(f, c.start, last)), f);
        ASSERT_EQ(Bytes(runs), Bytes(frames))
            << "layout " << c.layout << " frames " << c.start << ".." << c.end;
    }
}

}  // namespace
