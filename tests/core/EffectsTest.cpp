// The effects, each as one table of bytes in, the effect, bytes out (hand-worked values), plus
// the properties that hold for every input: reversing twice, the u-law round trip, the spectrum
// against a direct Fourier sum. Format conversion against the frame reading of SampleBuffer and
// the plain definition of linear interpolation (the real code works in vectorised runs); the
// sample rate presets; and the curve editor's model with the cursor that evaluates it in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "core/effects/Amplify.h"
#include "core/effects/ApplyTable.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/Compressor.h"
#include "core/effects/Convert.h"
#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Mix.h"
#include "core/effects/Panning.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/SampleRatePresets.h"
#include "core/effects/Spectrum.h"
#include "core/effects/ULaw.h"
#include "core/effects/VolumeText.h"
#include "core/fileformats/FileHelpers.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "core/settings/MemorySettingsStore.h"
#include "support/SampleMaker.h"

// One step of a case, applied to the sample `s`.
#define FX(...) [&](SampleBuffer& s) { __VA_ARGS__; }

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

using Case = std::tuple<uint32_t, Bytes8, std::function<void(SampleBuffer&)>, Bytes8>;

// Each case: the layout and bytes of a sound, the effect, and the bytes it must leave.
void Expect(const char* effect, const std::vector<Case>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [layout, in, apply, out] = cases[i];
        SampleBuffer sample;
        SetBytes(sample, layout, in);
        apply(sample);
        EXPECT_EQ(Bytes(sample), out) << effect << " case " << i;
    }
}

CurveModel Curve(std::vector<std::pair<float, float>> fractions) {
    static SilentMessageSink noBeeps;  // loaded, never clicked: nothing beeps
    CurveModel curve(noBeeps);
    curve.Resize(1009, 1009);  // W = H = 1004, as orvex-batch loads its curves
    curve.LoadFractions(fractions);
    return curve;
}

// The value at a position is 1 - fy: falling goes from 1 to 0, rising from 0 to 1, top is 1.
const CurveModel kFalling = Curve({{0.0f, 0.0f}, {1.0f, 1.0f}});
const CurveModel kRising = Curve({{0.0f, 1.0f}, {1.0f, 0.0f}});
const CurveModel kTop = Curve({{0.0f, 0.0f}, {1.0f, 0.0f}});

TEST(AmplifyTest, ClampsTruncatesAndKeepsToItsRange) {
    const float inf = std::numeric_limits<float>::infinity();
    // clang-format off
    Expect("amplify", {
        {M8, {0xC0, 0x40, 0x80, 0x81, 0x7F, 0, 0xFF}, FX(Amplify(s, 2, 0, 6, 0)),
         {0xFF, 0, 0x80, 0x82, 0x7E, 0, 0xFF}},
        {M8, {0x7F, 0x81, 0x83}, FX(Amplify(s, 0.5f, 0, 2, 0)), {0x80, 0x80, 0x81}},
        {M16, Le16({20000, -20000, -1, 3, 32767, -32768}), FX(Amplify(s, 2, 0, 5, 0)),
         Le16({32767, -32768, -2, 6, 32767, -32768})},
        {M16, Le16({32767, -32768, -3, 3}), FX(Amplify(s, 0.5f, 0, 3, 0)),
         Le16({16383, -16384, -1, 1})},
        {M16, Le16({1, -2}), FX(Amplify(s, 2, kAll, kAll, 0)), Le16({2, -4})},
        {S16, Le16({100, 100, 100, 100, 100, 100}), FX(Amplify(s, 2, 1, 2, 2)),
         Le16({100, 100, 100, 200, 100, 200})},
        {S16, Le16({100, 100, 100, 100}), FX(Amplify(s, 0, 1, 100, 1)), Le16({100, 100, 0, 100})},
        {M8, {0xC0, 0xC0}, FX(Amplify(s, 2, 1, 1, 2)), {0xC0, 0xFF}},  // mono: its channel
        {M8, {0xC0, 0xC0}, FX(Amplify(s, 2, 1, 0, 0)), {0xC0, 0xC0}},  // reversed range
        {M16, Le16({0, 5, -5}), FX(Amplify(s, inf, 0, 2, 0)), Le16({0, 32767, -32768})},
        {M16, Le16({0, 5, -5}), FX(Amplify(s, kNaN, 0, 2, 0)), Le16({0, 0, 0})},
        {M8, {0x80, 0x90}, FX(Amplify(s, VolumeFromText("1000", true) / 100, 0, 1, 0)),
         {0x80, 0xFF}},
        {M8, {}, FX(Amplify(s, 2, 0, 0, 0)), {}},
        // The whole sample: the mean goes, then 1% of full scale more.
        {M8, Bytes8(10, 130), FX(AdjustDcBias(s, 0, 0)), Bytes8(10, 128)},
        {S16, Le16({100, 7, 200, 7}), FX(AdjustDcBias(s, 1, 1)),
         Le16({100 - 150 - 327, 7, 200 - 150 - 327, 7})},
        // Mean 10922 and 100% down: clamped before it is truncated.
        {M16, Le16({-32768, 32767, 32767}), FX(AdjustDcBias(s, -100, 0)),
         Le16({-10923, 32767, 32767})},
        {M8, {0x80, 0x90}, FX(AdjustDcBias(s, kNaN, 0)), {0x80, 0x80}},
    });
    // clang-format on
}

