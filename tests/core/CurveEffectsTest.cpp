#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/effects/ApplyTable.h"
#include "core/effects/Compressor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "core/effects/Spectrum.h"
#include "core/messages/MessageSink.h"
#include "support/SampleMaker.h"

namespace {

CurveModel Curve(std::vector<std::pair<float, float>> fractions) {
    // The curves here are loaded, never clicked: nothing ever beeps.
    static SilentMessageSink noBeeps;
    CurveModel curve(noBeeps);
    curve.Resize(1009, 1009);  // W = H = 1004, as orvex-batch loads its curves
    curve.LoadFractions(fractions);
    return curve;
}

TEST(EnvelopeTest, ScaleFrameClampsAndHonoursTheSelector) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({30000, -30000, -3}));
    ScaleFrame(sample, 1.5f, 0, 0);
    ScaleFrame(sample, 1.5f, 1, 2);  // mono: the only channel
    ScaleFrame(sample, 0.5f, 2, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{32767, -32768, -1}));
    SetBytes(sample, kLayoutStereo8, {0xC0, 0xC0});
    ScaleFrame(sample, 2.0f, 0, 1);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xFF, 0xC0}));
    ScaleFrame(sample, 0.0f, 0, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x80}));
}

TEST(EnvelopeTest, FallingCurveOverTheSelection) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, std::vector<uint8_t>(202, 0));
    for (uint32_t f = 0; f <= 100; ++f) sample.Data()[2 * f + 1] = 0x40;  // 16384
    const CurveModel falling = Curve({{0.0f, 0.0f}, {1.0f, 1.0f}});
    ApplyEnvelope(sample, falling, 1.0f, 0, 100, 0);
    const auto values = Values16(sample);
    EXPECT_EQ(values[0], 16384);
    EXPECT_NEAR(values[50], 8192, 20);
    EXPECT_EQ(values[100], 0);
    // The flat top at 100 % changes nothing; a one-frame selection is silenced.
    SetBytes(sample, kLayoutStereo8, {0x90, 0x70, 0xA0, 0x60});
    ApplyEnvelope(sample, Curve({{0.0f, 0.0f}, {1.0f, 0.0f}}), 1.0f, 0, 1, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x90, 0x70, 0xA0, 0x60}));
    ApplyEnvelope(sample, Curve({{0.0f, 0.0f}, {1.0f, 0.0f}}), 1.0f, 1, 1, 1);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x90, 0x70, 0x80, 0x60}));
}

TEST(PanningTest, MixesDownAndSharesOut) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1000, 3000, 1000, 3000, -3, -3}));
    PanFrame(sample, 1.0f, 0);
    PanFrame(sample, 0.5f, 1);
    PanFrame(sample, 1.0f, 2);
    EXPECT_EQ(Values16(sample), (std::vector<int>{2000, 0, 1000, 1000, -2, 0}));
    SetBytes(sample, kLayoutStereo8, {0xFF, 0xFF, 0x00, 0x01});
    PanFrame(sample, 1.0f, 0);
    PanFrame(sample, 0.0f, 1);  // (-128 / 2) + (-127 / 2) = -127, all to the right
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xFE, 0x80, 0x80, 0x01}));
    // A rising curve moves the sound from the right to the left; mono is left alone.
    SetBytes(sample, kLayoutStereo16, Le16({100, 100, 100, 100, 100, 100}));
    ApplyPanning(sample, Curve({{0.0f, 1.0f}, {1.0f, 0.0f}}), 0, 2);
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 100, 50, 50, 100, 0}));
    SetBytes(sample, kLayoutMono8, {0xFF});
    ApplyPanning(sample, Curve({{0.0f, 1.0f}, {1.0f, 0.0f}}), 0, 0);
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>{0xFF});
}

