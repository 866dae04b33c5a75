#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "core/fileformats/AuFileFormat.h"
#include "core/fileformats/AuSaveOptions.h"
#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/RawFileFormat.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/fileformats/VocFileFormat.h"
#include "core/fileformats/WavFileFormat.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "support/TempDir.h"
#include "support/WaveBytes.h"

namespace {

class SoundFileRegistryTest : public ::testing::Test {
protected:
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

TEST_F(SoundFileRegistryTest, HandlersTakeFixedIdsAndFilters) {
    // A second registry and handlers made on their own keep the same ids, so an options word
    // stored through one registry is read back through another.
    SoundFileRegistry second(messages);
    WavFileFormat wav(messages);
    VocFileFormat voc(messages);
    AuFileFormat au(messages);
    RawFileFormat raw(messages);
    const SoundFileFormat* alone[] = {&wav, &voc, &au, &raw};
    for (int position = 0; position < SoundFileRegistry::kHandlerCount; ++position) {
        const auto id = static_cast<uint32_t>(position + 1);
        EXPECT_EQ(registry.Handler(position).GetId(), id);
        EXPECT_EQ(second.Handler(position).GetId(), id);
        EXPECT_EQ(alone[position]->GetId(), id);
    }
    registry.Handler(SoundFileRegistry::kAu).SetSample(&sample);
    registry.Handler(SoundFileRegistry::kAu).StoreOptions(AuSaveOptions::kLinear);
    au.SetSample(&sample);
    EXPECT_EQ(au.GetStoredOptions(), AuSaveOptions::kLinear);
    EXPECT_EQ(registry.OpenFilter(),
              "All Supported Formats|*.au;*.snd;*.voc;*.wav|Wave Files (*.wav)|*.wav|"
              "Creative Voice Files (*.voc)|*.voc|Sun/NeXT (.au;.snd)|*.au;*.snd|"
              "Raw Data (*.*)|*.*||");
    EXPECT_EQ(registry.SaveFilter(),
              "Wave Files (*.wav)|*.wav|Creative Voice Files (*.voc)|*.voc|"
              "Sun/NeXT (.au;.snd)|*.au;*.snd|Raw Data (*.*)|*.*||");
}

TEST_F(SoundFileRegistryTest, ChoosesHandlerByExtensionOnly) {
    SoundFileRegistry& r = registry;
    auto position = [&r](const std::string& name) {
        for (int i = 0; i < SoundFileRegistry::kHandlerCount; ++i) {
            if (&r.Handler(i) == &r.HandlerForName(name))
                return i;
        }
        return -1;
    };
    for (const char* name : {"voice.voc", "VOICE.VOC", "a.Voc", "/dir.wav/x.voc"}) {
        EXPECT_EQ(position(name), SoundFileRegistry::kVoc) << name;
    }
    for (const char* name : {"x.au", "x.AU", "x.snd", ".au"}) {
        EXPECT_EQ(position(name), SoundFileRegistry::kAu) << name;
    }
    for (const char* name : {"x.wav", "X.WAV", ".wav"}) {
        EXPECT_EQ(position(name), SoundFileRegistry::kWav) << name;
    }
    for (const char* name : {"x.wave", "x.aiff", "x", "", "au", "wav", "x.wav.txt"}) {
        EXPECT_EQ(position(name), SoundFileRegistry::kRaw) << name;
    }
}

TEST_F(SoundFileRegistryTest, RejectedFileOpensAsRawAfterTheHandlersMessage) {
    const std::vector<uint8_t> bytes = {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'};
    ASSERT_TRUE(registry.Open(Write("fake.wav", bytes), sample));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"This File is NOT a wave file"});
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, false, false));
    EXPECT_EQ(sample.GetByteLength(), bytes.size());
}

TEST_F(SoundFileRegistryTest, UnopenableFilesSayCouldNotOpen) {
    // A missing file, and a folder given as a file.
    for (const std::string& path :
         {dir.File("none.wav"), dir.File("none.raw"), dir.Path().string()}) {
        messages.Clear();
        EXPECT_FALSE(registry.Open(path, sample)) << path;
        ASSERT_FALSE(messages.Texts().empty());
        EXPECT_EQ(messages.Texts().back(), "Couldn't open file");
        EXPECT_EQ(messages.Shown().back().title, MessageTitle::Application);
    }
}

TEST_F(SoundFileRegistryTest, RawFilesLoadAsElevenKiloHertzBytes) {
    const std::string path = Write("noise.bin", std::vector<uint8_t>(22050, 0x42));
    sample.SetFormat(44100, true, true);
    ASSERT_TRUE(registry.Open(path, sample));
    EXPECT_EQ(sample.GetFrameCount(), 22050u);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, false, false));
    std::string type, format, size;
    EXPECT_TRUE(registry.Describe(path, type, format, size));
    EXPECT_EQ(type, "Raw Binary");
    EXPECT_EQ(format, "Unknown");
    EXPECT_EQ(size, "22050 Bytes; 2.00 secs @ 11kHz mono");

    const std::string empty = Write("empty.raw", {});
    ASSERT_TRUE(registry.Open(empty, sample));
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_TRUE(sample.HasBlock());
}

TEST_F(SoundFileRegistryTest, SavingUnderAnUnknownExtensionWritesTheBytesAlone) {
    sample.SetFormat(44100, true, true);
    ASSERT_TRUE(sample.ResizeFrames(1000));
    for (uint32_t i = 0; i < 4000; ++i) sample.Data()[i] = static_cast<uint8_t>(i);
    const std::string path = dir.File("song.txt");
    ASSERT_TRUE(registry.Save(path, sample));
    EXPECT_EQ(ReadBytes(path).size(), 4000u);
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(back.GetFrameCount(), 4000u);
    EXPECT_EQ(back.Data()[3999], static_cast<uint8_t>(3999));
}