TEST(AmplifyTest, PeakGainAndPeakSearchFindTheLoudestValue) {
    // Layout, bytes, range and channel: the gain to full scale and the first loudest frame.
    const std::tuple<uint32_t, Bytes8, int32_t, int32_t, uint32_t, float, uint32_t> cases[] = {
        {M16, Le16({100, -16384, 16000, 16000}), -1, -1, 0, 2.0f, 2},
        {M16, Le16({-32768, -5}), -1, -1, 0, 1.0f, 0},  // nothing above 0 to search
        {M16, Le16({0, 0}), -1, -1, 0, 1.0f, 0},        // silence
        {M8, {0x80, 0x00, 0xFF}, -1, -1, 0, 1.0f, 2},   // 0x00 is 127 below, 0xFF 128 above
        {M8, {0xFF}, 0, 0, 0, 1.0f, 0},                 // magnitude 128 counts as 127
        {M8, {0x7F, 0x7F}, -1, -1, 0, 1.0f, 0},         // magnitude 0
        {S8, {0x80, 0xBF, 0xF0, 0x90}, -1, -1, 2, 127.0f / 64.0f, 0},
        {S8, {0x80, 0xBF, 0xF0, 0x90}, -1, -1, 1, 127.0f / 113.0f, 1},
        {M8, {0x90, 0x80, 0xA0, 0x80}, 1, 3, 0, 127.0f / 33.0f, 2},  // only the range counts
        {S8, {0x80, 0xF0, 0xF0, 0x7F}, 1, 1, 2, 1.0f, 0},            // silence in the range
    };
    for (const auto& [layout, in, start, end, channel, gain, frame] : cases) {
        SampleBuffer sample;
        SetBytes(sample, layout, in);
        EXPECT_FLOAT_EQ(PeakGain(sample, start, end, channel), gain) << layout << " " << int{in[0]};
        EXPECT_EQ(PeakSearch(sample, start, end, channel), frame) << layout << " " << int{in[0]};
    }
    SampleBuffer sample;  // searched a block at a time: the first of equal peaks still wins
    Bytes8 values = Bytes8(20000, 0);
    values[2 * 100 + 1] = 0x60, values[2 * 9000 + 1] = values[2 * 9500 + 1] = 0x70;
    SetBytes(sample, M16, values);
    EXPECT_EQ(PeakSearch(sample, -1, -1, 0), 9000u);
    EXPECT_EQ(PeakSearch(sample, 9001, 9999, 0), 9500u);
}

TEST(VolumeTextTest, LeadingNumbersReadLikeTheCLibrary) {
    const std::pair<const char*, double> numbers[] = {
        {"  12.5abc", 12.5}, {"-3", -3.0},    {"+4.0e1", 40.0}, {"", 0.0},
        {"abc", 0.0},        {"1e-400", 0.0}, {"+-5", 0.0},     {"--5", 0.0}};
    for (const auto& [text, value] : numbers) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
    EXPECT_EQ(std::tuple(LeadingInteger("100.9%"), LeadingInteger("x")), std::tuple(100, 0));
    EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
    // Percent and decibel texts are the amplify dialog's tests; an empty volume silences.
    EXPECT_EQ(
        std::tuple(VolumeFromText("", false), VolumeFromText("junk", true), VolumeText(50, true)),
        std::tuple(0.0f, 100.0f, "-6.02"));
}

// The user's locale may write numbers with a decimal comma; the editor's texts never do.
TEST(VolumeTextTest, NumbersKeepTheirPointInAnotherLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no German locale here";
    const auto texts = std::tuple(LeadingNumber("12.5"), VolumeText(150.25f, false),
                                  DescribeSize(44100, DurationSeconds(44100, 88200.0)));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(texts, std::tuple(12.5, "150.2", "44100 Bytes; 0.50 secs"));
}

TEST(TransformsTest, ReverseAndChangeSign) {
    // clang-format off
    Expect("reverse", {
        {M8, {1, 2, 3, 4}, FX(Reverse(s, -1, -1, 0)), {4, 3, 2, 1}},
        {M8, {1, 2, 3, 4}, FX(Reverse(s, 2, 2, 0)), {1, 2, 3, 4}},
        {S16, Le16({10, 20, 11, 21, 12, 22}), FX(Reverse(s, 0, 2, 0)),
         Le16({12, 22, 11, 21, 10, 20})},
        {S16, Le16({10, 20, 11, 21, 12, 22}), FX(Reverse(s, 0, 2, 2)),
         Le16({10, 22, 11, 21, 12, 20})},
        {S8, {1, 5, 2, 6, 3, 7, 4, 8}, FX(Reverse(s, 1, 50, 1)), {1, 5, 4, 6, 3, 7, 2, 8}},
        {M16, Le16({0x0102, 0x0304}), FX(Reverse(s, -1, -1, 0)), Le16({0x0304, 0x0102})},
        // Every byte of the range, both channels whatever the selector.
        {S16, Le16({0, 0, 0x7F01, 0}), FX(ChangeSign(s, 1, 1, 1)),
         {0, 0, 0, 0, 0x81, 0xFF, 0x80, 0x80}},
        {M8, {0x00, 0x7F, 0xFF}, FX(ChangeSign(s, 0, 1, 0)), {0x80, 0xFF, 0xFF}},
    });
    // clang-format on
    std::mt19937 random(11);  // reversing twice gives the sound back
    for (uint32_t layout : {M8, M16, S8, S16}) {
        for (uint32_t channel : {0u, 1u, 2u}) {
            Bytes8 bytes(4 * 301);
            for (auto& b : bytes) b = static_cast<uint8_t>(random());
            SampleBuffer sample;
            SetBytes(sample, layout, bytes);
            Reverse(sample, 17, 250, channel);
            EXPECT_NE(Bytes(sample), bytes);
            Reverse(sample, 17, 250, channel);
            EXPECT_EQ(Bytes(sample), bytes) << layout << " " << channel;
        }
    }
}