TEST(CompressorTest, DiagonalIsNearlyTheIdentity) {
    const CurveModel diagonal = Curve({{0.0f, 1.0f}, {1.0f, 0.0f}});
    const auto table = BuildCompressorTable16(diagonal);
    EXPECT_EQ(table[32767], 32767);
    for (int k = 0; k >= -32768; --k) ASSERT_EQ(table[static_cast<uint16_t>(k)], k) << k;
    // The positive side steps by 1/32767 in single precision: each value maps to itself or
    // just below it.
    for (int k = 1; k <= 32767; ++k) {
        ASSERT_LE(table[static_cast<uint16_t>(k)], k);
        ASSERT_GE(table[static_cast<uint16_t>(k)], k - 2);
    }
    const auto table8 = BuildCompressorTable8(diagonal);
    for (int k = -128; k <= 0; ++k) EXPECT_EQ(table8[static_cast<size_t>(k + 128)], k + 128);
    EXPECT_EQ(table8[255], 255);
}

TEST(CompressorTest, FlatTopAndExpander) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1, 0, -1, 5, 16384, -16384}));
    ApplyCompressor(sample, Curve({{0.0f, 0.0f}, {1.0f, 0.0f}}), 0, 1, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{32767, -32768, -32768, 32767, 16384, -16384}));
    ApplyCompressor(sample, Curve({{0.0f, 1.0f}, {0.5f, 0.75f}, {1.0f, 0.0f}}), 2, 2, 0);
    const auto values = Values16(sample);
    EXPECT_NEAR(values[4], 8192, 8);
    EXPECT_NEAR(values[5], -8192, 8);
    SetBytes(sample, kLayoutStereo8, {0xC0, 0xC0});
    ApplyCompressor(sample, Curve({{0.0f, 0.0f}, {1.0f, 0.0f}}), 0, 0, 1);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xFF, 0xC0}));
}

TEST(SpectrumTest, SinePeaksAtItsBin) {
    SampleBuffer sample;
    std::vector<uint8_t> bytes(8192);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] =
            static_cast<uint8_t>(128 + std::lround(100 * std::sin(2 * M_PI * 64 * i / 4096.0)));
    }
    SetBytes(sample, kLayoutMono8, bytes);
    std::vector<float> data;
    ComputeSpectrum(sample, 4096, kSpectrumPoints, data);
    ASSERT_EQ(data.size(), 4097u);
    EXPECT_EQ(data[0], 0.0f);
    const auto magnitudes = SpectrumMagnitudes(data, kSpectrumPoints);
    ASSERT_EQ(magnitudes.size(), 1024u);
    EXPECT_EQ(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin(), 64);
}

TEST(SpectrumTest, BinZeroIsTheWindowedSumAndOutsideIsSilence) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({0x7F00, 0x7F00}));  // one loud frame
    std::vector<float> data;
    ComputeSpectrum(sample, 0, 16, data);
    // Frames -8..7: frame 0 sits at i = 9; silence reads 128 - 127 = 1 everywhere else.
    double sum = 0.0;
    for (int i = 0; i < 16; ++i) {
        const double value = i == 8 ? (0xFF - 127) : 1.0;
        sum += static_cast<float>(value * std::sin(i * 3.1415926 / 16));
    }
    EXPECT_NEAR(data[1], sum, 1e-3);
    // The transform matches a direct DFT for every bin.
    std::vector<float> windowed(16);
    for (int i = 0; i < 16; ++i) {
        windowed[static_cast<size_t>(i)] =
            static_cast<float>((i == 8 ? 128.0 : 1.0) * std::sin(i * 3.1415926 / 16));
    }
    for (int k = 1; k < 8; ++k) {
        double re = 0, im = 0;
        for (int j = 0; j < 16; ++j) {
            re += windowed[static_cast<size_t>(j)] * std::cos(2 * M_PI * j * k / 16);
            im += windowed[static_cast<size_t>(j)] * std::sin(2 * M_PI * j * k / 16);
        }
        EXPECT_NEAR(data[static_cast<size_t>(2 * k + 1)], re, 1e-3) << k;
        EXPECT_NEAR(data[static_cast<size_t>(2 * k + 2)], im, 1e-3) << k;
    }
}

