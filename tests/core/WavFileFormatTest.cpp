#include <gtest/gtest.h>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/fileformats/WavFileFormat.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "support/TempDir.h"
#include "support/WaveBytes.h"

namespace {

class WavFileFormatTest : public ::testing::Test {
protected:
    WavFileFormat& Wav() { return static_cast<WavFileFormat&>(registry.Handler(0)); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        return path;
    }

    TempDir dir;
    RecordingMessageSink messages;
    SoundFileRegistry registry{messages};
    SampleBuffer sample;
};

std::vector<uint8_t> Ramp(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

TEST_F(WavFileFormatTest, LoadsFormatBytesAndInformation) {
    const auto data = Ramp(176400);
    const auto info = WaveBytes::Chunk("LIST", [] {
        std::vector<uint8_t> list;
        PutTag(list, "INFO");
        const std::string name = "Bell\0junk";
        for (auto c : WaveBytes::Chunk("INAM", {'B', 'e', 'l', 'l', 0, 'x', 'y'}))
            list.push_back(c);
        for (auto c : WaveBytes::Chunk("ICOP", {'(', 'c', ')'})) list.push_back(c);
        return list;
    }());
    const std::string path =
        Write("a.wav",
              WaveBytes::Riff({info, WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(2, 44100, 16)),
                               WaveBytes::Chunk("data", data)}));
    sample.SetInfo(kInfoArtist, "kept");
    ASSERT_TRUE(Wav().Load(path, sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(44100, true, true));
    ASSERT_EQ(sample.GetByteLength(), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), sample.Data()));
    EXPECT_EQ(sample.Info(kInfoName), "Bell");      // ends at the first zero byte
    EXPECT_EQ(sample.Info(kInfoCopyright), "(c)");  // odd size, padded
    EXPECT_EQ(sample.Info(kInfoArtist), "kept");    // missing tags keep their value
    EXPECT_TRUE(messages.Shown().empty());

    std::string type, format, size;
    EXPECT_TRUE(registry.Describe(path, type, format, size));
    EXPECT_EQ(type, "Windows RIFF");
    EXPECT_EQ(format, "44100 Hz 16-Bit Stereo");
    EXPECT_EQ(size, "176400 Bytes; 1.00 secs");
}

TEST_F(WavFileFormatTest, ReadsOnlyWhatTheFormatRecordSays) {
    // 96 kHz loads as is but describes capped; 24-bit loads as 8-bit; 4 channels as mono.
    const std::string path = Write("hi.wav", WaveBytes::Simple(4, 96000, 24, Ramp(24)));
    ASSERT_TRUE(Wav().Load(path, sample));
    EXPECT_EQ(sample.GetFrequency(), 96000u);
    EXPECT_FALSE(sample.FormatRef().Is16Bit());
    EXPECT_FALSE(sample.FormatRef().IsStereo());
    std::string type, format, size;
    Wav().Describe(path, type, format, size);
    EXPECT_EQ(format, "50000 Hz 8-Bit Mono");
}

TEST_F(WavFileFormatTest, RefusesBrokenFilesWithTheirMessages) {
    struct Case {
        std::vector<uint8_t> bytes;
        std::vector<std::string> expected;
    };
    const auto fmt14 = WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8, 14));
    const std::vector<Case> cases = {
        {{}, {"This File is NOT a wave file"}},
        {WaveBytes::Riff({}, "AVI "), {"This File is NOT a wave file"}},
        {WaveBytes::Riff({WaveBytes::Chunk("data", Ramp(4))}), {"Cannot find Format information"}},
        {WaveBytes::Riff({fmt14, WaveBytes::Chunk("data", Ramp(4))}),
         {"Format information too small"}},
        {WaveBytes::Riff({WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8))}),
         {"Cannot find data information"}},
    };
    for (const auto& c : cases) {
        messages.Clear();
        EXPECT_FALSE(Wav().Load(Write("bad.wav", c.bytes), sample));
        EXPECT_EQ(messages.Texts(), c.expected);
    }
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Application);
    messages.Clear();
    EXPECT_FALSE(Wav().Load(Write("small.wav", cases[3].bytes), sample));
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
    messages.Clear();
    EXPECT_FALSE(Wav().Load(dir.File("missing.wav"), sample));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error - Couldn't open as Wave!"});
}

TEST_F(WavFileFormatTest, FormatChunkCutByTheEndOfFile) {
    auto bytes = WaveBytes::Riff({WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8))});
    bytes.resize(bytes.size() - 6);  // the record is cut short
    const std::string path = Write("cut.wav", bytes);
    EXPECT_FALSE(Wav().Load(path, sample));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "Error reading format information");
    EXPECT_EQ(messages.Shown()[0].customTitle, "Error Opening Wave");
    std::string type, format, size;
    EXPECT_TRUE(Wav().Describe(path, type, format, size));
    EXPECT_EQ(format, "Invalid format information");
}