TEST(ULawTest, CodesSurviveExpandingAndCompressing) {
    EXPECT_EQ(std::tuple(ULawExpand(0x00), ULawExpand(0x80), ULawExpand(0x7F)),
              std::tuple(-32124, 32124, 0));
    // The two lowest bits are dropped: 3 is silence.
    EXPECT_EQ(
        std::tuple(ULawCompress(0), ULawCompress(-32768), ULawCompress(32767), ULawCompress(3)),
        std::tuple(0xFF, 0x00, 0x80, 0xFF));
    for (int code = 0; code < 256; ++code) {  // negative zero comes back as positive zero
        EXPECT_EQ(ULawCompress(ULawExpand(static_cast<uint8_t>(code))), code == 0x7F ? 0xFF : code);
    }
    SampleBuffer sound;  // a whole sound: its codes, 8-bit (256 + 132 is segment 1, step 8)
    SetBytes(sound, M16, Le16({0, -32768, 32767, 256}));
    EncodeULaw(sound);
    EXPECT_EQ(std::tuple(Bytes(sound), sound.GetBits()),
              std::tuple(Bytes8{0xFF, 0, 0x80, 0xE7}, 8u));
}

TEST(MixTest, AveragesAroundTheMidpointInTheOutputsFormat) {
    SampleBuffer a, b, c, d, output;
    SetBytes(a, M8, {200, 10, 0, 255, 128});
    SetBytes(b, M8, {100, 20, 0, 255});
    SetBytes(c, S16, Le16({0x4000, 0x2000, -0x8000, -0x8000}));  // mean's high byte XOR 0x80
    SetBytes(d, S8, {100, 200, 0, 2});                           // mean of both channels
    const std::tuple<std::vector<MixInput>, uint32_t, Bytes8> mixes[] = {
        {{{&a, 0, 5, 0}}, 5, {200, 10, 0, 255, 128}},
        // Each (v - 127) / 2 truncated toward zero; past b's end only a counts.
        {{{&a, 0, 5, 0}, {&b, 0, 4, 0}}, 5, {150, 16, 1, 255, 127}},
        // Placed later, from a later frame; frames no input covers hold 127; cut at the end.
        {{{&a, 1, 2, 1}, {&b, 0, 4, 4}}, 6, {127, 69, 64, 127, 114, 74}},
        {{{nullptr, 0, 3, 0}, {&a, 0, 2, 0}}, 3, {200, 10, 127}},  // no source: not counted
        {{}, 3, {127, 127, 127}},
        {{{&c, 0, 2, 0}}, 2, {0xB0, 0x00}},
        {{{&d, 0, 2, 0}}, 2, {150, 1}},
        {{{&b, 0, 2, 0}}, 0, {}},
        {{{&b, 2, 9, 1}}, 4, {127, 0, 255, 127}},  // claims more frames than b holds
    };
    for (const auto& [inputs, length, out] : mixes) {
        ASSERT_TRUE(MixInto(output, inputs, length));
        EXPECT_EQ(Bytes(output), out) << inputs.size() << " inputs, " << length;
    }
    // A 16-bit stereo output gets the 8-bit value widened into both channels.
    SetBytes(output, S16, Le16({1, 2}));
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&d, 0, 2, 1}}, 3));
    EXPECT_EQ(Values16(output), (std::vector<int>{-256, -256, 0x1600, 0x1600, -0x7F00, -0x7F00}));
    // The output may be an input: its old frames are read, not the ones just written.
    SetBytes(output, M8, {10, 20, 30});
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&output, 0, 3, 2}}, 5));
    EXPECT_EQ(Bytes(output), (Bytes8{127, 127, 10, 20, 30}));
    SetBytes(output, S16, Le16({5, 6}));  // 2^30 frames of 4 bytes pass a block's size
    EXPECT_FALSE(MixInto(output, std::vector<MixInput>{{&a, 0, 1, 0}}, 0x40000000u));
    EXPECT_EQ(Values16(output), (std::vector<int>{5, 6}));
    const Bytes8 ramp = RampBytes(10000);  // a long mix crosses the runs it is worked in
    SetBytes(a, M8, ramp);
    SetBytes(output, M8, {});
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&a, 0, 10000, 5000}}, 15000));
    Bytes8 expected(15000, 127);
    std::copy(ramp.begin(), ramp.end(), expected.begin() + 5000);
    EXPECT_EQ(Bytes(output), expected);
}

TEST(ApplyTableTest, EveryLayoutSelectorAndRange) {
    // Tables that tell every entry apart from the value it replaces.
    std::vector<int16_t> invert16(65536);
    std::array<uint8_t, 256> invert8{};
    for (size_t u = 0; u < invert16.size(); ++u) invert16[u] = static_cast<int16_t>(~u);
    for (size_t b = 0; b < invert8.size(); ++b) invert8[b] = static_cast<uint8_t>(~b);
    // Layout and selector: which values of frames 0..2 the range 1..2 changes.
    const std::tuple<uint32_t, uint32_t, std::vector<bool>> cases[] = {
        {M8, 0, {0, 1, 1}},           {M8, 2, {0, 1, 1}},           {M16, 1, {0, 1, 1}},
        {S8, 0, {0, 0, 1, 1, 1, 1}},  {S8, 1, {0, 0, 1, 0, 1, 0}},  {S8, 2, {0, 0, 0, 1, 0, 1}},
        {S16, 0, {0, 0, 1, 1, 1, 1}}, {S16, 1, {0, 0, 1, 0, 1, 0}}, {S16, 2, {0, 0, 0, 1, 0, 1}},
    };
    for (const auto& [layout, selector, changed] : cases) {
        const size_t width = (layout & 2) != 0 ? 2 : 1;
        const Bytes8 bytes = RampBytes(changed.size() * width, 0x11, 0x80);
        SampleBuffer sample;
        SetBytes(sample, layout, bytes);
        ApplyTable8(sample, invert8, 1, 2, selector);  // one of them has the wrong width
        ApplyTable16(sample, invert16, 1, 2, selector);
        Bytes8 expected = bytes;
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = changed[i / width] ? uint8_t(~expected[i]) : expected[i];
        EXPECT_EQ(Bytes(sample), expected) << layout << " selector " << selector;
    }
    Expect("table", {
                        {S16, Le16({1, 2, 3, 4}), FX(ApplyTable16(s, invert16, kAll, kAll, 0)),
                         Le16({~1, ~2, ~3, ~4})},
                        {S16, Le16({1, 2}), FX(ApplyTable16(s, invert16, 1, 7, 0)), Le16({1, 2})},
                        {S16, Le16({1, 2}), FX(ApplyTable16(s, std::vector<int16_t>(3), 0, 1, 0)),
                         Le16({1, 2})},  // not a whole table
                        {M8, {0x00, 0x7F}, FX(ApplyTable8(s, invert8, 1, 100, 0)), {0x00, 0x80}},
                    });
    // A megabyte and more of 8-bit values in a row goes through a table of byte pairs.
    Bytes8 run = PatternBytes((size_t{1} << 20) + 13);
    SampleBuffer big;
    SetBytes(big, M8, run);
    ApplyTable8(big, invert8, 3, kAll, 0);
    for (size_t i = 3; i < run.size(); ++i) run[i] = uint8_t(~run[i]);
    EXPECT_EQ(Bytes(big), run);
}

