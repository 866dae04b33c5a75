// The effects, each as one table of bytes in, the effect, bytes out (hand-worked values), plus
// the properties that hold for every input: reversing twice, the u-law round trip, the spectrum
// against a direct Fourier sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "core/effects/Amplify.h"
#include "core/effects/ApplyTable.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/Compressor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Mix.h"
#include "core/effects/Panning.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/Spectrum.h"
#include "core/effects/ULaw.h"
#include "core/effects/VolumeText.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"

namespace {

using Bytes8 = std::vector<uint8_t>;
constexpr uint32_t kAll = 0xFFFFFFFFu;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Case {
    uint32_t layout;
    Bytes8 in;
    std::function<void(SampleBuffer&)> apply;
    Bytes8 out;
};

void Expect(const char* effect, const std::vector<Case>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        SampleBuffer sample;
        SetBytes(sample, cases[i].layout, cases[i].in);
        cases[i].apply(sample);
        EXPECT_EQ(Bytes(sample), cases[i].out) << effect << " case " << i;
    }
}

CurveModel Curve(std::vector<std::pair<float, float>> fractions) {
    static SilentMessageSink noBeeps;  // loaded, never clicked: nothing beeps
    CurveModel curve(noBeeps);
    curve.Resize(1009, 1009);  // W = H = 1004, as orvex-batch loads its curves
    curve.LoadFractions(fractions);
    return curve;
}

const CurveModel& Falling() {
    static const CurveModel curve = Curve({{0.0f, 0.0f}, {1.0f, 1.0f}});
    return curve;
}
const CurveModel& Rising() {
    static const CurveModel curve = Curve({{0.0f, 1.0f}, {1.0f, 0.0f}});
    return curve;
}
const CurveModel& Top() {
    static const CurveModel curve = Curve({{0.0f, 0.0f}, {1.0f, 0.0f}});
    return curve;
}

constexpr auto M8 = kLayoutMono8, M16 = kLayoutMono16, S8 = kLayoutStereo8, S16 = kLayoutStereo16;

TEST(AmplifyTest, ClampsTruncatesAndKeepsToItsRange) {
    auto amp = [](float f, uint32_t a, uint32_t b, uint32_t ch) {
        return [=](SampleBuffer& s) { Amplify(s, f, a, b, ch); };
    };
    Expect(
        "amplify",
        {
            {M8,
             {0xC0, 0x40, 0x80, 0x81, 0x7F, 0, 0xFF},
             amp(2, 0, 6, 0),
             {0xFF, 0, 0x80, 0x82, 0x7E, 0, 0xFF}},
            {M8, {0x7F, 0x81, 0x83}, amp(0.5f, 0, 2, 0), {0x80, 0x80, 0x81}},  // -0.5 is 0
            {M16, Le16({20000, -20000, -1, 3, -3, 32767, -32768}), amp(2, 0, 6, 0),
             Le16({32767, -32768, -2, 6, -6, 32767, -32768})},
            {M16, Le16({32767, -32768, -3, 3}), amp(0.5f, 0, 3, 0), Le16({16383, -16384, -1, 1})},
            {M16, Le16({1, -2}), amp(2, kAll, kAll, 0), Le16({2, -4})},
            {S16, Le16({100, 100, 100, 100, 100, 100, 100, 100}), amp(2, 1, 2, 2),
             Le16({100, 100, 100, 200, 100, 200, 100, 100})},
            {S16, Le16({100, 100, 100, 100}), amp(0, 1, 100, 1), Le16({100, 100, 0, 100})},
            {M8, {0xC0, 0xC0}, amp(2, 1, 1, 2), {0xC0, 0xFF}},  // mono: the only channel
            {M8, {0xC0, 0xC0}, amp(2, 1, 0, 0), {0xC0, 0xC0}},  // a reversed range
            {M16, Le16({0, 5, -5}), amp(std::numeric_limits<float>::infinity(), 0, 2, 0),
             Le16({0, 32767, -32768})},
            {M16, Le16({0, 5, -5}), amp(kNaN, 0, 2, 0), Le16({0, 0, 0})},
            {M8, {0x80, 0x90}, amp(VolumeFromText("1000", true) / 100, 0, 1, 0), {0x80, 0xFF}},
            {M8, {}, amp(2, 0, 0, 0), {}},
        });
}