// 0.7f is just below 0.7: 10 * 0.7f is 6.99999988 exactly, which single precision rounds to 7
// before the truncation, while double precision would keep it below 7.
TEST(EnvelopeTest, GainIsSinglePrecisionAndTruncatesTowardZero) {
    ASSERT_EQ(static_cast<int>(10.0 * static_cast<double>(0.7f)), 6);
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({10, -10, -3, 3}));
    ScaleFrame(sample, 0.7f, 0, 0);
    ScaleFrame(sample, 0.5f, 1, 0);  // -1.5 and 1.5 both lose their half toward zero
    EXPECT_EQ(Values16(sample), (std::vector<int>{7, -7, -1, 1}));
    SetBytes(sample, kLayoutStereo8, {0x8A, 0x76, 0x7D, 0x83});  // +10, -10, -3, +3
    ScaleFrame(sample, 0.7f, 0, 0);
    ScaleFrame(sample, 0.5f, 1, 2);  // right only
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x87, 0x79, 0x7D, 0x81}));
    // Clamping happens before the truncation, at both ends of both widths.
    SetBytes(sample, kLayoutMono8, {0x00, 0xFF});
    ScaleFrame(sample, 1.01f, 0, 0);
    ScaleFrame(sample, -1.01f, 1, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x00, 0x00}));
    SetBytes(sample, kLayoutMono16, Le16({-32768, 32767}));
    ScaleFrame(sample, -1.0f, 0, 0);
    ScaleFrame(sample, -1.0f, 1, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{32767, -32767}));
}

TEST(EnvelopeTest, RangesAreResolvedAgainstTheSound) {
    const CurveModel falling = Curve({{0.0f, 0.0f}, {1.0f, 1.0f}});
    SampleBuffer whole;
    SetBytes(whole, kLayoutMono16, Le16({1000, 1000, 1000, 1000, 1000}));
    SampleBuffer explicitRange;
    SetBytes(explicitRange, kLayoutMono16, Le16({1000, 1000, 1000, 1000, 1000}));
    // The whole-sample pair and a range past the end both span the curve over the sound.
    ApplyEnvelope(whole, falling, 1.0f, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    ApplyEnvelope(explicitRange, falling, 1.0f, 0, 4000, 0);
    EXPECT_EQ(Values16(whole), (std::vector<int>{1000, 750, 500, 250, 0}));
    EXPECT_EQ(Values16(explicitRange), Values16(whole));
    // A range starting past the end, a reversed range and an empty sound change nothing.
    ApplyEnvelope(whole, falling, 0.0f, 5, 9, 0);
    ApplyEnvelope(whole, falling, 0.0f, 3, 1, 0);
    EXPECT_EQ(Values16(whole), (std::vector<int>{1000, 750, 500, 250, 0}));
    SampleBuffer empty;
    ApplyEnvelope(empty, falling, 1.0f, 0, 0, 0);
    ApplyPanning(empty, falling, 0, 0);
    ApplyCompressor(empty, falling, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    EXPECT_EQ(empty.GetByteLength(), 0u);
}

TEST(PanningTest, ShareIsSinglePrecisionAndStaysInRange) {
    SampleBuffer sample;
    // m = 10 / 2 + 10 / 2 = 10: 10 * 0.7f rounds to 7 in single precision; 10 * (1 - 0.7f) is 3.
    SetBytes(sample, kLayoutStereo16, Le16({10, 10, -32768, -32768, 32767, 32767}));
    PanFrame(sample, 0.7f, 0);
    PanFrame(sample, 5.0f, 1);   // a share above 1 acts as 1
    PanFrame(sample, -2.0f, 2);  // and one below 0 as 0
    EXPECT_EQ(Values16(sample), (std::vector<int>{7, 3, -32768, 0, 0, 32766}));
    SetBytes(sample, kLayoutStereo8, {0x8A, 0x8A, 0x00, 0x00});
    PanFrame(sample, 0.7f, 0);
    PanFrame(sample, 0.5f, 1);  // m = -64 + -64 = -128: each side gets -64
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x87, 0x83, 0x40, 0x40}));
    SetBytes(sample, kLayoutMono16, Le16({1000}));
    PanFrame(sample, 1.0f, 0);
    EXPECT_EQ(Values16(sample), std::vector<int>{1000});
}