// 0.7f is just below 0.7: 10 * 0.7f rounds to 7 in single precision before the truncation, where
// double precision would keep it below 7. Clamping comes before the truncation.
TEST(EnvelopeTest, ScaleFrameAndCurvesOverTheResolvedRange) {
    const Bytes8 flat = Le16({1000, 1000, 1000, 1000, 1000}),
                 fading = Le16({1000, 750, 500, 250, 0});
    const Bytes8 bytes8 = {0x90, 0x70, 0xA0, 0x60};
    // clang-format off
    Expect("envelope", {
        {M16, Le16({30000, -30000, -3}),
         FX(ScaleFrame(s, 1.5f, 0, 0), ScaleFrame(s, 1.5f, 1, 2), ScaleFrame(s, 0.5f, 2, 0)),
         Le16({32767, -32768, -1})},
        {S8, {0xC0, 0xC0}, FX(ScaleFrame(s, 2, 0, 1)), {0xFF, 0xC0}},
        {S16, Le16({10, -10, -3, 3}), FX(ScaleFrame(s, 0.7f, 0, 0), ScaleFrame(s, 0.5f, 1, 0)),
         Le16({7, -7, -1, 1})},
        {S8, {0x8A, 0x76, 0x7D, 0x83}, FX(ScaleFrame(s, 0.7f, 0, 0), ScaleFrame(s, 0.5f, 1, 2)),
         {0x87, 0x79, 0x7D, 0x81}},
        {M8, {0x00, 0xFF}, FX(ScaleFrame(s, 1.01f, 0, 0), ScaleFrame(s, -1.01f, 1, 0)),
         {0x00, 0x00}},
        {M16, Le16({-32768, 32767}), FX(ScaleFrame(s, -1, 0, 0), ScaleFrame(s, -1, 1, 0)),
         Le16({32767, -32767})},
        {M16, flat, FX(ApplyEnvelope(s, kFalling, 1, kAll, kAll, 0)), fading},
        {M16, flat, FX(ApplyEnvelope(s, kFalling, 1, 0, 4000, 0)), fading},  // to the end
        {M16, flat, FX(ApplyEnvelope(s, kFalling, 1, 5, 9, 0)), flat},  // past the end
        {M16, flat, FX(ApplyEnvelope(s, kFalling, 1, 3, 1, 0)), flat},  // reversed
        {M16, flat, FX(ApplyEnvelope(s, kFalling, 1, 1, 3, 0)), Le16({1000, 1000, 500, 0, 1000})},
        {M16, flat, FX(ApplyEnvelope(s, kTop, 0.5f, 0, 1, 0)), Le16({500, 500, 1000, 1000, 1000})},
        {S8, bytes8, FX(ApplyEnvelope(s, kTop, 1, 0, 1, 0)), bytes8},
        {S8, bytes8, FX(ApplyEnvelope(s, kTop, 1, 1, 1, 1)), {0x90, 0x70, 0x80, 0x60}},  // a frame
        {M8, {}, FX(ApplyEnvelope(s, kFalling, 1, 0, 0, 0)), {}},
    });
    // clang-format on
    SampleBuffer sample;  // a long selection follows the line closely
    Bytes8 loud;
    for (int f = 0; f <= 100; ++f) loud.insert(loud.end(), {0x00, 0x40});
    SetBytes(sample, M16, loud);
    ApplyEnvelope(sample, kFalling, 1.0f, 0, 100, 0);
    for (int f = 0; f <= 100; f += 10)
        EXPECT_NEAR(Values16(sample)[f], 16384 * (100 - f) / 100, 20);
}