TEST(AmplifyTest, PeakGainAndDcBias) {
    struct Peak {
        uint32_t layout;
        Bytes8 in;
        int32_t start, end;
        uint32_t channel;
        float gain;
    };
    const Peak peaks[] = {
        {M16, Le16({100, -16384, 16000}), -1, -1, 0, 2.0f},
        {M16, Le16({-32768}), -1, -1, 0, 1.0f},
        {M16, Le16({0, 0}), -1, -1, 0, 1.0f},  // silence
        {M8, {0x80, 0x00}, -1, -1, 0, 1.0f},   // magnitude 127
        {M8, {0xFF}, 0, 0, 0, 1.0f},           // magnitude 128 counts as 127
        {M8, {0x7F, 0x7F}, -1, -1, 0, 1.0f},   // magnitude 0
        {S8, {0x80, 0xBF, 0x80, 0x90}, -1, -1, 2, 127.0f / 64.0f},
        {S8, {0x80, 0xBF, 0x80, 0x90}, -1, -1, 1, 127.0f},
        {M8, {0x7F, 0x90, 0x7F}, 0, 0, 0, 1.0f},  // only the range counts
    };
    for (const Peak& p : peaks) {
        SampleBuffer sample;
        SetBytes(sample, p.layout, p.in);
        EXPECT_FLOAT_EQ(PeakGain(sample, p.start, p.end, p.channel), p.gain) << int{p.in[0]};
    }
    auto bias = [](float percent, uint32_t ch) {
        return [=](SampleBuffer& s) { AdjustDcBias(s, percent, ch); };
    };
    Expect("dc bias",
           {
               {M8, Bytes8(10, 130), bias(0, 0), Bytes8(10, 128)},
               // Only the left channel is measured and moved: mean 150, plus 1% of 32767.
               {S16, Le16({100, 7, 200, 7}), bias(1, 1),
                Le16({100 - 150 - 327, 7, 200 - 150 - 327, 7})},
               // Mean 10922 and 100% down: clamped before it is truncated.
               {M16, Le16({-32768, 32767, 32767}), bias(-100, 0), Le16({-10923, 32767, 32767})},
               {M8, {0x80, 0x90}, bias(kNaN, 0), {0x80, 0x80}},
           });
}

TEST(VolumeTextTest, ReadsAndWritesPercentAndDecibels) {
    const std::pair<const char*, double> numbers[] = {
        {"  12.5abc", 12.5}, {"-3", -3.0},    {"+4.0e1", 40.0}, {"", 0.0},
        {"abc", 0.0},        {"1e-400", 0.0}, {"+-5", 0.0},     {"--5", 0.0},
    };
    for (const auto& [text, value] : numbers) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
    EXPECT_EQ(LeadingInteger("100.9%"), 100);
    EXPECT_EQ(LeadingInteger("x"), 0);
    EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
    EXPECT_FLOAT_EQ(VolumeFromText("200", false), 200.0f);
    EXPECT_FLOAT_EQ(VolumeFromText("", false), 0.0f);  // an empty volume silences
    EXPECT_NEAR(VolumeFromText("6.02", true), 199.99f, 0.02f);
    EXPECT_FLOAT_EQ(VolumeFromText("junk", true), 100.0f);  // 0 dB
    EXPECT_EQ(VolumeText(150.25f, false), "150.2");
    EXPECT_EQ(VolumeText(200.0f, true), "6.02");
    EXPECT_EQ(VolumeText(50.0f, true), "-6.02");
    EXPECT_EQ(NormaliseText(100, 2.0f, false), "200.0");
    EXPECT_EQ(NormaliseText(100, 2.0f, true), "6.02");
}

