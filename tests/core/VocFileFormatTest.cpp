#include <gtest/gtest.h>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/fileformats/VocFileFormat.h"
#include "core/messages/RecordingMessageSink.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

// A hand-made Creative Voice file, block by block.
struct Voc {
    std::vector<uint8_t> bytes;
    Voc() {
        const char* sig = "Creative Voice File\x1A";
        bytes.assign(sig, sig + 20);
        Put16(bytes, 26);
        Put16(bytes, 0x010A);
        Put16(bytes, 0x1129);
    }
    Voc& Block(uint8_t type, const std::vector<uint8_t>& contents, int64_t length = -1) {
        bytes.push_back(type);
        const auto n =
            static_cast<uint32_t>(length < 0 ? static_cast<int64_t>(contents.size()) : length);
        bytes.push_back(static_cast<uint8_t>(n));
        bytes.push_back(static_cast<uint8_t>(n >> 8));
        bytes.push_back(static_cast<uint8_t>(n >> 16));
        bytes.insert(bytes.end(), contents.begin(), contents.end());
        return *this;
    }
    Voc& Sound(uint8_t code, std::vector<uint8_t> data) {
        data.insert(data.begin(), {code, 0});
        return Block(1, data);
    }
    Voc& Silence(uint16_t count, uint8_t code) {
        return Block(3, {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8), code});
    }
    Voc& Extended(uint16_t timeConstant, uint8_t mode, uint8_t packing = 0) {
        return Block(8, {static_cast<uint8_t>(timeConstant),
                         static_cast<uint8_t>(timeConstant >> 8), packing, mode});
    }
    Voc& End() { return Block(0, {}); }
};

class VocFileFormatTest : public ::testing::Test {
protected:
    VocFileFormat& Handler() {
        return static_cast<VocFileFormat&>(registry.Handler(SoundFileRegistry::kVoc));
    }
    bool Load(const Voc& voc) {
        const std::string path = dir.File("in.voc");
        WriteBytes(path, voc.bytes);
        return Handler().Load(path, sample);
    }

    TempDir dir;
    RecordingMessageSink messages;
    SoundFileRegistry registry{messages};
    SampleBuffer sample;
};

TEST_F(VocFileFormatTest, RatesFromPlainAndExtendedBlocks) {
    ASSERT_TRUE(Load(Voc().Sound(211, {1, 2, 3}).End()));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(22222, false, false));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_TRUE(Load(Voc().Extended(53927, 0).Sound(211, {1, 2}).End()));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(22051, false, false));
    ASSERT_TRUE(Load(Voc().Extended(53927, 1).Sound(211, {1, 2}).End()));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, true, false));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(VocFileFormatTest, ChainOfSoundSilenceAndSkippedBlocks) {
    Voc voc;
    voc.Sound(156, {1, 2})
        .Block(4, {7, 0})         // marker
        .Block(5, {'h', 'i', 0})  // text
        .Silence(3, 156)          // at the file's rate
        .Block(2, {9})            // continuation
        .Silence(4, 56)           // another rate: 4 * 200 / 100 = 8 bytes
        .Block(6, {2, 0})
        .Block(42, {1, 2, 3})  // unknown
        .Block(42, {})
        .End();
    ASSERT_TRUE(Load(voc));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 0x80, 0x80, 0x80, 9, 0x80, 0x80, 0x80,
                                                   0x80, 0x80, 0x80, 0x80, 0x80}));
    EXPECT_EQ(sample.GetFrequency(), 10000u);
    // The unknown block warns once in each of the two passes.
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Skipping unknown block code",
                                                          "Skipping unknown block code"}));
}

TEST_F(VocFileFormatTest, RefusedFilesAndBlocks) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool loads;
        std::vector<std::string> messages;
    };
    std::vector<uint8_t> shortHeader = Voc().bytes;
    shortHeader.resize(12);
    std::vector<uint8_t> wrongHeader = Voc().bytes;
    wrongHeader[0] = 'c';
    const std::vector<Case> cases = {
        {shortHeader, false, {"Unexpected EOF in file"}},
        {wrongHeader, false, {"VOC file header incorrect"}},
        {Voc().Block(5, {'x', 0}).End().bytes, false, {"Input .voc file had no sound!"}},
        {Voc().Sound(0, {1}).bytes,
         false,
         {"Sample Rate appears to be 0", "Input .voc file had no sound!"}},
        {Voc().Silence(5, 0).bytes,
         false,
         {"Silence sample rate is zero", "Input .voc file had no sound!"}},
        // A second rate ends the pass; the sound up to it is kept, in both passes.
        {Voc().Sound(100, {1}).Sound(101, {2}).End().bytes,
         true,
         {"Sample rate codes differ", "Sample rate codes differ"}},
        // The rate code is taken before the packing is refused: an empty sound.
        {Voc().Block(1, {100, 1, 5}).bytes,
         true,
         {"Can only interpret 8-bit data!", "Can only interpret 8-bit data!"}},
        {Voc().Extended(1000, 0, 1).Sound(100, {1}).bytes,
         true,
         {"Can only interpret 8-bit data (currently)!",
          "Can only interpret 8-bit data (currently)!"}},
    };
    for (const auto& c : cases) {
        messages.Clear();
        Voc voc;
        voc.bytes = c.bytes;
        EXPECT_EQ(Load(voc), c.loads);
        EXPECT_EQ(messages.Texts(), c.messages);
    }
}