TEST(PanningTest, SharesTheMixOutBetweenTheChannels) {
    // m = 10 / 2 + 10 / 2: 10 * 0.7f rounds to 7 in single precision; a share outside 0..1
    // acts as its nearest end.
    // clang-format off
    Expect("pan", {
        {S16, Le16({1000, 3000, 1000, 3000, -3, -3}),
         FX(PanFrame(s, 1, 0), PanFrame(s, 0.5f, 1), PanFrame(s, 1, 2)),
         Le16({2000, 0, 1000, 1000, -2, 0})},
        {S16, Le16({10, 10, -32768, -32768, 32767, 32767}),
         FX(PanFrame(s, 0.7f, 0), PanFrame(s, 5, 1), PanFrame(s, -2, 2)),
         Le16({7, 3, -32768, 0, 0, 32766})},
        {S8, {0xFF, 0xFF, 0x00, 0x01}, FX(PanFrame(s, 1, 0), PanFrame(s, 0, 1)),
         {0xFE, 0x80, 0x80, 0x01}},
        {S8, {0x8A, 0x8A, 0x00, 0x00}, FX(PanFrame(s, 0.7f, 0), PanFrame(s, 0.5f, 1)),
         {0x87, 0x83, 0x40, 0x40}},
        {M16, Le16({1000}), FX(PanFrame(s, 1, 0)), Le16({1000})},
        {S16, Le16({100, 100, 100, 100, 100, 100}), FX(ApplyPanning(s, kRising, 0, 2)),
         Le16({0, 100, 50, 50, 100, 0})},
        {M8, {0xFF}, FX(ApplyPanning(s, kRising, 0, 0)), {0xFF}},
    });
    // clang-format on
}

TEST(CompressorTest, TablesFollowTheCurve) {
    const auto diagonal16 = BuildCompressorTable16(kRising);
    for (int k = -32768; k <= 32767; ++k) {  // single-precision steps: at most 2 below
        const int v = diagonal16[static_cast<uint16_t>(k)];
        ASSERT_TRUE(k <= 0 ? v == k : (v <= k && v >= k - 2)) << k << " -> " << v;
    }
    EXPECT_EQ(diagonal16[32767], 32767);
    const auto diagonal8 = BuildCompressorTable8(kRising);
    for (int k = 0; k <= 128; ++k) EXPECT_EQ(diagonal8[static_cast<size_t>(k)], k);
    EXPECT_EQ(diagonal8[255], 255);
    // Value 0.5 everywhere: silence and negatives go to half the negative full scale,
    // positives to half the positive one (truncated toward zero).
    const CurveModel half = Curve({{0.0f, 0.5f}, {1.0f, 0.5f}});
    const auto half16 = BuildCompressorTable16(half);
    const auto half8 = BuildCompressorTable8(half);
    EXPECT_EQ(std::tuple(half16[0], half16[0x8000], half16[1]), std::tuple(-16384, -16384, 16383));
    EXPECT_EQ(std::tuple(half8[128], half8[255]), std::tuple(0x40, 0xBF));
    const CurveModel knee = Curve({{0.0f, 1.0f}, {0.5f, 0.75f}, {1.0f, 0.0f}});
    Expect("compressor",
           {
               {S16, Le16({1, 0, -1, 5, 16384, -16384}), FX(ApplyCompressor(s, kTop, 0, 1, 0)),
                Le16({32767, -32768, -32768, 32767, 16384, -16384})},
               {S8, {0xC0, 0xC0}, FX(ApplyCompressor(s, kTop, 0, 0, 1)), {0xFF, 0xC0}},
               {M8, {}, FX(ApplyCompressor(s, kTop, kAll, kAll, 0)), {}},
           });
    SampleBuffer sample;  // half the full scale comes out at a quarter
    SetBytes(sample, M16, Le16({16384, -16384, 32767}));
    ApplyCompressor(sample, knee, 0, 1, 0);
    const auto values = Values16(sample);
    EXPECT_NEAR(values[0], 8192, 8);
    EXPECT_NEAR(values[1], -8192, 8);
    EXPECT_EQ(values[2], 32767);
}

TEST(SpectrumTest, TransformIsTheFourierSum) {
    // Random input of 4 and of 64 points against the direct sum with the kernel e^(+2 pi i jk / n):
    // data[1] holds bin 0, data[2] bin n / 2, then the real and imaginary parts of each bin.
    std::mt19937 random(3);
    for (const int n : {4, 64}) {
        std::vector<float> data(size_t(n) + 1);
        for (int i = 1; i <= n; ++i) data[size_t(i)] = static_cast<float>(random() % 255) - 127.0f;
        const std::vector<float> input(data.begin() + 1, data.end());
        RealFft(data, n);
        for (int k = 0; k <= n / 2; ++k) {
            double re = 0, im = 0;
            for (int j = 0; j < n; ++j) {
                re += input[size_t(j)] * std::cos(2 * M_PI * j * k / n);
                im += input[size_t(j)] * std::sin(2 * M_PI * j * k / n);
            }
            const size_t at = size_t(2 * k + 1);
            EXPECT_NEAR(data[k == 0 ? 1 : k == n / 2 ? 2 : at], re, 0.1) << n << " " << k;
            if (k != 0 && k != n / 2) {
                EXPECT_NEAR(data[at + 1], im, 0.1) << n << " " << k;
            }
        }
    }
}

TEST(SpectrumTest, WindowAroundTheCentreAndSilenceOutside) {
    // One loud frame of stereo 16-bit (the high byte of the mean) at frame 0: with 16 points
    // centred there, it sits at i = 8 of the window; silence reads 128 - 127 = 1 everywhere.
    SampleBuffer sample;
    SetBytes(sample, S16, Le16({0x7F00, 0x7F00}));
    std::vector<float> data;
    ComputeSpectrum(sample, 0, 16, data);
    double sum = 0.0;
    for (int i = 0; i < 16; ++i) sum += (i == 8 ? 128.0 : 1.0) * std::sin(i * M_PI / 16);
    EXPECT_NEAR(data[1], sum, 1e-2);
    SampleBuffer empty;  // sizes the transform cannot take give silence, not a crash
    for (int n : {0, -4, 2, 3, 12}) {
        ComputeSpectrum(empty, 0, n, data);
        EXPECT_EQ(data.size(), static_cast<size_t>(std::max(n, 0)) + 1);
        EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](float f) { return f == 0.0f; }));
    }
    EXPECT_EQ(SpectrumMagnitudes(std::vector<float>(3), kSpectrumPoints)[5], 0.0f);
}