TEST(TransformsTest, ReverseChangeSignAndPeakSearch) {
    auto rev = [](int32_t a, int32_t b, uint32_t ch) {
        return [=](SampleBuffer& s) { Reverse(s, a, b, ch); };
    };
    auto sign = [](int32_t a, int32_t b, uint32_t ch) {
        return [=](SampleBuffer& s) { ChangeSign(s, a, b, ch); };
    };
    Expect("reverse",
           {
               {M8, {1, 2, 3, 4}, rev(-1, -1, 0), {4, 3, 2, 1}},
               {M8, {1, 2, 3, 4}, rev(2, 2, 0), {1, 2, 3, 4}},
               {S16, Le16({10, 20, 11, 21, 12, 22}), rev(0, 2, 0), Le16({12, 22, 11, 21, 10, 20})},
               {S16, Le16({10, 20, 11, 21, 12, 22}), rev(0, 2, 2), Le16({10, 22, 11, 21, 12, 20})},
               {S8, {1, 5, 2, 6, 3, 7, 4, 8}, rev(1, 50, 1), {1, 5, 4, 6, 3, 7, 2, 8}},
               {M16, Le16({0x0102, 0x0304}), rev(-1, -1, 0), Le16({0x0304, 0x0102})},
           });
    // Every byte of the range, both channels whatever the selector.
    Expect("change sign",
           {{S16, Le16({0, 0, 0x7F01, 0}), sign(1, 1, 1), {0, 0, 0, 0, 0x81, 0xFF, 0x80, 0x80}},
            {M8, {0x00, 0x7F, 0xFF}, sign(0, 1, 0), {0x80, 0xFF, 0xFF}}});
    struct Peak {
        uint32_t layout;
        Bytes8 in;
        int32_t start, end;
        uint32_t channel, frame;
    };
    const Peak peaks[] = {
        {M16, Le16({-30000, 100, 200, 200}), -1, -1, 0, 2},  // the first of the loudest
        {M16, Le16({-30000, -5}), -1, -1, 0, 0},             // nothing above 0
        {M8, {0x80, 0x00, 0xFF}, -1, -1, 0, 2},
        {S8, {0x80, 0xF0, 0xF0, 0x7F}, -1, -1, 1, 1},
        {S8, {0x80, 0xF0, 0xF0, 0x7F}, -1, -1, 2, 0},
        {M8, {0x90, 0x80, 0xA0, 0x80}, 1, 3, 0, 2},
        {S8, {0x80, 0xF0, 0xF0, 0x7F}, 1, 1, 2, 0},  // silence in the range
    };
    for (const Peak& p : peaks) {
        SampleBuffer sample;
        SetBytes(sample, p.layout, p.in);
        EXPECT_EQ(PeakSearch(sample, p.start, p.end, p.channel), p.frame) << p.layout;
    }
    SampleBuffer sample;  // searched a block at a time: the first of equal peaks still wins
    Bytes8 values = Bytes8(20000, 0);
    for (size_t at : {2 * 9000 + 1, 2 * 9500 + 1}) values[at] = 0x70;
    values[2 * 100 + 1] = 0x60;
    SetBytes(sample, M16, values);
    EXPECT_EQ(PeakSearch(sample, -1, -1, 0), 9000u);
    EXPECT_EQ(PeakSearch(sample, 9001, 9999, 0), 9500u);
}

