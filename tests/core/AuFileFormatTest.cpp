#include <gtest/gtest.h>

#include <filesystem>

#include "core/effects/ULaw.h"
#include "core/fileformats/AuFileFormat.h"
#include "core/fileformats/AuSaveOptions.h"
#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

enum class Order { Big, Little };

std::vector<uint8_t> AuFile(const char magic[4], uint32_t headerSize, uint32_t encoding,
                            uint32_t rate, uint32_t channels, const std::vector<uint8_t>& data,
                            uint32_t dataSize = 0xFFFFFFFF) {
    const bool big = magic[0] == '.';
    std::vector<uint8_t> out(magic, magic + 4);
    for (uint32_t v :
         {headerSize, dataSize == 0xFFFFFFFF ? static_cast<uint32_t>(data.size()) : dataSize,
          encoding, rate, channels}) {
        big ? PutBE32(out, v) : Put32(out, v);
    }
    out.resize(headerSize > out.size() ? headerSize : out.size(), 0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

class AuFileFormatTest : public ::testing::Test {
protected:
    AuFileFormat& Handler() {
        return static_cast<AuFileFormat&>(registry.Handler(SoundFileRegistry::kAu));
    }
    std::string Write(const std::vector<uint8_t>& bytes, const std::string& name = "in.au") {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        return path;
    }
    void Describe(const std::string& path) {
        EXPECT_TRUE(registry.Describe(path, type, format, size));
    }

    TempDir dir;
    RecordingMessageSink messages;
    SoundFileRegistry registry{messages};
    SampleBuffer sample;
    std::string type, format, size;
};

TEST_F(AuFileFormatTest, SixteenBitInEitherByteOrder) {
    const std::string big =
        Write(AuFile(".snd", 24, 3, 44100, 2, {0x12, 0x34, 0xFF, 0xFE, 0x80, 0x00, 0x7F, 0xFF}));
    ASSERT_TRUE(Handler().Load(big, sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(44100, true, true));
    EXPECT_EQ(Values16(sample), (std::vector<int>{0x1234, -2, -32768, 32767}));
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 2u);
    Describe(big);
    EXPECT_EQ(type, "Sun Linear 16-Bit (Big-endian)");
    EXPECT_EQ(format, "44100 Hz 16-Bit Stereo");
    EXPECT_EQ(size, "8 Bytes; 0.00 secs");

    const char little[4] = {'d', 'n', 's', '.'};
    const std::string le = Write(AuFile(little, 28, 3, 8000, 1, {0x34, 0x12, 0x01}), "le.au");
    ASSERT_TRUE(Handler().Load(le, sample));
    EXPECT_EQ(sample.GetByteLength(), 3u);  // an odd trailing byte is kept as it is
    EXPECT_EQ(Values16(sample), (std::vector<int>{0x1234}));
    Describe(le);
    EXPECT_EQ(type, "Sun Linear 16-Bit (Little-endian)");
    const char oldBig[4] = {'.', 's', 'd', 0};
    const char oldLittle[4] = {0, 'd', 's', '.'};
    EXPECT_TRUE(Handler().Load(Write(AuFile(oldBig, 24, 2, 8000, 1, {0})), sample));
    EXPECT_TRUE(Handler().Load(Write(AuFile(oldLittle, 24, 2, 8000, 1, {0})), sample));
}

TEST_F(AuFileFormatTest, MuLawAndLinearEightBit) {
    std::vector<uint8_t> codes(8000);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(i);
    const std::string path = Write(AuFile(".snd", 24, 1, 8000, 1, codes));
    ASSERT_TRUE(Handler().Load(path, sample));
    EXPECT_EQ(sample.GetByteLength(), 16000u);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, true));
    EXPECT_EQ(Values16(sample)[0x80], 32124);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 1u);
    Describe(path);
    EXPECT_EQ(type, "Sun uLaw");
    EXPECT_EQ(size, "16000 Bytes; 1.00 secs");

    ASSERT_TRUE(Handler().Load(Write(AuFile(".snd", 24, 2, 11025, 1, {0x00, 0x7F, 0x80})), sample));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0xFF, 0x00}));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, false, false));
}