constexpr uint32_t kLayouts[] = {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16};

Bytes8 RandomBytes(size_t size, std::mt19937& random) {
    Bytes8 bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// The frames of `sample` as `layout` stores them, read one at a time.
Bytes8 FramesAs(const SampleBuffer& sample, uint32_t layout) {
    const SampleFormat format = FormatOfLayout(1, layout);
    Bytes8 out;
    for (uint32_t f = 0; f < sample.GetFrameCount(); ++f) {
        FrameValue value;
        sample.GetFrame(f, layout, value);
        for (int c = 0; c < static_cast<int>(format.GetChannels()); ++c) {
            out.push_back(format.Is16Bit() ? static_cast<uint8_t>(value.slot[c]) : value.Byte(c));
            if (format.Is16Bit())
                out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value.slot[c]) >> 8));
        }
    }
    return out;
}

TEST(ConvertTest, EveryLayoutPairConvertsInPlaceAsEachFrameReads) {
    std::mt19937 random(9);
    RecordingMessageSink messages;
    for (uint32_t from : kLayouts) {
        for (uint32_t to : kLayouts) {
            SampleBuffer sample;  // several runs of frames
            SetBytes(sample, from, RandomBytes(4 * 5000, random), 11025);
            const Bytes8 expected = FramesAs(sample, to);
            ASSERT_TRUE(ConvertLayout(messages, sample, from, to));
            EXPECT_EQ(sample.FormatRef(), FormatOfLayout(11025, to));
            EXPECT_EQ(Bytes(sample), expected) << from << " -> " << to;
        }
    }
    EXPECT_TRUE(messages.Shown().empty());
}

// Resampling as the plain definition has it, one value at a time: output frame i lies at input
// position i * oldRate / newRate, between frame k and the next (the last frame is its own next),
// and takes a + (b - a) * fraction truncated toward zero. Trailing bytes of a partial frame are
// silence.
Bytes8 Definition(const Bytes8& in, uint32_t layout, uint32_t oldRate, uint32_t newRate) {
    const SampleFormat format = FormatOfLayout(oldRate, layout);
    const size_t valueBytes = format.GetBytesPerValue(), channels = format.GetChannels();
    const size_t frameBytes = valueBytes * channels;
    const size_t last = in.size() / frameBytes - 1;
    const auto length = static_cast<size_t>(double(newRate) / double(oldRate) * double(in.size()));
    Bytes8 out(length, format.Is16Bit() ? 0 : 0x80);
    auto value = [&](size_t frame, size_t c) {
        const uint8_t* p = &in[frame * frameBytes + c * valueBytes];
        return valueBytes == 2 ? int(int16_t(p[0] | p[1] << 8)) : int(p[0]);
    };
    for (size_t i = 0; i < length / frameBytes; ++i) {
        const double pos = double(i) * (double(oldRate) / double(newRate));
        const size_t k = std::min(static_cast<size_t>(pos), last);
        const double fraction = pos - std::floor(pos);
        for (size_t c = 0; c < channels; ++c) {
            const int a = value(k, c);
            const int v = static_cast<int>((value(std::min(k + 1, last), c) - a) * fraction + a);
            for (size_t b = 0; b < valueBytes; ++b)
                out[i * frameBytes + c * valueBytes + b] = static_cast<uint8_t>(v >> (8 * b));
        }
    }
    return out;
}

// Rates a power of two apart (which have integer runs of their own) and others, lengths across
// several runs and with a partial frame at the end.
TEST(ConvertTest, EveryRatioGivesTheDefinitionsBytes) {
    std::mt19937 random(5);
    const std::pair<uint32_t, uint32_t> rates[] = {{11025, 22050}, {11025, 44100}, {22050, 11025},
                                                   {44100, 11025}, {48000, 6000},  {6000, 48000},
                                                   {44100, 48000}, {48000, 44100}};
    RecordingMessageSink messages;
    for (uint32_t layout : kLayouts) {
        for (auto [from, to] : rates) {
            for (size_t size : {size_t{7}, size_t{4099}, size_t{9000}}) {
                const Bytes8 bytes = RandomBytes(size, random);
                SampleBuffer sample;
                SetBytes(sample, layout, bytes, from);
                ASSERT_TRUE(Resample(messages, sample, from, to));
                EXPECT_EQ(Bytes(sample), Definition(bytes, layout, from, to))
                    << layout << ": " << from << " -> " << to << ", " << size << " bytes";
            }
        }
    }
    // Halving keeps every second frame; 2.5 frames of bytes leave a half frame of silence.
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1, -1, 2, -2, 3, -3, 4, -4, 5, -5}), 22050);
    ASSERT_TRUE(Resample(messages, sample, 22050, 11025));
    EXPECT_EQ(Values16(sample), (std::vector<int>{1, -1, 3, -3, 0}));
}

TEST(ConvertTest, ChangeFormatConvertsDownFromRatesItCannotHold) {
    // 96 frames at 96000 Hz become 8 at 8000 Hz: every 12th frame.
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, RampBytes(192, 1, 0), 96000);
    ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(8000, false, true)));
    EXPECT_EQ(std::tuple(sample.FormatRef(), sample.GetFrameCount()),
              std::tuple(SampleFormat(8000, false, true), 8u));
    EXPECT_EQ(Values16(sample)[2], 24 * 2 * 0x101 + 0x100);
}