TEST(TransformsTest, ReversingTwiceGivesTheSoundBack) {
    std::mt19937 random(11);
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

TEST(ULawTest, CodesAndWholeSounds) {
    EXPECT_EQ(ULawExpand(0x00), -32124);
    EXPECT_EQ(ULawExpand(0x80), 32124);
    EXPECT_EQ(ULawExpand(0x7F), 0);
    EXPECT_EQ(ULawCompress(0), 0xFF);
    EXPECT_EQ(ULawCompress(-32768), 0x00);
    EXPECT_EQ(ULawCompress(32767), 0x80);
    EXPECT_EQ(ULawCompress(3), 0xFF);         // the two lowest bits are dropped
    for (int code = 0; code < 256; ++code) {  // negative zero comes back as positive zero
        EXPECT_EQ(ULawCompress(ULawExpand(static_cast<uint8_t>(code))), code == 0x7F ? 0xFF : code);
    }
    RecordingMessageSink messages;
    SampleBuffer sample;
    const Bytes8 codes = RampBytes(1000);
    SetBytes(sample, S8, codes, 8000);
    ASSERT_TRUE(DecodeULaw(messages, sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, true));
    EXPECT_EQ(Values16(sample)[1], ULawExpand(codes[1]));
    EncodeULaw(sample);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, false));
    Bytes8 expected = codes;
    for (auto& c : expected) c = c == 0x7F ? 0xFF : c;
    EXPECT_EQ(Bytes(sample), expected);
    EncodeULaw(sample);  // 8-bit: left alone
    EXPECT_EQ(Bytes(sample), expected);
    SampleHeap::Instance().SetLimitForTesting(1500);
    EXPECT_FALSE(DecodeULaw(messages, sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(Bytes(sample), expected);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error manipulating memory!"});
}

TEST(MixTest, AveragesAroundTheMidpointInTheOutputsFormat) {
    SampleBuffer a, b, c, d, output;
    SetBytes(a, M8, {200, 10, 0, 255, 128});
    SetBytes(b, M8, {100, 20, 0, 255});
    SetBytes(c, S16, Le16({0x4000, 0x2000, -0x8000, -0x8000}));  // mean's high byte XOR 0x80
    SetBytes(d, S8, {100, 200, 0, 2});                           // mean of both channels
    struct Mix {
        std::vector<MixInput> inputs;
        uint32_t length;
        Bytes8 out;
    };
    const Mix mixes[] = {
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
    for (const Mix& m : mixes) {
        ASSERT_TRUE(MixInto(output, m.inputs, m.length));
        EXPECT_EQ(Bytes(output), m.out) << m.inputs.size() << " inputs, " << m.length;
    }
    // A 16-bit stereo output gets the 8-bit value widened into both channels.
    SetBytes(output, S16, Le16({1, 2}));
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&d, 0, 2, 1}}, 3));
    EXPECT_EQ(Values16(output),
              (std::vector<int>{-0x100, -0x100, 0x1600, 0x1600, -0x7F00, -0x7F00}));
    // The output may be an input: its old frames are read, not the ones just written.
    SetBytes(output, M8, {10, 20, 30});
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&output, 0, 3, 2}}, 5));
    EXPECT_EQ(Bytes(output), (Bytes8{127, 127, 10, 20, 30}));
    SetBytes(output, S16, Le16({5, 6}));  // 2^30 frames of 4 bytes pass a block's size
    EXPECT_FALSE(MixInto(output, std::vector<MixInput>{{&a, 0, 1, 0}}, 0x40000000u));
    EXPECT_EQ(Values16(output), (std::vector<int>{5, 6}));
}

TEST(MixTest, LongMixCrossesRunBoundaries) {
    const Bytes8 ramp = RampBytes(10000);
    SampleBuffer a, output;
    SetBytes(a, M8, ramp);
    ASSERT_TRUE(MixInto(output, std::vector<MixInput>{{&a, 0, 10000, 5000}}, 15000));
    Bytes8 expected(5000, 127);
    expected.insert(expected.end(), ramp.begin(), ramp.end());
    EXPECT_EQ(Bytes(output), expected);
}

// A table that tells every entry apart from the value it replaces.
std::vector<int16_t> Inverting16() {
    std::vector<int16_t> table(65536);
    for (size_t u = 0; u < table.size(); ++u) table[u] = static_cast<int16_t>(~u);
    return table;
}

std::array<uint8_t, 256> Inverting8() {
    std::array<uint8_t, 256> table{};
    for (size_t b = 0; b < table.size(); ++b) table[b] = static_cast<uint8_t>(~b);
    return table;
}

TEST(ApplyTableTest, EveryLayoutSelectorAndRange) {
    struct Sel {
        uint32_t layout, selector;
        std::vector<bool> changed;  // per value of frames 0..2, range 1..2
    };
    const Sel cases[] = {
        {M8, 0, {false, true, true}},
        {M8, 2, {false, true, true}},  // a mono sound's only channel
        {M16, 1, {false, true, true}},
        {S8, 0, {false, false, true, true, true, true}},
        {S8, 1, {false, false, true, false, true, false}},
        {S8, 2, {false, false, false, true, false, true}},
        {S16, 0, {false, false, true, true, true, true}},
        {S16, 1, {false, false, true, false, true, false}},
        {S16, 2, {false, false, false, true, false, true}},
    };
    for (const Sel& c : cases) {
        const size_t width = (c.layout & 2) != 0 ? 2 : 1;
        const Bytes8 bytes = RampBytes(c.changed.size() * width, 0x11, 0x80);
        SampleBuffer sample;
        SetBytes(sample, c.layout, bytes);
        // The table of the other width changes nothing.
        ApplyTable8(sample, Inverting8(), 1, 2, c.selector);
        ApplyTable16(sample, Inverting16(), 1, 2, c.selector);
        if (width == 1)
            ApplyTable16(sample, Inverting16(), 1, 2, c.selector);
        else
            ApplyTable8(sample, Inverting8(), 1, 2, c.selector);
        Bytes8 expected = bytes;
        for (size_t i = 0; i < expected.size(); ++i) {
            if (c.changed[i / width])
                expected[i] = static_cast<uint8_t>(~expected[i]);
        }
        EXPECT_EQ(Bytes(sample), expected) << c.layout << " selector " << c.selector;
    }
    auto t16 = [](uint32_t a, uint32_t b, uint32_t ch) {
        return [=](SampleBuffer& s) { ApplyTable16(s, Inverting16(), a, b, ch); };
    };
    Expect("table",
           {
               {S16, Le16({1, 2, 3, 4}), t16(kAll, kAll, 0), Le16({~1, ~2, ~3, ~4})},
               {S16, Le16({1, 2, 3, 4}), t16(2, 7, 0), Le16({1, 2, 3, 4})},  // starts past the end
               {S16, Le16({1, 2}),
                [](SampleBuffer& s) { ApplyTable16(s, std::vector<int16_t>(3), 0, 1, 0); },
                Le16({1, 2})},  // not a whole table
               {M8,
                {0x00, 0x7F},
                [](SampleBuffer& s) { ApplyTable8(s, Inverting8(), 1, 100, 0); },
                {0x00, 0x80}},
           });
}