TEST_F(AuFileFormatTest, UnknownEncodingKeepsTheFormat) {
    sample.SetFormat(12345, true, true);
    const std::string path = Write(AuFile(".snd", 24, 27, 8000, 1, {1, 2, 3, 4}));
    ASSERT_TRUE(Handler().Load(path, sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(12345, true, true));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(sample.GetFormatOptions(), 3u << 16);
    Describe(path);
    EXPECT_EQ(type, "Sun ");
}

TEST_F(AuFileFormatTest, BrokenHeaders) {
    EXPECT_FALSE(Handler().Load(Write({'R', 'I', 'F', 'F', 0, 0}), sample));
    EXPECT_FALSE(Handler().Load(Write(AuFile(".snd", 20, 2, 8000, 1, {1})), sample));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Don't understand .au magic word!",
                                                          "Sun/NeXT header size too small."}));
    EXPECT_EQ(messages.Shown()[1].title, MessageTitle::Untitled);
    // Through the registry such files still open as raw data.
    EXPECT_TRUE(registry.Open(dir.File("in.au"), sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, false, false));
    // A header size beyond the file and a data size of 0xFFFFFFFF load what there is: nothing.
    auto bytes = AuFile(".snd", 24, 2, 8000, 1, {});
    bytes[7] = 0xFF;  // header size 255 in a 24-byte file
    bytes[8] = bytes[9] = bytes[10] = bytes[11] = 0xFF;
    ASSERT_TRUE(Handler().Load(Write(bytes), sample));
    EXPECT_EQ(sample.GetByteLength(), 0u);
    Describe(dir.File("missing.au"));
    EXPECT_EQ(type + format + size, "Sun UnknownUnknown");
}

TEST_F(AuFileFormatTest, DefaultSaveIsMuLawAndLeavesTheSound16Bit) {
    SetBytes(sample, kLayoutStereo8, {0x80, 0xFF, 0x00, 0x81}, 22050);
    const std::string path = dir.File("out.au");
    ASSERT_TRUE(registry.Save(path, sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(22050, true, true));
    const auto bytes = ReadBytes(path);
    std::vector<uint8_t> head = {'.', 's', 'n', 'd'};
    for (uint32_t v : {32u, 4u, 1u, 22050u, 2u, 0u, 0u}) PutBE32(head, v);
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 32), head);
    // 0x80 widens to 0, 0xFF to 32512, 0x00 to -32768, 0x81 to 256.
    const std::vector<uint8_t> codes = {ULawCompress(0), ULawCompress(32512), ULawCompress(-32768),
                                        ULawCompress(256)};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 32, bytes.end()), codes);
    // The sound in memory carries the quantisation of the round trip.
    std::vector<int> quantised;
    for (uint8_t c : codes) quantised.push_back(ULawExpand(c));
    EXPECT_EQ(Values16(sample), quantised);
    // Loading the file back gives exactly that sound, and saves again as mu-law.
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(Values16(back), quantised);
    ASSERT_TRUE(registry.Save(path, back));
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(AuFileFormatTest, ForcedMuLawIsEightKiloHertzMono) {
    // One second of sound, from a rate the converter could always take and from one above the
    // highest rate a sound is converted to.
    for (uint32_t rate : {44100u, 96000u}) {
        SetBytes(sample, kLayoutStereo16, std::vector<uint8_t>(size_t{rate} * 4, 0), rate);
        Handler().SetSample(&sample);
        Handler().StoreOptions(AuSaveOptions::kULaw | AuSaveOptions::kForce8k);
        const std::string path = dir.File("web.snd");
        ASSERT_TRUE(registry.Save(path, sample)) << rate;
        EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, true));
        const auto bytes = ReadBytes(path);
        EXPECT_EQ(bytes.size(), 32u + 8000) << rate;
        EXPECT_EQ(bytes[15], 1);     // encoding
        EXPECT_EQ(bytes[18], 0x1F);  // rate 8000 = 0x1F40
        EXPECT_EQ(bytes[23], 1);     // mono
    }
}