TEST(ConvertTest, RefusalsLeaveTheSoundAsItWas) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {1, 2, 3}, 8000);
    for (uint32_t rate : {0u, 50001u, 96000u})
        EXPECT_FALSE(ChangeFormat(messages, sample, SampleFormat(rate, true, true))) << rate;
    EXPECT_EQ(messages.Texts(), Texts(3, kBadRateMessage));
    // Two bytes at 2^31 times the rate would be exactly 4 GiB: past the 32-bit byte count.
    SetBytes(sample, kLayoutMono8, {1, 2}, 1);
    EXPECT_FALSE(Resample(messages, sample, 1, 0x80000000u));
    EXPECT_EQ(std::tuple(Bytes(sample), messages.Texts().back()),
              std::tuple(Bytes8{1, 2}, "Error manipulating memory!"));
    SetBytes(sample, kLayoutMono8, Bytes8(100, 9), 8000);
    SampleHeap::Instance().SetLimitForTesting(150);
    EXPECT_FALSE(ConvertLayout(messages, sample, kLayoutMono8, kLayoutStereo16));
    EXPECT_FALSE(Resample(messages, sample, 8000, 16000));
    EXPECT_FALSE(ChangeFormat(messages, sample, SampleFormat(8000, true, false)));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(
        std::tuple(Bytes(sample), sample.FormatRef(), messages.Texts().back()),
        std::tuple(Bytes8(100, 9), SampleFormat(8000, false, false), "Error manipulating memory!"));
    // Both at once: the rate doubles and the layout widens.
    ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(16000, true, true)));
    EXPECT_EQ(sample.GetFrameCount(), 200u);
    SampleBuffer empty;
    EXPECT_TRUE(ChangeFormat(messages, empty, SampleFormat(44100, true, true)) &&
                empty.FormatRef() == SampleFormat(44100, true, true));
}

TEST(SampleRatePresetsTest, SaveFindLoadDelete) {
    MemorySettingsStore store;
    SampleRatePresets presets(store);
    EXPECT_FALSE(presets.First().has_value());
    auto save = [&](const char* name, uint32_t frequency, uint32_t channels, uint32_t bits) {
        presets.Frequency = frequency, presets.Channels = channels, presets.Bits = bits;
        return presets.Save(name);
    };
    ASSERT_TRUE(save("CD", 44100, 2, 16));
    ASSERT_TRUE(save("Studio", 96000, 2, 16));
    ASSERT_TRUE(save("Phone", 8000, 1, 8));
    EXPECT_EQ(presets.Find(96000, 2, 16), "Studio");
    EXPECT_FALSE(presets.Find(44100, 2, 8).has_value());
    // Each value is four little-endian bytes of no declared type.
    const std::string studio = std::string(SampleRatePresets::kKey) + "\\Studio";
    const auto bytes = store.GetValue(studio, "Frequency");
    EXPECT_EQ(std::tuple(bytes->type, bytes->bytes),
              std::tuple(SettingsValueType::None, Bytes8{0x00, 0x77, 0x01, 0x00}));

    SampleRatePresets other(store);
    Texts names;
    for (auto name = other.First(); name; name = other.Next()) names.push_back(*name);
    EXPECT_EQ(names, (Texts{"CD", "Phone", "Studio"}));
    ASSERT_TRUE(other.Load("studio"));
    EXPECT_EQ(std::tuple(other.Frequency, other.Channels, other.Bits), std::tuple(96000u, 2u, 16u));
    // A preset missing one value, or holding a value of the wrong size, is not applied (saving
    // and deleting are the presets dialog's tests).
    store.DeleteValue(std::string(SampleRatePresets::kKey) + "\\Phone", "Bits");
    EXPECT_FALSE(presets.Load("Phone"));
    EXPECT_FALSE(presets.Find(8000, 1, 8).has_value());
    store.SetBytes(studio, "Bits", {16, 0});
    EXPECT_FALSE(presets.Load("Studio"));
}

using Press = CurveModel::Press;
using Move = CurveModel::Move;

class CurveModelTest : public ::testing::Test {
protected:
    CurveModelTest() { curve.Resize(205, 105); }  // W = 200, H = 100
    std::pair<int, int> Point(int i) const { return {curve.PointAt(i).x, curve.PointAt(i).y}; }
    void Store(const std::string& name, const Bytes8& data) {
        store.SetBytes("SOFTWARE\\Orvex\\Compressor\\" + name, "Data", data,
                       SettingsValueType::None);
    }

    MemorySettingsStore store;
    RecordingMessageSink messages;
    CurveModel curve{messages};
};

TEST_F(CurveModelTest, ResetShapesAndEvaluation) {
    curve.Reset(CurveModel::kFlatTop);
    for (float t : {0.0f, 0.3f, 1.0f}) EXPECT_EQ(curve.Evaluate(t), 1.0f);
    curve.Reset(CurveModel::kDiagonal);
    for (float t : {0.0f, 0.25f, 0.5f, 0.9f, 1.0f}) EXPECT_NEAR(curve.Evaluate(t), t, 1e-6f);
    curve.Reset(CurveModel::kMiddle);
    EXPECT_EQ(Point(0), std::pair(4, 54));
    EXPECT_FLOAT_EQ(curve.Evaluate(0.7f), (100.0f - 54) / 96);
    for (float t : {1.01f, -0.01f, std::nanf("")}) EXPECT_EQ(curve.Evaluate(t), 0.0f);
    // A damaged preset can hold a vertical step; evaluating on it stays a number.
    curve.LoadFractions({{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}});
    EXPECT_EQ(curve.Evaluate(0.0f), 0.0f);
    EXPECT_EQ(curve.Evaluate(0.5f), 1.0f);
    // A single point is no curve: it evaluates to 0 and refuses insertion.
    curve.LoadFractions({{1.0f, 0.0f}, {0.5f, 0.5f}});
    ASSERT_EQ(curve.Count(), 1);
    EXPECT_EQ(curve.Evaluate(0.5f), 0.0f);
    EXPECT_EQ(curve.PressAt(100, 50), Press::Refused);
}