// 0.7f is just below 0.7: 10 * 0.7f rounds to 7 in single precision before the truncation, where
// double precision would keep it below 7.
TEST(EnvelopeTest, ScaleFrameIsSinglePrecisionClampsThenTruncates) {
    auto scale = [](std::vector<std::tuple<float, uint32_t, uint32_t>> steps) {
        return [=](SampleBuffer& s) {
            for (auto [gain, frame, channel] : steps) ScaleFrame(s, gain, frame, channel);
        };
    };
    Expect("scale frame",
           {
               {M16, Le16({30000, -30000, -3}), scale({{1.5f, 0, 0}, {1.5f, 1, 2}, {0.5f, 2, 0}}),
                Le16({32767, -32768, -1})},
               {S8, {0xC0, 0xC0}, scale({{2, 0, 1}}), {0xFF, 0xC0}},
               {S8, {0xC0, 0xC0}, scale({{0, 0, 0}}), {0x80, 0x80}},
               {S16, Le16({10, -10, -3, 3}), scale({{0.7f, 0, 0}, {0.5f, 1, 0}}),
                Le16({7, -7, -1, 1})},
               {S8,
                {0x8A, 0x76, 0x7D, 0x83},
                scale({{0.7f, 0, 0}, {0.5f, 1, 2}}),
                {0x87, 0x79, 0x7D, 0x81}},
               {M8, {0x00, 0xFF}, scale({{1.01f, 0, 0}, {-1.01f, 1, 0}}), {0x00, 0x00}},
               {M16, Le16({-32768, 32767}), scale({{-1, 0, 0}, {-1, 1, 0}}), Le16({32767, -32767})},
           });
}

TEST(EnvelopeTest, CurveSpansTheResolvedRange) {
    auto env = [](const CurveModel& curve, uint32_t a, uint32_t b, uint32_t ch) {
        return [&curve, a, b, ch](SampleBuffer& s) { ApplyEnvelope(s, curve, 1.0f, a, b, ch); };
    };
    const Bytes8 flat = Le16({1000, 1000, 1000, 1000, 1000});
    const Bytes8 fading = Le16({1000, 750, 500, 250, 0});
    Expect("envelope",
           {
               {M16, flat, env(Falling(), kAll, kAll, 0), fading},
               {M16, flat, env(Falling(), 0, 4000, 0), fading},  // past the end: up to the end
               {M16, flat, env(Falling(), 5, 9, 0), flat},       // starts past the end
               {M16, flat, env(Falling(), 3, 1, 0), flat},       // reversed
               {M16, flat, env(Falling(), 1, 3, 0), Le16({1000, 1000, 500, 0, 1000})},
               {S8, {0x90, 0x70, 0xA0, 0x60}, env(Top(), 0, 1, 0), {0x90, 0x70, 0xA0, 0x60}},
               {S8,
                {0x90, 0x70, 0xA0, 0x60},
                env(Top(), 1, 1, 1),
                {0x90, 0x70, 0x80, 0x60}},  // one frame
               {M8, {}, env(Falling(), 0, 0, 0), {}},
           });
    SampleBuffer sample;  // a long selection follows the line closely
    Bytes8 loud;
    for (int f = 0; f <= 100; ++f) loud.insert(loud.end(), {0x00, 0x40});
    SetBytes(sample, M16, loud);
    ApplyEnvelope(sample, Falling(), 1.0f, 0, 100, 0);
    for (int f = 0; f <= 100; f += 10)
        EXPECT_NEAR(Values16(sample)[f], 16384 * (100 - f) / 100, 20);
}