TEST_F(WavFileFormatTest, DataPromisedButMissingIsNotInvented) {
    // The data chunk claims 4 GiB - 2 bytes; the file holds 10. The sound is the 10 bytes.
    auto bytes = WaveBytes::Riff({WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8)),
                                  WaveBytes::Chunk("data", Ramp(10), 0xFFFFFFFE)});
    ASSERT_TRUE(Wav().Load(Write("liar.wav", bytes), sample));
    EXPECT_EQ(sample.GetByteLength(), 10u);
    const auto ramp = Ramp(10);
    EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), sample.Data()));
    // The same with an odd RIFF size far past the end: the chunk search stops at the file's end.
    bytes[4] = 0xFF;
    bytes[5] = 0xFF;
    bytes[6] = 0xFF;
    bytes[7] = 0xFF;
    EXPECT_TRUE(Wav().Load(Write("liar2.wav", bytes), sample));
}

TEST_F(WavFileFormatTest, SkipsUnknownAndOddChunks) {
    const auto bytes =
        WaveBytes::Riff({WaveBytes::Chunk("junk", Ramp(3)),
                         WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 11025, 16, 18)),
                         WaveBytes::Chunk("fact", Ramp(5)), WaveBytes::Chunk("data", Ramp(7))});
    ASSERT_TRUE(Wav().Load(Write("odd.wav", bytes), sample));
    EXPECT_EQ(sample.GetByteLength(), 7u);
    EXPECT_EQ(sample.GetFrameCount(), 3u);
}

TEST_F(WavFileFormatTest, SaveWritesTheLayoutAndLoadsBack) {
    sample.SetFormat(22050, true, true);
    ASSERT_TRUE(sample.ResizeBytes(9));  // odd: the data chunk gets a pad byte
    const auto ramp = Ramp(9);
    std::copy(ramp.begin(), ramp.end(), sample.Data());
    sample.SetInfo(kInfoName, "abc");     // size 4: no pad
    sample.SetInfo(kInfoComments, "ab");  // size 3: padded
    const std::string path = dir.File("out.wav");
    ASSERT_TRUE(registry.Save(path, sample));
    EXPECT_EQ(sample.Info(kInfoSoftware), "Orvex v1.5.1");

    const auto bytes = ReadBytes(path);
    std::vector<uint8_t> expected;
    PutTag(expected, "RIFF");
    Put32(expected, 0);  // filled below
    PutTag(expected, "WAVE");
    std::vector<uint8_t> list;
    PutTag(list, "INFO");
    for (auto c : WaveBytes::Chunk("ICMT", {'a', 'b', 0})) list.push_back(c);
    for (auto c : WaveBytes::Chunk("INAM", {'a', 'b', 'c', 0})) list.push_back(c);
    std::vector<uint8_t> isft = {'O', 'r', 'v', 'e', 'x', ' ', 'v', '1', '.', '5', '.', '1', 0};
    for (auto c : WaveBytes::Chunk("ISFT", isft)) list.push_back(c);
    for (auto c : WaveBytes::Chunk("LIST", list)) expected.push_back(c);
    std::vector<uint8_t> fmt;
    Put16(fmt, 1);
    Put16(fmt, 2);
    Put32(fmt, 22050);
    Put32(fmt, 88200);
    Put16(fmt, 4);
    Put16(fmt, 16);
    Put16(fmt, 0);
    for (auto c : WaveBytes::Chunk("fmt ", fmt)) expected.push_back(c);
    for (auto c : WaveBytes::Chunk("data", ramp)) expected.push_back(c);
    const uint32_t riffSize = static_cast<uint32_t>(expected.size() - 8);
    for (int i = 0; i < 4; ++i) expected[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
    EXPECT_EQ(bytes, expected);

    SampleBuffer back;
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(back.FormatRef(), sample.FormatRef());
    EXPECT_EQ(back.GetByteLength(), 9u);
    EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), back.Data()));
    EXPECT_EQ(back.Info(kInfoName), "abc");
    EXPECT_EQ(back.Info(kInfoComments), "ab");
}

TEST_F(WavFileFormatTest, EmptySoundSavesOnlySoftwareTag) {
    const std::string path = dir.File("empty.wav");
    ASSERT_TRUE(Wav().Save(path, sample));
    const auto bytes = ReadBytes(path);
    // RIFF(12) + LIST(12) + ISFT(8 + 13 + pad) + fmt(26) + data(8)
    EXPECT_EQ(bytes.size(), 12u + 12 + 22 + 26 + 8);
    SampleBuffer back;
    ASSERT_TRUE(Wav().Load(path, back));
    EXPECT_EQ(back.GetByteLength(), 0u);
}

TEST_F(WavFileFormatTest, FailedSaveLeavesTheOldFileAlone) {
    const std::string path = Write("keep.wav", {1, 2, 3, 4});
    sample.SetFormat(8000, false, false);
    ASSERT_TRUE(sample.ResizeBytes(100000));
    for (uint64_t budget : {0ull, 10ull, 40ull, 5000ull, 99000ull}) {
        BinaryFile::FailWritesAfterForTesting(budget);
        EXPECT_FALSE(Wav().Save(path, sample)) << budget;
        BinaryFile::ClearWriteFailureForTesting();
        EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 2, 3, 4}));
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    EXPECT_TRUE(Wav().Save(path, sample));
    EXPECT_GT(ReadBytes(path).size(), 100000u);
}

}  // namespace
