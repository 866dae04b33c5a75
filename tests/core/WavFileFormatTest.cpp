#include <gtest/gtest.h>

#include <cstring>

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

// A fmt chunk of `size` bytes with this format tag; an extensible one carries `subFormat`.
std::vector<uint8_t> Fmt(uint16_t tag, uint16_t bits, uint32_t size = 16, uint16_t subFormat = 1,
                         uint8_t guidByte = 0x10) {
    auto fmt = WaveBytes::FmtContents(1, 8000, bits, size);
    fmt[0] = static_cast<uint8_t>(tag);
    fmt[1] = static_cast<uint8_t>(tag >> 8);
    if (size >= 40) {
        const uint8_t tail[14] = {0, 0, 0, 0, guidByte, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        fmt[24] = static_cast<uint8_t>(subFormat);
        std::copy(tail, tail + 14, fmt.begin() + 26);
    }
    return WaveBytes::Chunk("fmt ", fmt);
}

std::vector<uint8_t> Floats(std::initializer_list<float> values) {
    std::vector<uint8_t> out;
    for (float f : values) {
        uint32_t raw = 0;
        std::memcpy(&raw, &f, 4);
        Put32(out, raw);
    }
    return out;
}

TEST_F(WavFileFormatTest, WideAndFloatDataLoadAs16Bit) {
    struct Case {
        const char* name;
        std::vector<uint8_t> fmt;
        std::vector<uint8_t> data;
        std::vector<int16_t> expected;  // empty: 8-bit bytes as they are
    };
    const std::vector<Case> cases = {
        {"24-bit",
         Fmt(1, 24),
         {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x80, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 1},
         {32767, -32768, 1, -1}},  // -129 / 256 rounds to -1
        {"32-bit",
         Fmt(1, 32),
         {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80, 0, 0x80, 0, 0, 0xFF, 0x7F, 0xFF, 0xFF},
         {32767, -32768, 1, -1}},
        {"float",
         Fmt(3, 32),
         Floats({1.5f, -2.0f, 0.5f, -0.25f, 0.0f}),
         {32767, -32768, 16384, -8192, 0}},
        {"extensible float", Fmt(0xFFFE, 32, 40, 3), Floats({-1.0f}), {-32768}},
        {"extensible 16-bit", Fmt(0xFFFE, 16, 40, 1), {0x34, 0x12}, {0x1234}},
        {"20-byte 8-bit", Fmt(1, 8, 20), {1, 2, 3}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Wav().Load(
            Write("w.wav", WaveBytes::Riff({c.fmt, WaveBytes::Chunk("data", c.data)})), sample));
        EXPECT_EQ(sample.FormatRef().Is16Bit(), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_EQ(std::vector<uint8_t>(sample.Data(), sample.Data() + sample.GetByteLength()),
                      c.data);
            continue;
        }
        ASSERT_EQ(sample.GetByteLength(), 2 * c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(static_cast<int16_t>(sample.Data()[2 * i] | (sample.Data()[2 * i + 1] << 8)),
                      c.expected[i]);
        }
    }
}

TEST_F(WavFileFormatTest, OtherCodingsAreRefusedByName) {
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {Fmt(1, 12), "Cannot load 12-bit integer PCM wave data"},
        {Fmt(3, 64), "Cannot load 64-bit floating-point wave data"},
        {Fmt(2, 4), "Cannot load format code 0x0002 wave data"},
        {Fmt(0xFFFE, 16, 40, 1, 0x11), "Cannot load an unknown extensible sub-format wave data"},
    };
    sample.SetFormat(11025, false, false);
    ASSERT_TRUE(sample.ResizeBytes(3));
    for (const auto& [fmt, text] : cases) {
        messages.Clear();
        EXPECT_FALSE(Wav().Load(
            Write("r.wav", WaveBytes::Riff({fmt, WaveBytes::Chunk("data", Ramp(8))})), sample));
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{text});
        EXPECT_EQ(sample.GetByteLength(), 3u);  // the sound is as it was
    }
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

namespace {

TEST_F(WavFileFormatTest, SizesAndRatesNeverWrap) {
    // A data size past 2 GiB prints as it is; a rate whose byte rate passes 32 bits cannot save.
    const std::string path = Write(
        "huge.wav", WaveBytes::Riff({Fmt(1, 8), WaveBytes::Chunk("data", Ramp(2), 0xFFFFFFFF)}));
    std::string type, format, size;
    Wav().Describe(path, type, format, size);
    EXPECT_EQ(size.substr(0, 17), "4294967295 Bytes;");
    sample.SetFormat(4294967295u, true, true);
    EXPECT_FALSE(Wav().Save(dir.File("fast.wav"), sample));
    EXPECT_FALSE(std::filesystem::exists(dir.File("fast.wav")));
}

TEST_F(WavFileFormatTest, ReadErrorFailsTheLoadWithTheReason) {
    const std::string path = Write("ok.wav", WaveBytes::Simple(1, 8000, 8, Ramp(5000)));
    sample.SetFormat(22050, true, true);
    sample.SetInfo(kInfoName, "mine");
    for (uint64_t budget : {0ull, 20ull, 200ull}) {
        BinaryFile::FailReadsAfterForTesting(budget);
        EXPECT_FALSE(registry.Open(path, sample)) << budget;
        BinaryFile::ClearReadFailureForTesting();
        EXPECT_EQ(registry.LastFailure(), path + ": Input/output error");
        EXPECT_EQ(sample.FormatRef(), SampleFormat(22050, true, true));
        EXPECT_EQ(sample.Info(kInfoName), "mine");
    }
}

}  // namespace