TEST_F(VocFileFormatTest, LyingLengthsEndAtTheEndOfTheFile) {
    // A sound block promising 16 MB holds 3 bytes; no terminator follows.
    Voc voc;
    voc.Block(1, {100, 0, 1, 2, 3}, 0xFFFFFF);
    ASSERT_TRUE(Load(voc));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3}));
    // A block offset past the end of the file: no chain, no sound.
    Voc far;
    far.bytes[20] = 0xFF;
    far.bytes[21] = 0x7F;
    EXPECT_FALSE(Load(far.Sound(100, {1})));
    // A one-byte sound block has no data.
    ASSERT_TRUE(Load(Voc().Block(1, {100, 0}, 1).End()));
    EXPECT_EQ(sample.GetByteLength(), 0u);
}

TEST_F(VocFileFormatTest, SaveWritesTheLayoutAndLoadsBack) {
    SetBytes(sample, kLayoutMono8, {5, 6, 7}, 22050);
    const std::string path = dir.File("out.voc");
    ASSERT_TRUE(registry.Save(path, sample));
    const Voc expected = Voc().Extended(53927, 0).Sound(211, {5, 6, 7}).End();
    EXPECT_EQ(ReadBytes(path), expected.bytes);
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(back.FormatRef(), SampleFormat(22051, false, false));
    EXPECT_EQ(Bytes(back), (std::vector<uint8_t>{5, 6, 7}));

    SetBytes(sample, kLayoutStereo8, {1, 2, 3, 4}, 11025);
    ASSERT_TRUE(registry.Save(path, sample));
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(back.FormatRef(), SampleFormat(11025, true, false));

    SetBytes(sample, kLayoutMono16, {1, 2});
    EXPECT_FALSE(registry.Save(path, sample));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    ".VOC files only support 8-bit sample data. Convert the sample "
                                    "to 8-bit, then save"});
    EXPECT_EQ(ReadBytes(path).size(), 26u + 8 + 10 + 4);  // the last good file is still there
}

TEST_F(VocFileFormatTest, RatesWhoseCodeWrapsToZeroStillLoadBack) {
    // 1000000 / 3900 = 256 and 1000000 / 1953 = 512: kept to 8 bits the code would be 0.
    // 4000 Hz gives the ordinary code 6; above 1 MHz the quotient is 0 and the code 256.
    struct Case {
        uint32_t rate;
        uint32_t layout;
        uint8_t code;
    };
    for (const Case& c : {Case{3900, kLayoutMono8, 1}, Case{1953, kLayoutMono8, 1},
                          Case{4000, kLayoutMono8, 6}, Case{2000000, kLayoutStereo8, 1}}) {
        messages.Clear();
        SetBytes(sample, c.layout, {9, 8}, c.rate);
        const std::string path = dir.File("rate.voc");
        ASSERT_TRUE(Handler().Save(path, sample)) << c.rate;
        EXPECT_EQ(ReadBytes(path)[26 + 8 + 4], c.code) << c.rate;
        SampleBuffer back;
        ASSERT_TRUE(Handler().Load(path, back)) << c.rate;
        EXPECT_EQ(Bytes(back), (std::vector<uint8_t>{9, 8})) << c.rate;
        EXPECT_TRUE(messages.Shown().empty()) << c.rate;
    }
}

TEST_F(VocFileFormatTest, LongSoundsContinueInFurtherBlocks) {
    std::vector<uint8_t> big(VocFileFormat::kMaxFirstBlockData + 1000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 31 + 7);
    SetBytes(sample, kLayoutMono8, big, 8000);
    const std::string path = dir.File("long.voc");
    ASSERT_TRUE(Handler().Save(path, sample));
    SampleBuffer back;
    ASSERT_TRUE(Handler().Load(path, back));
    EXPECT_EQ(back.GetByteLength(), big.size());
    EXPECT_TRUE(std::equal(big.begin(), big.end(), back.Data()));
    EXPECT_EQ(back.GetFrequency(), 8000u);
}

TEST_F(VocFileFormatTest, DescribeNamesTheTypeOnly) {
    std::string type, format, size;
    EXPECT_FALSE(registry.Describe(dir.File("x.voc"), type, format, size));
    EXPECT_EQ(type, "Creative Voice File");
    EXPECT_EQ(format, "Unknown");
    EXPECT_EQ(size, "Unknown");
}

}  // namespace

namespace {

TEST_F(VocFileFormatTest, SilenceCannotExpandPastTheLoadLimit) {
    // Three silence blocks of 65535 bytes from a file of 40 bytes: refused before allocating.
    Voc voc;
    voc.Silence(0xFFFF, 0x83).Silence(0xFFFF, 0x83).Silence(0xFFFF, 0x83);
    sample.SetFormat(22050, false, false);
    SetLoadSizeLimitForTesting(100000);
    EXPECT_FALSE(Load(voc));
    SetLoadSizeLimitForTesting(0);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("is too large to load"), std::string::npos);
    EXPECT_EQ(sample.GetFrequency(), 22050u);
    EXPECT_TRUE(Load(voc));
    EXPECT_EQ(sample.GetByteLength(), 3u * 0xFFFF);
}

}  // namespace