// What the positive half of the diagonal's table holds when the position steps down from 1 by
// `step`, accumulated in the given type and scaled in double.
template <typename Position>
std::vector<int> DiagonalPositiveSide(int top, double step) {
    std::vector<int> entries(static_cast<size_t>(top) + 1);
    Position x = 1;
    for (int k = top; k >= 1; --k) {
        entries[static_cast<size_t>(k)] = static_cast<int>(static_cast<float>(x) * double(top));
        x = static_cast<Position>(x - step);
    }
    return entries;
}

TEST(CompressorTest, PositiveSideAccumulatesInSinglePrecision) {
    // The diagonal evaluates to its position exactly, so the table shows the accumulated steps.
    const CurveModel diagonal = Curve({{0.0f, 1.0f}, {1.0f, 0.0f}});
    const auto table16 = BuildCompressorTable16(diagonal);
    const auto singles16 = DiagonalPositiveSide<float>(32767, 1.0 / 32767.0);
    const auto doubles16 = DiagonalPositiveSide<double>(32767, 1.0 / 32767.0);
    int differences = 0;
    for (int k = 1; k <= 32767; ++k) {
        ASSERT_EQ(table16[static_cast<size_t>(k)], singles16[static_cast<size_t>(k)]) << k;
        if (singles16[static_cast<size_t>(k)] != doubles16[static_cast<size_t>(k)])
            ++differences;
    }
    EXPECT_GT(differences, 0);  // the comparison above does tell the two precisions apart
    const auto table8 = BuildCompressorTable8(diagonal);
    const auto singles8 = DiagonalPositiveSide<float>(127, 1.0 / 127.0);
    for (int k = 1; k <= 127; ++k) {
        EXPECT_EQ(table8[static_cast<size_t>(k + 128)], singles8[static_cast<size_t>(k)] ^ 0x80)
            << k;
    }
}

TEST(CompressorTest, CurveNotStartingAtZeroMovesSilence) {
    // Value 0.5 everywhere: silence and every negative input go to half the negative full
    // scale, every positive input to half the positive one (truncated toward zero).
    const CurveModel half = Curve({{0.0f, 0.5f}, {1.0f, 0.5f}});
    const auto table16 = BuildCompressorTable16(half);
    EXPECT_EQ(table16[0], -16384);
    EXPECT_EQ(table16[0x8000], -16384);
    EXPECT_EQ(table16[1], 16383);  // 0.5 * 32767 = 16383.5
    const auto table8 = BuildCompressorTable8(half);
    EXPECT_EQ(table8[128], 0x40);  // -64 XOR 0x80
    EXPECT_EQ(table8[255], 0xBF);  // trunc(63.5) = 63, XOR 0x80
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

TEST(ApplyTableTest, EveryLayoutAndSelector) {
    struct Case {
        uint32_t layout;
        uint32_t selector;
        std::vector<bool> changed;  // per sample value of frames 0..2, range 1..2
    };
    const std::vector<Case> cases = {
        {kLayoutMono8, 0, {false, true, true}},
        {kLayoutMono8, 2, {false, true, true}},  // a mono sound's only channel
        {kLayoutMono16, 1, {false, true, true}},
        {kLayoutStereo8, 0, {false, false, true, true, true, true}},
        {kLayoutStereo8, 1, {false, false, true, false, true, false}},
        {kLayoutStereo8, 2, {false, false, false, true, false, true}},
        {kLayoutStereo16, 0, {false, false, true, true, true, true}},
        {kLayoutStereo16, 1, {false, false, true, false, true, false}},
        {kLayoutStereo16, 2, {false, false, false, true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << " selector " << c.selector);
        const bool wide = (c.layout & 2) != 0;
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < c.changed.size(); ++i) {
            bytes.push_back(static_cast<uint8_t>(0x11 * (i + 1)));
            if (wide)
                bytes.push_back(static_cast<uint8_t>(0x80 + i));
        }
        SampleBuffer sample;
        SetBytes(sample, c.layout, bytes);
        if (wide) {
            ApplyTable8(sample, Inverting8(), 1, 2, c.selector);  // wrong width: no change
            ApplyTable16(sample, Inverting16(), 1, 2, c.selector);
        } else {
            ApplyTable16(sample, Inverting16(), 1, 2, c.selector);
            ApplyTable8(sample, Inverting8(), 1, 2, c.selector);
        }
        const auto result = Bytes(sample);
        const size_t width = wide ? 2 : 1;
        for (size_t i = 0; i < c.changed.size(); ++i) {
            for (size_t b = 0; b < width; ++b) {
                const uint8_t before = bytes[i * width + b];
                EXPECT_EQ(result[i * width + b], c.changed[i] ? uint8_t(~before) : before) << i;
            }
        }
    }
}

TEST(ApplyTableTest, OneFrameWholeAndOutOfRange) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1, 2, 3, 4}));
    ApplyTable16(sample, Inverting16(), 1, 1, 2);
    EXPECT_EQ(Values16(sample), (std::vector<int>{1, 2, 3, ~4}));
    ApplyTable16(sample, Inverting16(), 0xFFFFFFFF, 0xFFFFFFFF, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{~1, ~2, ~3, 4}));
    ApplyTable16(sample, Inverting16(), 2, 7, 0);            // starts past the end
    ApplyTable16(sample, std::vector<int16_t>(3), 0, 1, 0);  // not a whole table
    EXPECT_EQ(Values16(sample), (std::vector<int>{~1, ~2, ~3, 4}));
    SetBytes(sample, kLayoutMono8, {0x00, 0x7F});
    ApplyTable8(sample, Inverting8(), 1, 100, 0);  // clipped to the last frame
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x00, 0x80}));
}