TEST_F(AuFileFormatTest, LinearSavesLeaveTheSoundAlone) {
    SetBytes(sample, kLayoutMono16, Le16({0x1234, -2}), 8000);
    Handler().SetSample(&sample);
    Handler().StoreOptions(AuSaveOptions::kLinear | AuSaveOptions::kForce8k);  // force ignored
    const std::string path = dir.File("lin.au");
    ASSERT_TRUE(registry.Save(path, sample));
    auto bytes = ReadBytes(path);
    EXPECT_EQ(bytes[15], 3);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 32, bytes.end()),
              (std::vector<uint8_t>{0x12, 0x34, 0xFF, 0xFE}));
    EXPECT_EQ(Values16(sample), (std::vector<int>{0x1234, -2}));
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(path, back));
    EXPECT_EQ(Values16(back), (std::vector<int>{0x1234, -2}));
    EXPECT_EQ(back.GetFormatOptions() & 0xFFFF, AuSaveOptions::kLinear);  // saves linear again

    SetBytes(sample, kLayoutMono8, {0x80, 0x00, 0xFF}, 8000);
    Handler().StoreOptions(AuSaveOptions::kLinear);
    ASSERT_TRUE(registry.Save(path, sample));
    bytes = ReadBytes(path);
    EXPECT_EQ(bytes[15], 2);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 32, bytes.end()),
              (std::vector<uint8_t>{0x00, 0x80, 0x7F}));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x00, 0xFF}));
}

TEST_F(AuFileFormatTest, MuLawSaveKeepsRatesTheConverterRefuses) {
    // A 96 kHz mu-law file loads at its own rate and must save as mu-law again at that rate.
    std::vector<uint8_t> codes = {0x00, 0x80, 0x70, 0x3C};
    const std::string path = Write(AuFile(".snd", 24, 1, 96000, 1, codes));
    ASSERT_TRUE(registry.Open(path, sample));
    ASSERT_TRUE(registry.Save(dir.File("again.au"), sample));
    const auto bytes = ReadBytes(dir.File("again.au"));
    ASSERT_EQ(bytes.size(), 32u + 4);
    EXPECT_EQ((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19], 96000);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 32, bytes.end()), codes);
    // An 8-bit sound at such a rate is widened without resampling.
    SetBytes(sample, kLayoutMono8, {0x80, 0xC0}, 96000);
    ASSERT_TRUE(registry.Save(dir.File("wide.au"), sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(96000, false, true));
    EXPECT_EQ(ReadBytes(dir.File("wide.au")).size(), 32u + 2);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(AuFileFormatTest, MuLawSaveNeverNeedsTheBlockToGrowBack) {
    // The heap allows exactly the 16-bit block: the codes are written from it and it is
    // quantised in place, so the sound stays 16-bit and whole however tight memory is.
    SetBytes(sample, kLayoutMono16, Le16({1000, -1000, 32767, -32768}), 8000);
    SampleHeap::Instance().SetLimitForTesting(8);
    const bool saved = registry.Save(dir.File("tight.au"), sample);
    SampleHeap::Instance().ClearLimitForTesting();
    ASSERT_TRUE(saved);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, true));
    std::vector<int> quantised;
    for (int v : {1000, -1000, 32767, -32768})
        quantised.push_back(ULawExpand(ULawCompress(static_cast<int16_t>(v))));
    EXPECT_EQ(Values16(sample), quantised);
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(dir.File("tight.au"), back));
    EXPECT_EQ(Values16(back), quantised);

    // An 8-bit sound that cannot be widened first is refused and left as it was.
    SetBytes(sample, kLayoutMono8, {0x80, 0x90, 0xA0}, 8000);
    SampleHeap::Instance().SetLimitForTesting(4);
    EXPECT_FALSE(registry.Save(dir.File("refused.au"), sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, false));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x90, 0xA0}));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error manipulating memory!"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("refused.au")));
}

