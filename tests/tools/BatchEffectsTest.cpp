#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "support/TempDir.h"
#include "support/WaveBytes.h"
#include "tools/BatchRunner.h"

namespace {

class BatchEffectsTest : public ::testing::Test {
protected:
    std::string Input(uint16_t channels, uint16_t bits, const std::vector<uint8_t>& data,
                      uint32_t rate = 8000) {
        const std::string path = dir.File("in" + std::to_string(++inputs) + ".wav");
        WriteBytes(path, WaveBytes::Simple(channels, rate, bits, data));
        return path;
    }

    // Runs the operations and returns the raw bytes of the resulting sound.
    std::vector<uint8_t> Result(const std::string& input, std::vector<std::string> ops) {
        const std::string out = dir.File("out.raw");
        std::filesystem::remove(out);
        ops.insert(ops.begin(), input);
        ops.push_back("-o");
        ops.push_back(out);
        last = RunBatch(ops);
        EXPECT_EQ(last.status, 0) << last.err;
        return ReadBytes(out);
    }

    TempDir dir;
    BatchRun last;
    int inputs = 0;
};

std::vector<uint8_t> Le16(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) Put16(bytes, static_cast<uint16_t>(v));
    return bytes;
}

TEST_F(BatchEffectsTest, AmplifyPerChannelAndNormalise) {
    const std::string stereo = Input(2, 16, Le16({1000, 1000, 20000, -20000}));
    EXPECT_EQ(Result(stereo, {"--amplify", "50,200"}), Le16({500, 2000, 10000, -32768}));
    EXPECT_EQ(Result(stereo, {"--select", "1:1:2", "--amplify", "50"}),
              Le16({1000, 1000, 20000, -10000}));
    // Peak 20000: gain 32768 / 20000, text "163.8", factor 1.638.
    EXPECT_EQ(Result(stereo, {"--normalise", "100"}), Le16({1638, 1638, 32760, -32760}));
    const std::string mono = Input(1, 8, {0x40, 0xC0, 0x80});
    EXPECT_EQ(RunBatch({mono, "--amplify", "junk"}).status, 2);
    EXPECT_EQ(RunBatch({mono, "--amplify", "1,2,3"}).status, 2);
    EXPECT_EQ(RunBatch({mono, "--amplify", "inf"}).status, 2);
    EXPECT_EQ(RunBatch({mono, "--dc-bias", "nan"}).status, 2);
    EXPECT_EQ(Result(mono, {"--amplify", "200"}), (std::vector<uint8_t>{0x00, 0xFF, 0x80}));
    EXPECT_EQ(Result(mono, {"--dc-bias", "0"}), (std::vector<uint8_t>{0x40, 0xC0, 0x80}));
}