TEST_F(SoundFileRegistryTest, DescribeOfNothingIsEmpty) {
    std::string type = "x", format = "y", size = "z";
    EXPECT_TRUE(registry.Describe("", type, format, size));
    EXPECT_EQ(type + format + size, "");
    EXPECT_TRUE(registry.Describe(dir.File("missing.wav"), type, format, size));
    EXPECT_EQ(format, "Unknown");
}

TEST_F(SoundFileRegistryTest, OnlyTheSunNextEntryHasOptions) {
    for (int index : {0, 1, 3, 7, -1}) {
        messages.Clear();
        registry.ShowOptions(index, sample);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"This format has no options"})
            << index;
    }
}

TEST_F(SoundFileRegistryTest, StoredOptionsBelongToOneHandler) {
    SoundFileFormat& au = registry.Handler(SoundFileRegistry::kAu);
    SoundFileFormat& wav = registry.Handler(SoundFileRegistry::kWav);
    au.SetSample(&sample);
    wav.SetSample(&sample);
    au.StoreOptions(5);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 5u);
    EXPECT_EQ(au.GetStoredOptions(), 5);
    EXPECT_EQ(wav.GetStoredOptions(), 0);
}

TEST_F(SoundFileRegistryTest, LoadPathKeepsTheFolderWithItsSeparator) {
    EXPECT_EQ(FolderForLoadPath("C:\\SOUNDS\\A.WAV"), "C:\\SOUNDS\\");
    EXPECT_EQ(FolderForLoadPath("/home/u/a.wav"), "/home/u/");
    EXPECT_EQ(FolderForLoadPath("/a.wav"), "/a.wav");  // the first character is not searched
    EXPECT_EQ(FolderForLoadPath("a.wav"), "a.wav");
}

TEST_F(SoundFileRegistryTest, HeapRefusalIsReported) {
    const std::string path = Write("big.raw", std::vector<uint8_t>(5000, 1));
    SampleHeap::Instance().SetLimitForTesting(100);
    EXPECT_FALSE(ReadFileIntoSample(messages, sample, path, 0, 0));
    SampleHeap::Instance().ClearLimitForTesting();
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "Error manipulating memory!");
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
}

TEST_F(SoundFileRegistryTest, ReadFileIntoSampleTakesAWindowOfTheFile) {
    std::vector<uint8_t> bytes(100);
    for (int i = 0; i < 100; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    const std::string path = Write("window.raw", bytes);
    ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, 10, 5));
    EXPECT_EQ(sample.GetByteLength(), 5u);
    EXPECT_EQ(sample.Data()[0], 10);
    ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, 90, 0));
    EXPECT_EQ(sample.GetByteLength(), 10u);
    // Promised bytes past the end are not invented; an offset past the end reads nothing.
    ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, 95, 1000000));
    EXPECT_EQ(sample.GetByteLength(), 5u);
    ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, 500, 0));
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_FALSE(ReadFileIntoSample(messages, sample, dir.File("missing"), 0, 0));
}

TEST_F(SoundFileRegistryTest, BigEndianHelpers) {
    const std::string path = Write("be.bin", {0x80, 0x00, 0x00, 0x01, 0xFF, 0xFE, 0x12, 0x34});
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(FLT_rblong(file), static_cast<int32_t>(0x80000001u));
    EXPECT_EQ(FLT_rbshort(file), -2);
    EXPECT_EQ(FLT_rbshort(file), 0x1234);
    std::fclose(file);

    BinaryFile binary;
    ASSERT_TRUE(binary.Open(path, BinaryFile::Mode::Read));
    EXPECT_EQ(ReadLong(binary, false), 0x01000080u);
    EXPECT_EQ(ReadLong(binary, true), 0xFFFE1234u);

    // The shared byte-order helpers: each store is read back by its own load and reversed by the
    // other order's.
    uint8_t b[4];
    byteorder::Store32LE(b, 0x80FE0102u);
    EXPECT_EQ(byteorder::Load32LE(b), 0x80FE0102u);
    EXPECT_EQ(byteorder::Load32BE(b), 0x0201FE80u);
    byteorder::Store32BE(b, 0x80FE0102u);
    EXPECT_EQ(b[0], 0x80);
    EXPECT_EQ(byteorder::Load16BE(b), 0x80FEu);
    byteorder::Store16LE(b, 0xABCD);
    EXPECT_EQ(byteorder::Load16LE(b), 0xABCDu);
}

TEST_F(SoundFileRegistryTest, SizeLineOfTheInformationPanel) {
    struct Case {
        uint64_t bytes;
        double perSecond;
        const char* suffix;
        const char* text;
    };
    const Case cases[] = {
        {44100, 88200.0, "", "44100 Bytes; 0.50 secs"},
        {7, 0.0, "", "7 Bytes; inf secs"},                               // a header with no rate
        {3000000000u, 1.0, "", "3000000000 Bytes; 3000000000.00 secs"},  // never negative
        {11025, 11025.0, " @ 11kHz mono", "11025 Bytes; 1.00 secs @ 11kHz mono"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeSize(c.bytes, DurationSeconds(c.bytes, c.perSecond), c.suffix), c.text)
            << c.text;
    }
}

TEST_F(SoundFileRegistryTest, SavesKeepPermissionsAndRefuseFolders) {
    const std::string path = Write("perm.raw", {1});
    ::chmod(path.c_str(), 0640);
    sample.ResizeBytes(3);
    ASSERT_TRUE(registry.Save(path, sample));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_FALSE(registry.Save(dir.Path().string(), sample));
    EXPECT_FALSE(registry.Save(dir.File("no/such/folder/x.wav"), sample));
}

}  // namespace