TEST(PanningTest, SharesTheMixOutBetweenTheChannels) {
    auto pan = [](std::vector<float> shares) {
        return [=](SampleBuffer& s) {
            for (size_t f = 0; f < shares.size(); ++f)
                PanFrame(s, shares[f], static_cast<uint32_t>(f));
        };
    };
    Expect("pan",
           {
               {S16, Le16({1000, 3000, 1000, 3000, -3, -3}), pan({1, 0.5f, 1}),
                Le16({2000, 0, 1000, 1000, -2, 0})},
               // m = 10 / 2 + 10 / 2: 10 * 0.7f rounds to 7 in single precision; a share outside
               // 0..1 acts as its nearest end.
               {S16, Le16({10, 10, -32768, -32768, 32767, 32767}), pan({0.7f, 5, -2}),
                Le16({7, 3, -32768, 0, 0, 32766})},
               {S8, {0xFF, 0xFF, 0x00, 0x01}, pan({1, 0}), {0xFE, 0x80, 0x80, 0x01}},
               {S8, {0x8A, 0x8A, 0x00, 0x00}, pan({0.7f, 0.5f}), {0x87, 0x83, 0x40, 0x40}},
               {M16, Le16({1000}), pan({1}), Le16({1000})},
               {S16, Le16({100, 100, 100, 100, 100, 100}),
                [](SampleBuffer& s) { ApplyPanning(s, Rising(), 0, 2); },
                Le16({0, 100, 50, 50, 100, 0})},
               {M8, {0xFF}, [](SampleBuffer& s) { ApplyPanning(s, Rising(), 0, 0); }, {0xFF}},
           });
}

TEST(CompressorTest, TablesFollowTheCurve) {
    const auto diagonal16 = BuildCompressorTable16(Rising());
    for (int k = -32768; k <= 32767; ++k) {  // single-precision steps: at most 2 below
        const int v = diagonal16[static_cast<uint16_t>(k)];
        ASSERT_TRUE(k <= 0 ? v == k : (v <= k && v >= k - 2)) << k << " -> " << v;
    }
    EXPECT_EQ(diagonal16[32767], 32767);
    const auto diagonal8 = BuildCompressorTable8(Rising());
    for (int k = 0; k <= 128; ++k) EXPECT_EQ(diagonal8[static_cast<size_t>(k)], k);
    EXPECT_EQ(diagonal8[255], 255);
    // Value 0.5 everywhere: silence and negatives go to half the negative full scale,
    // positives to half the positive one (truncated toward zero).
    const CurveModel half = Curve({{0.0f, 0.5f}, {1.0f, 0.5f}});
    const auto half16 = BuildCompressorTable16(half);
    EXPECT_EQ(half16[0], -16384);
    EXPECT_EQ(half16[0x8000], -16384);
    EXPECT_EQ(half16[1], 16383);
    const auto half8 = BuildCompressorTable8(half);
    EXPECT_EQ(half8[128], 0x40);
    EXPECT_EQ(half8[255], 0xBF);
    const CurveModel knee = Curve({{0.0f, 1.0f}, {0.5f, 0.75f}, {1.0f, 0.0f}});
    auto comp = [](const CurveModel& curve, uint32_t a, uint32_t b, uint32_t ch) {
        return [&curve, a, b, ch](SampleBuffer& s) { ApplyCompressor(s, curve, a, b, ch); };
    };
    Expect("compressor", {
                             {S16, Le16({1, 0, -1, 5, 16384, -16384}), comp(Top(), 0, 1, 0),
                              Le16({32767, -32768, -32768, 32767, 16384, -16384})},
                             {S8, {0xC0, 0xC0}, comp(Top(), 0, 0, 1), {0xFF, 0xC0}},
                             {M8, {}, comp(Top(), kAll, kAll, 0), {}},
                         });
    SampleBuffer sample;  // half the full scale comes out at a quarter
    SetBytes(sample, M16, Le16({16384, -16384, 32767}));
    ApplyCompressor(sample, knee, 0, 1, 0);
    EXPECT_NEAR(Values16(sample)[0], 8192, 8);
    EXPECT_NEAR(Values16(sample)[1], -8192, 8);
    EXPECT_EQ(Values16(sample)[2], 32767);
}