TEST_F(BatchEffectsTest, EditingThroughThePrivateClipboard) {
    const std::string mono = Input(1, 8, {1, 2, 3, 4, 5});
    EXPECT_EQ(Result(mono, {"--select", "1:2", "--cut", "--select", "all", "--paste", "3"}),
              (std::vector<uint8_t>{1, 4, 5, 2, 3}));
    EXPECT_EQ(Result(mono, {"--select", "0:9", "--copy", "--delete", "--undo"}),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    const std::string stereo = Input(2, 8, {1, 11, 2, 12, 3, 13});
    EXPECT_EQ(Result(stereo, {"--select", "0:0:2", "--delete"}),
              (std::vector<uint8_t>{1, 12, 2, 13, 3, 127}));
    EXPECT_EQ(Result(stereo, {"--select", "0:0:1", "--copy", "--paste", "1:2"}),
              (std::vector<uint8_t>{1, 11, 2, 1, 3, 12, 127, 13}));
    EXPECT_EQ(Result(mono, {"--paste", "0"}), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(RunBatch({mono, "--paste", "1:3"}).status, 2);
}

TEST_F(BatchEffectsTest, ConvertStartsFromTheStoredFormat) {
    const std::string mono = Input(1, 16, Le16({0, 100, 200}), 11025);
    // The relabel does not survive a conversion: the bytes are taken as 11025 Hz 16-bit mono.
    EXPECT_EQ(Result(mono, {"--relabel", "22050,8,2", "--convert", "22050,16,1", "--stat"}),
              Le16({0, 50, 100, 150, 200, 200}));
    EXPECT_EQ(last.out, "frames=6 bytes=12 rate=22050 bits=16 channels=1\n");
    EXPECT_EQ(Result(mono, {"--relabel", "8000,8,2", "--stat"}), Le16({0, 100, 200}));
    EXPECT_EQ(last.out, "frames=3 bytes=6 rate=8000 bits=8 channels=2\n");
    for (const char* bad : {"0,8,1", "50001,8,1", "8000,12,1", "8000,8,3", "8000,8"}) {
        EXPECT_EQ(RunBatch({mono, "--convert", bad}).status, 2) << bad;
    }
}

TEST_F(BatchEffectsTest, ConvertTakesASoundAboveTheHighestTargetRateDown) {
    // 24 frames at 96000 Hz become 11 at 44100 Hz (48 * 44100 / 96000 = 22.05 bytes).
    const std::string fast = Input(1, 16, std::vector<uint8_t>(48, 0), 96000);
    EXPECT_EQ(Result(fast, {"--convert", "44100,16,1", "--stat"}).size(), 22u);
    EXPECT_EQ(last.out, "frames=11 bytes=22 rate=44100 bits=16 channels=1\n");
    // A refused conversion is an operation that failed.
    const std::string silent = Input(1, 16, std::vector<uint8_t>(48, 0), 0);
    const BatchRun run = RunBatch({silent, "--convert", "44100,16,1"});
    EXPECT_EQ(run.status, 5) << run.err;
}

TEST_F(BatchEffectsTest, TransformsAndPeak) {
    const std::string mono = Input(1, 8, {0x80, 0x00, 0xFF, 0x90});
    EXPECT_EQ(Result(mono, {"--reverse", "--peak"}),
              (std::vector<uint8_t>{0x90, 0xFF, 0x00, 0x80}));
    EXPECT_EQ(last.out, "peak=1\n");  // after the reverse, 0xFF is at frame 1
    EXPECT_EQ(Result(mono, {"--select", "0:1", "--change-sign"}),
              (std::vector<uint8_t>{0x00, 0x80, 0xFF, 0x90}));
    EXPECT_EQ(Result(mono, {"--decode-ulaw", "--stat"}), Le16({32124, -32124, 0, 15996}));
    EXPECT_EQ(last.out, "frames=4 bytes=8 rate=8000 bits=16 channels=1\n");
}

TEST_F(BatchEffectsTest, CurvesFromTheCommandLine) {
    const std::string mono = Input(1, 16, Le16({10000, 10000, 10000}));
    EXPECT_EQ(Result(mono, {"--envelope", "0:1,1:0"}), Le16({10000, 5000, 0}));
    EXPECT_EQ(Result(mono, {"--envelope", "0:1,1:1@50"}), Le16({5000, 5000, 5000}));
    EXPECT_EQ(Result(mono, {"--compress", "0:0,1:1"}), Le16({10000, 10000, 10000}));
    const std::string stereo = Input(2, 16, Le16({1000, 3000, 1000, 3000}));
    EXPECT_EQ(Result(stereo, {"--pan", "0:1,1:1"}), Le16({2000, 0, 2000, 0}));
    for (const char* bad : {"0:1", "0.5:1,1:1", "0:1,0.8:1,0.5:1,1:1", "0:2,1:1", "0:1;1:1"}) {
        EXPECT_EQ(RunBatch({mono, "--compress", bad}).status, 2) << bad;
    }
    const BatchRun spectrum = RunBatch({mono, "--spectrum", "0"});
    EXPECT_EQ(spectrum.status, 0);
    std::istringstream lines(spectrum.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        EXPECT_NE(line.find('.'), std::string::npos);
        EXPECT_EQ(line.size() - line.find('.'), 4u);  // "%.3f"
    }
    EXPECT_EQ(count, 1024);
}

TEST_F(BatchEffectsTest, CurveArgumentsAreCheckedBeforeLoading) {
    const std::string mono = Input(1, 16, Le16({10000, 10000, 10000}));
    for (const char* bad :
         {"0:nan,1:1", "0:0,nan:0.5,1:1", "0:0,inf:1", "0:0,0.5:1,0.5:0,1:1", "0:0,0.0005:1,1:1",
          "0:-0.1,1:1", "0:0,1:1.5", "0:0,1.5:1", "0:0,1", "0:0,,1:1", "", "0:0,0.9:1"}) {
        const BatchRun run = RunBatch({mono, "--envelope", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("bad curve"), std::string::npos) << bad << ": " << run.err;
    }
    EXPECT_NE(RunBatch({mono, "--pan", "0:0,0.5:1,0.4:0,1:1"}).err.find("out of order"),
              std::string::npos);
    EXPECT_NE(RunBatch({mono, "--compress", "0:0,1:2"}).err.find("value outside 0..1"),
              std::string::npos);
    EXPECT_EQ(RunBatch({mono, "--envelope", "0:1,1:1@"}).status, 2);
    EXPECT_EQ(RunBatch({mono, "--envelope", "0:1,1:1@loud"}).status, 2);
    // A malformed curve after a good operation stops the run before anything is written.
    const std::string out = dir.File("never.raw");
    EXPECT_EQ(RunBatch({mono, "-o", out, "--compress", "0:0"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(BatchEffectsTest, CurvesOnRangesSelectorsAndSmallSounds) {
    // The curve spans the selected frames only; selector 1 leaves the right channel alone.
    const std::string stereo = Input(2, 16, Le16({4000, 4000, 4000, 4000, 4000, 4000, 4000, 4000}));
    EXPECT_EQ(Result(stereo, {"--select", "1:3:1", "--envelope", "0:1,1:0@50"}),
              Le16({4000, 4000, 2000, 4000, 1000, 4000, 0, 4000}));
    // A one-frame range has no position on the curve: the envelope silences it, the panning
    // sends its mix to the right.
    EXPECT_EQ(Result(stereo, {"--select", "2:2", "--envelope", "0:1,1:1"}),
              Le16({4000, 4000, 4000, 4000, 0, 0, 4000, 4000}));
    EXPECT_EQ(Result(stereo, {"--select", "0:0", "--pan", "0:1,1:1"}),
              Le16({0, 4000, 4000, 4000, 4000, 4000, 4000, 4000}));
    // The compressor's flat top drives 8-bit samples to full scale, keeping their sign.
    const std::string bytes8 = Input(2, 8, {0x81, 0x7F, 0x80, 0xC0});
    EXPECT_EQ(Result(bytes8, {"--compress", "0:1,1:1"}),
              (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(Result(bytes8, {"--select", "0:1:2", "--compress", "0:1,1:1"}),
              (std::vector<uint8_t>{0x81, 0x00, 0x80, 0xFF}));
    // Panning a mono sound and any curve on an empty sound leave them as they are.
    const std::string mono = Input(1, 8, {0x90, 0x70});
    EXPECT_EQ(Result(mono, {"--pan", "0:1,1:0"}), (std::vector<uint8_t>{0x90, 0x70}));
    const std::string empty = Input(1, 16, {});
    EXPECT_TRUE(
        Result(empty, {"--envelope", "0:0,1:1", "--compress", "0:1,1:1", "--pan", "0:1,1:0"})
            .empty());
    const BatchRun spectrum = RunBatch({empty, "--spectrum", "4000000000"});
    EXPECT_EQ(spectrum.status, 2);
    EXPECT_EQ(RunBatch({empty, "--spectrum", "-1"}).status, 2);
}

TEST_F(BatchEffectsTest, SpectrumOfASinePeaksAtItsBin) {
    std::vector<uint8_t> sine(8192);
    for (size_t i = 0; i < sine.size(); ++i) {
        sine[i] =
            static_cast<uint8_t>(128 + std::lround(90 * std::sin(2 * M_PI * 32 * i / 4096.0)));
    }
    const BatchRun run = RunBatch({Input(1, 8, sine), "--spectrum", "4096"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<double> magnitudes;
    for (std::string line; std::getline(lines, line);) magnitudes.push_back(std::stod(line));
    ASSERT_EQ(magnitudes.size(), 1024u);
    EXPECT_EQ(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin(), 32);
}

}  // namespace