TEST_F(CurveModelTest, ClicksDragInsertOrAreRefused) {
    // Points at x 4 and 200. A click within 2 pixels of a point drags it; a new point needs 5
    // pixels to its left neighbour and 4 to its right one.
    curve.Reset(CurveModel::kFlatTop);
    const std::tuple<int, int, Press> presses[] = {
        {3, 50, Press::Ignored},    {50, 3, Press::Ignored},    {50, 105, Press::Ignored},
        {8, 50, Press::Refused},    {197, 50, Press::Refused},  {9, 50, Press::Inserted},
        {100, 50, Press::Inserted}, {97, 50, Press::Refused},   {98, 50, Press::Dragging},
        {103, 50, Press::Refused},  {102, 50, Press::Dragging}, {100, 47, Press::Refused},
        {100, 48, Press::Dragging}, {100, 53, Press::Refused},  {100, 52, Press::Dragging},
        {104, 50, Press::Refused},  {105, 50, Press::Inserted}, {114, 50, Press::Inserted},
        {110, 80, Press::Inserted}, {111, 80, Press::Dragging}, {10, 51, Press::Dragging},
    };
    int refused = 0;
    for (const auto& [x, y, expected] : presses) {
        EXPECT_EQ(curve.PressAt(x, y), expected) << x << ", " << y;
        refused += expected == Press::Refused;
        curve.Release();
    }
    EXPECT_EQ(messages.Beeps(), refused);
    std::vector<int> xs;
    for (const auto& p : curve.Points()) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<int>{4, 9, 100, 105, 110, 114, 200}));
    // 256 points at the most: a wide curve filled five pixels apart refuses one more.
    CurveModel wide(messages);
    wide.Resize(1405, 105);
    wide.Reset(CurveModel::kFlatTop);
    for (int x = 9; wide.Count() < 256; x += 5) {
        ASSERT_EQ(wide.PressAt(x, 50), Press::Inserted);
        wide.Release();
    }
    EXPECT_EQ(wide.PressAt(1300, 50), Press::Refused);
    // A dragged middle point stays strictly between its neighbours.
    ASSERT_EQ(curve.PressAt(100, 50), Press::Dragging);
    for (auto [to, stops] : {std::pair{0, 10}, {500, 104}}) {
        curve.DragTo(to, 50);
        EXPECT_EQ(curve.Points()[2].x, stops) << to;
    }
    curve.Release();
}

// Dragging, the readouts and presets across sizes are the curve editor widget's tests; here the
// stored bytes: 256 little-endian float pairs, the first (0, 1) for the diagonal.
TEST_F(CurveModelTest, PresetsAreFractionPairs) {
    curve.Reset(CurveModel::kDiagonal);
    EXPECT_FALSE(curve.SavePreset(store, CurveModel::kEnvelopePresets, "a\\b"));
    ASSERT_TRUE(curve.SavePreset(store, CurveModel::kEnvelopePresets, "Ramp"));
    const auto data = store.GetValue("SOFTWARE\\Orvex\\Envelope Presets\\Ramp", "Data");
    EXPECT_EQ(std::tuple(data->type, data->bytes.size(),
                         Bytes8(data->bytes.begin(), data->bytes.begin() + 12)),
              std::tuple(SettingsValueType::None, 2048u,
                         Bytes8{0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F}));
    EXPECT_FALSE(CurveModel::DeletePreset(store, CurveModel::kCompressorPresets, ""));
}

TEST_F(CurveModelTest, LoadingStopsAtTheRightEdgeAndSurvivesDamage) {
    Bytes8 block(2048, 0);
    // (0, 0), (1, 0.5), then a pair that must be ignored.
    const Bytes8 pairs = {0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0x80, 0x3F,
                          0, 0, 0, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0,    0};
    std::copy(pairs.begin(), pairs.end(), block.begin());
    Store("Knee", block);
    ASSERT_TRUE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Knee"));
    ASSERT_EQ(curve.Count(), 2);
    EXPECT_EQ(Point(0), std::pair(4, 4));
    EXPECT_EQ(Point(1), std::pair(200, 52));  // trunc(96 * 0.5) + 4
    block.resize(2047);
    Store("Short", block);
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Short"));
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Missing"));
    EXPECT_EQ(Point(1), std::pair(200, 52));
    // Damaged presets are the fuzzer's.
}

TEST_F(CurveModelTest, CursorGivesExactlyTheModelsValues) {
    // Corners on shared columns, a vertical step, points in and out of order, and positions that
    // rise, fall back, land on corners and leave 0..1.
    const std::vector<std::vector<std::pair<float, float>>> shapes = {
        {{0.0f, 1.0f}, {1.0f, 0.0f}},
        {{0.0f, 0.2f}, {0.1f, 0.9f}, {0.5f, 0.9f}, {0.5f, 0.1f}, {0.77f, 0.4f}, {1.0f, 0.0f}},
        {{0.0f, 0.0f}, {0.6f, 1.0f}, {0.3f, 0.5f}, {1.0f, 0.3f}},
        {{0.25f, 0.5f}, {1.0f, 0.5f}},
    };
    std::vector<float> positions;
    for (int f = 0; f <= 5000; ++f) positions.push_back(static_cast<float>(f / 5000.0));
    for (float t : {0.5f, 0.1f, 1.0f, 1.5f, -0.5f, 0.0f, std::nanf(""), 0.3f, 0.25f, 0.6f})
        positions.push_back(t);
    for (const auto& shape : shapes) {
        curve.LoadFractions(shape);
        CurveCursor cursor(curve);
        for (float t : positions) {
            const float expected = curve.Evaluate(t), actual = cursor.Evaluate(t);
            ASSERT_EQ(std::memcmp(&expected, &actual, sizeof(float)), 0)
                << "shape " << shape.size() << " position " << t;
        }
    }
}

}  // namespace