TEST(SpectrumTest, TransformIsTheFourierSum) {
    // Random input of 64 points against the direct sum with the kernel e^(+2 pi i jk / n):
    // data[1] holds bin 0, data[2] bin n / 2, then the real and imaginary parts of each bin.
    constexpr int n = 64;
    std::mt19937 random(3);
    std::vector<float> data(n + 1);
    for (int i = 1; i <= n; ++i)
        data[static_cast<size_t>(i)] = static_cast<float>(random() % 255) - 127.0f;
    const std::vector<float> input(data.begin() + 1, data.end());
    RealFft(data, n);
    for (int k = 0; k <= n / 2; ++k) {
        double re = 0, im = 0;
        for (int j = 0; j < n; ++j) {
            re += input[static_cast<size_t>(j)] * std::cos(2 * M_PI * j * k / n);
            im += input[static_cast<size_t>(j)] * std::sin(2 * M_PI * j * k / n);
        }
        const size_t at = static_cast<size_t>(2 * k + 1);
        if (k == 0 || k == n / 2) {
            EXPECT_NEAR(data[k == 0 ? 1 : 2], re, 0.1) << k;
        } else {
            EXPECT_NEAR(data[at], re, 0.1) << k;
            EXPECT_NEAR(data[at + 1], im, 0.1) << k;
        }
    }
}

TEST(SpectrumTest, SineInAnyLayoutPeaksAtItsBin) {
    // A sine in the left channel only: the mean halves it, the same frames as 8-bit mono of the
    // high bytes give the same spectrum, and it peaks at bin 64 of 1024.
    Bytes8 stereo, mono;
    for (int i = 0; i < 4096; ++i) {
        const int v = static_cast<int>(std::lround(20000 * std::sin(2 * M_PI * 64 * i / 4096.0)));
        const Bytes8 frame = Le16({v, 0});
        stereo.insert(stereo.end(), frame.begin(), frame.end());
        mono.push_back(static_cast<uint8_t>(((v / 2 >> 8) & 0xFF) ^ 0x80));
    }
    SampleBuffer a, b;
    SetBytes(a, S16, stereo);
    SetBytes(b, M8, mono);
    std::vector<float> fromStereo, fromMono;
    ComputeSpectrum(a, 2048, kSpectrumPoints, fromStereo);
    ComputeSpectrum(b, 2048, kSpectrumPoints, fromMono);
    EXPECT_EQ(fromStereo, fromMono);
    const auto magnitudes = SpectrumMagnitudes(fromStereo, kSpectrumPoints);
    ASSERT_EQ(magnitudes.size(), 1024u);
    EXPECT_EQ(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin(), 64);
}

TEST(SpectrumTest, OutsideTheSoundIsSilenceAndOddSizesGiveNothing) {
    SampleBuffer empty;
    std::vector<float> data;
    ComputeSpectrum(empty, 0, kSpectrumPoints, data);
    ASSERT_EQ(data.size(), 4097u);
    // Silence reads 1 everywhere: bin 0 is the sum of the sine window, the rest its skirt.
    double window = 0.0;
    for (int i = 0; i < kSpectrumPoints; ++i) window += std::sin(i * M_PI / kSpectrumPoints);
    const auto magnitudes = SpectrumMagnitudes(data, kSpectrumPoints);
    EXPECT_NEAR(magnitudes[0], window, 0.05);
    EXPECT_LT(magnitudes[10], magnitudes[1]);
    for (int n : {0, -4, 2, 3, 12}) {
        ComputeSpectrum(empty, 0, n, data);
        EXPECT_EQ(data.size(), static_cast<size_t>(std::max(n, 0)) + 1);
        EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](float f) { return f == 0.0f; }));
    }
    EXPECT_EQ(SpectrumMagnitudes(std::vector<float>(3), kSpectrumPoints)[5], 0.0f);
}

}  // namespace