TEST(SpectrumTest, StereoSixteenBitReadsTheHighByteOfTheMean) {
    // A sine in the left channel only: the mean halves it, the spectrum still peaks at bin 64,
    // and the same frames written as 8-bit mono of the high bytes give the same spectrum.
    std::vector<uint8_t> stereo;
    std::vector<uint8_t> mono;
    for (int i = 0; i < 4096; ++i) {
        const int v = static_cast<int>(std::lround(20000 * std::sin(2 * M_PI * 64 * i / 4096.0)));
        const int mean = v / 2;  // with a silent right channel
        auto more = Le16({v, 0});
        stereo.insert(stereo.end(), more.begin(), more.end());
        mono.push_back(static_cast<uint8_t>(((mean >> 8) & 0xFF) ^ 0x80));
    }
    SampleBuffer a;
    SampleBuffer b;
    SetBytes(a, kLayoutStereo16, stereo);
    SetBytes(b, kLayoutMono8, mono);
    std::vector<float> fromStereo;
    std::vector<float> fromMono;
    ComputeSpectrum(a, 2048, kSpectrumPoints, fromStereo);
    ComputeSpectrum(b, 2048, kSpectrumPoints, fromMono);
    EXPECT_EQ(fromStereo, fromMono);
    const auto magnitudes = SpectrumMagnitudes(fromStereo, kSpectrumPoints);
    EXPECT_EQ(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin(), 64);
}

TEST(SpectrumTest, EmptySoundsAndOddSizesGiveNoCrash) {
    SampleBuffer empty;
    std::vector<float> data;
    ComputeSpectrum(empty, 0, kSpectrumPoints, data);
    ASSERT_EQ(data.size(), 4097u);
    // Silence reads 1 everywhere: bin 0 is the sum of the window, the rest its falling skirt.
    double window = 0.0;
    for (int i = 0; i < kSpectrumPoints; ++i) window += std::sin(i * 3.1415926 / kSpectrumPoints);
    const auto magnitudes = SpectrumMagnitudes(data, kSpectrumPoints);
    EXPECT_NEAR(magnitudes[0], window, 0.05);
    EXPECT_LT(magnitudes[10], magnitudes[1]);
    for (int n : {0, -4, 3, 12}) {
        ComputeSpectrum(empty, 0, n, data);
        EXPECT_EQ(data.size(), static_cast<size_t>(std::max(n, 0)) + 1);
        EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](float f) { return f == 0.0f; }));
    }
    EXPECT_TRUE(SpectrumMagnitudes(std::vector<float>(3), kSpectrumPoints)[5] == 0.0f);
}

}  // namespace