TEST_F(AuFileFormatTest, MuLawLoadThatCannotGrowHoldsNoBlock) {
    const std::string path = Write(AuFile(".snd", 24, 1, 8000, 1, std::vector<uint8_t>(1000, 0)));
    SampleHeap::Instance().SetLimitForTesting(1500);
    EXPECT_FALSE(Handler().Load(path, sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_FALSE(sample.HasBlock());
    EXPECT_EQ(sample.GetByteLength(), 0u);
}

class FakePresenter : public AuOptionsPresenter {
public:
    bool Present(AuSaveOptions& options) override {
        seen = options;
        options = answer;
        return confirm;
    }
    AuSaveOptions seen;
    AuSaveOptions answer;
    bool confirm = true;
};

TEST_F(AuFileFormatTest, OptionsDialogRules) {
    EXPECT_EQ(AuSaveOptions::FromOptions(0).radioIndex, 0);
    EXPECT_FALSE(AuSaveOptions::FromOptions(0).forceTicked);
    const AuSaveOptions linearTicked = AuSaveOptions::FromOptions(6);
    EXPECT_EQ(linearTicked.radioIndex, 1);
    EXPECT_TRUE(linearTicked.forceTicked);  // the tick is kept while the box is disabled
    EXPECT_FALSE(linearTicked.ForceEnabled());
    EXPECT_EQ(linearTicked.ToOptions(), 6);
    EXPECT_EQ((AuSaveOptions{0, true}).ToOptions(), 5);

    FakePresenter presenter;
    SoundFileRegistry withDialog(messages, &presenter);
    Handler().SetSample(&sample);
    Handler().StoreOptions(5);
    presenter.answer = {1, false};
    withDialog.ShowOptions(SoundFileRegistry::kAu, sample);
    EXPECT_TRUE(presenter.seen.forceTicked);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 2u);
    presenter.confirm = false;
    presenter.answer = {0, true};
    withDialog.ShowOptions(SoundFileRegistry::kAu, sample);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 2u);  // Cancel changes nothing
    EXPECT_TRUE(messages.Shown().empty());
}

}  // namespace

namespace {

TEST_F(AuFileFormatTest, FailedMuLawSaveGivesTheSoundBackAndOddBytesAreDropped) {
    const std::string path = dir.File("out.au");
    sample.SetFormat(8000, false, false);
    ASSERT_TRUE(sample.ResizeBytes(1001));
    for (uint32_t i = 0; i < 1001; ++i) sample.Data()[i] = static_cast<uint8_t>(i * 5);
    const std::vector<uint8_t> before(sample.Data(), sample.Data() + 1001);
    for (uint64_t budget : {0ull, 40ull, 600ull}) {
        BinaryFile::FailWritesAfterForTesting(budget);
        EXPECT_FALSE(Handler().Save(path, sample)) << budget;
        BinaryFile::ClearWriteFailureForTesting();
        EXPECT_EQ(Handler().LastFailure(), path + ": No space left on device");
        EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, false));
        EXPECT_EQ(std::vector<uint8_t>(sample.Data(), sample.Data() + sample.GetByteLength()),
                  before);
    }
    // 16-bit, 1001 bytes: 500 values are written and the sound keeps those 1000 bytes.
    sample.SetFormat(8000, false, true);
    ASSERT_TRUE(Handler().Save(path, sample));
    EXPECT_EQ(sample.GetByteLength(), 1000u);
    EXPECT_EQ(ReadBytes(path).size(), 32u + 500);
}

}  // namespace
