#include <gtest/gtest.h>

#include <cmath>

#include "effects/Compressor.h"
#include "effects/CurveModel.h"
#include "effects/Envelope.h"
#include "effects/Panning.h"
#include "effects/Spectrum.h"
#include "support/SampleMaker.h"

namespace {

CurveModel Curve(std::vector<std::pair<float, float>> fractions) {
    CurveModel curve;
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
        bytes[i] = static_cast<uint8_t>(128 + std::lround(100 * std::sin(2 * M_PI * 64 * i / 4096.0)));
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

}  // namespace
