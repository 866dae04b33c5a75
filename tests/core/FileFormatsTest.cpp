// The sound file handlers: every format saved and loaded back in every layout it can hold, the
// exact bytes of each kind of file, one table of broken files per format (bytes in, messages
// out), the registry that picks the handler, and the safe writer under every save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/effects/ULaw.h"
#include "core/fileformats/AuFileFormat.h"
#include "core/fileformats/AuSaveOptions.h"
#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/fileformats/VocFileFormat.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"
#include "support/WaveBytes.h"

namespace {

namespace fs = std::filesystem;
constexpr int kWav = SoundFileRegistry::kWav, kVoc = SoundFileRegistry::kVoc,
              kAu = SoundFileRegistry::kAu;

// A Sun/NeXT file: the magic decides the byte order of the five header words.
Bytes8 AuFile(const char magic[4], uint32_t headerSize, uint32_t encoding, uint32_t rate,
              uint32_t channels, const Bytes8& data, int64_t dataSize = -1) {
    Bytes8 out(magic, magic + 4);
    const uint32_t size = dataSize < 0 ? static_cast<uint32_t>(data.size()) : uint32_t(dataSize);
    for (uint32_t v : {headerSize, size, encoding, rate, channels})
        magic[0] == '.' ? PutBE32(out, v) : Put32(out, v);
    out.resize(std::max<size_t>(headerSize, out.size()), 0);
    return out + data;
}

// A Creative Voice file, block by block.
struct Voc {
    Bytes8 bytes;
    Voc() {
        const char* sig = "Creative Voice File\x1A";
        bytes.assign(sig, sig + 20);
        Put16(bytes, 26), Put16(bytes, 0x010A), Put16(bytes, 0x1129);
    }
    Voc& Block(uint8_t type, const Bytes8& contents, int64_t length = -1) {
        const auto n = static_cast<uint32_t>(length < 0 ? int64_t(contents.size()) : length);
        bytes = bytes + Bytes8{type, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16)} + contents;
        return *this;
    }
    Voc& Sound(uint8_t code, const Bytes8& data) { return Block(1, Bytes8{code, 0} + data); }
    Voc& Silence(uint16_t n, uint8_t code) { return Block(3, {uint8_t(n), uint8_t(n >> 8), code}); }
    Voc& Extended(uint16_t time, uint8_t mode, uint8_t packing = 0) {
        return Block(8, {uint8_t(time), uint8_t(time >> 8), packing, mode});
    }
    Voc& End() { return Block(0, {}); }
};

// A fmt chunk with this format tag; an extensible one (size 40) carries `subFormat`.
Bytes8 Fmt(uint16_t tag, uint16_t bits, uint32_t size = 16, uint16_t subFormat = 1,
           uint8_t guidByte = 0x10) {
    auto fmt = WaveBytes::FmtContents(1, 8000, bits, size);
    fmt[0] = uint8_t(tag), fmt[1] = uint8_t(tag >> 8);
    if (size >= 40) {
        const uint8_t tail[14] = {0, 0, 0, 0, guidByte, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        fmt[24] = static_cast<uint8_t>(subFormat);
        std::copy(tail, tail + 14, fmt.begin() + 26);
    }
    return WaveBytes::Chunk("fmt ", fmt);
}

Bytes8 Floats(std::initializer_list<float> values) {
    Bytes8 out(4 * values.size());
    std::memcpy(out.data(), values.begin(), out.size());
    return out;
}

class FileFormatsTest : public ::testing::Test {
protected:
    std::string Write(const Bytes8& bytes, const std::string& name = "in") {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    // Loads `bytes` through one handler: whether it loaded, and the messages it showed.
    std::pair<bool, Texts> Load(int position, const Bytes8& bytes) {
        messages.Clear();
        const bool loaded = registry.Handler(position).Load(Write(bytes), sample);
        return {loaded, messages.Texts()};
    }
    // The information panel's three lines, through one handler or the one the name chooses.
    std::string Describe(const std::string& path, int position = -1) {
        std::string type, format, size;
        if (position < 0)
            registry.Describe(path, type, format, size);
        else
            registry.Handler(position).Describe(path, type, format, size);
        return type + " | " + format + " | " + size;
    }
    SoundFileFormat& Au() {
        registry.Handler(kAu).SetSample(&sample);
        return registry.Handler(kAu);
    }

    TempDir dir;
    RecordingMessageSink messages;
    SoundFileRegistry registry{messages};
    SampleBuffer sample;
};

TEST_F(FileFormatsTest, EveryFormatLoadsBackWhatItSaved) {
    const Bytes8 bytes = RampBytes(4 * 301);
    for (const std::string name : {"a.wav", "a.voc", "a.au", "a.raw"}) {
        for (uint32_t layout : {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16}) {
            for (uint32_t rate : {8000u, 22050u, 44100u}) {
                SCOPED_TRACE(testing::Message() << name << " " << layout << " " << rate);
                SetBytes(sample, layout, bytes, rate);
                Au().StoreOptions(AuSaveOptions::kLinear);  // mu-law would quantise
                if (name == "a.voc" && (layout & 2) != 0) {
                    EXPECT_FALSE(registry.Save(dir.File(name), sample));  // 8-bit only
                    continue;
                }
                ASSERT_TRUE(registry.Save(dir.File(name), sample));
                EXPECT_EQ(Bytes(sample), bytes);  // saving changed nothing in memory
                SampleBuffer back;
                ASSERT_TRUE(registry.Open(dir.File(name), back));
                EXPECT_EQ(Bytes(back), bytes);
                const bool raw = name == "a.raw";  // 11025 Hz 8-bit mono bytes
                EXPECT_EQ(back.FormatRef().GetLayoutCode(), raw ? kLayoutMono8 : layout);
                // A voice file keeps its rate as a time constant: close, not always exact.
                EXPECT_NEAR(back.GetFrequency(), raw ? 11025 : rate,
                            name == "a.voc" ? rate / 1000 : 0);
            }
        }
    }
    EXPECT_EQ(
        messages.Texts(),
        Texts(6,
              ".VOC files only support 8-bit sample data. Convert the sample to 8-bit, then save"));
}

TEST_F(FileFormatsTest, SavedFilesHaveTheirExactBytes) {
    SetBytes(sample, kLayoutStereo16, RampBytes(9), 22050);  // odd: the data chunk gets a pad byte
    sample.SetInfo(kInfoName, "abc");                        // size 4: no pad
    sample.SetInfo(kInfoComments, "ab");                     // size 3: padded
    ASSERT_TRUE(registry.Save(dir.File("out.wav"), sample));
    EXPECT_EQ(sample.Info(kInfoSoftware), "Orvex v1.5.1");
    Bytes8 list = {'I', 'N', 'F', 'O'}, fmt;
    const Bytes8 isft = {'O', 'r', 'v', 'e', 'x', ' ', 'v', '1', '.', '5', '.', '1', 0};
    list = list + WaveBytes::Chunk("ICMT", {'a', 'b', 0}) +
           WaveBytes::Chunk("INAM", {'a', 'b', 'c', 0}) + WaveBytes::Chunk("ISFT", isft);
    for (uint32_t v : {0x00020001u, 22050u, 88200u, 0x00100004u}) Put32(fmt, v);
    Put16(fmt, 0);
    EXPECT_EQ(ReadBytes(dir.File("out.wav")),
              WaveBytes::Riff({WaveBytes::Chunk("LIST", list), WaveBytes::Chunk("fmt ", fmt),
                               WaveBytes::Chunk("data", RampBytes(9))}));
    SampleBuffer back;
    ASSERT_TRUE(registry.Open(dir.File("out.wav"), back));
    EXPECT_EQ(std::tuple(back.Info(kInfoName), back.Info(kInfoComments)), std::tuple("abc", "ab"));
    SetBytes(sample, kLayoutMono8, {5, 6, 7}, 22050);
    ASSERT_TRUE(registry.Save(dir.File("out.voc"), sample));
    EXPECT_EQ(ReadBytes(dir.File("out.voc")),
              Voc().Extended(53927, 0).Sound(211, {5, 6, 7}).End().bytes);
    // Sun/NeXT saves mu-law by default, from the sound widened to 16 bits; the sound in memory
    // keeps the quantisation, so loading the file gives exactly that sound.
    SetBytes(sample, kLayoutStereo8, {0x80, 0xFF, 0x00, 0x81}, 22050);
    ASSERT_TRUE(registry.Save(dir.File("out.au"), sample));
    const Bytes8 codes = {ULawCompress(0), ULawCompress(32512), ULawCompress(-32768),
                          ULawCompress(256)};
    EXPECT_EQ(ReadBytes(dir.File("out.au")), AuFile(".snd", 32, 1, 22050, 2, codes));
    std::vector<int> quantised;
    for (uint8_t c : codes) quantised.push_back(ULawExpand(c));
    EXPECT_EQ(Values16(sample), quantised);
    ASSERT_TRUE(registry.Open(dir.File("out.au"), back));
    EXPECT_EQ(Values16(back), quantised);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(FileFormatsTest, WaveFilesOfOtherWidthsAndChunksLoad) {
    // clang-format off
    const std::tuple<Bytes8, Bytes8, std::vector<int>> cases[] = {
        // Rounded to the nearest: -129 / 256 is -1; a stray byte is dropped.
        {Fmt(1, 24), {0xFF, 0xFF, 0x7F, 0, 0, 0x80, 0x80, 0, 0, 0x7F, 0xFF, 0xFF, 1},
         {32767, -32768, 1, -1}},
        {Fmt(1, 32), {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80, 0, 0x80, 0, 0, 0xFF, 0x7F, 0xFF, 0xFF},
         {32767, -32768, 1, -1}},
        {Fmt(3, 32), Floats({1.5f, -2, 0.5f, -0.25f, 0, std::nanf(""), 0.1f, -0.3f}),
         {32767, -32768, 16384, -8192, 0, 0, 3277, -9830}},
        {Fmt(0xFFFE, 32, 40, 3), Floats({-1.0f}), {-32768}},
        {Fmt(0xFFFE, 16, 40, 1), {0x34, 0x12}, {0x1234}},
        {Fmt(1, 16, 20), {0x34, 0x12}, {0x1234}},  // a longer fmt chunk
    };
    // clang-format on
    for (const auto& [fmt, data, values] : cases) {
        ASSERT_TRUE(Load(kWav, WaveBytes::Riff({fmt, WaveBytes::Chunk("data", data)})).first);
        EXPECT_EQ(std::tuple(sample.FormatRef(), Values16(sample)),
                  std::tuple(SampleFormat(8000, false, true), values));
    }
    // More values than the reader converts at a time.
    Bytes8 wide;
    std::vector<int> values;
    for (int v = -20000; v < 20000; ++v) {
        wide.insert(wide.end(), {0, uint8_t(v), uint8_t(v >> 8)});
        values.push_back(v);
    }
    ASSERT_TRUE(Load(kWav, WaveBytes::Riff({Fmt(1, 24), WaveBytes::Chunk("data", wide)})).first);
    EXPECT_EQ(Values16(sample), values);
    // Unknown chunks before and between, a LIST of information strings.
    const auto fmt = WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(2, 44100, 16));
    const Bytes8 info = Bytes8{'I', 'N', 'F', 'O'} +
                        WaveBytes::Chunk("INAM", {'B', 'e', 'l', 'l', 0, 'x', 'y'}) +
                        WaveBytes::Chunk("ICOP", {'(', 'c', ')'});
    sample.SetInfo(kInfoArtist, "kept");
    const std::string path = Write(
        WaveBytes::Riff({WaveBytes::Chunk("junk", RampBytes(3)), WaveBytes::Chunk("LIST", info),
                         fmt, WaveBytes::Chunk("fact", RampBytes(5)),
                         WaveBytes::Chunk("data", RampBytes(176400))}),
        "a.wav");
    ASSERT_TRUE(registry.Open(path, sample));
    EXPECT_EQ(Bytes(sample), RampBytes(176400));
    // The name ends at the first zero byte, an odd size is padded, missing tags keep their value.
    EXPECT_EQ(
        std::tuple(sample.Info(kInfoName), sample.Info(kInfoCopyright), sample.Info(kInfoArtist)),
        std::tuple("Bell", "(c)", "kept"));
    EXPECT_EQ(Describe(path), "Windows RIFF | 44100 Hz 16-Bit Stereo | 176400 Bytes; 1.00 secs");
    // A data chunk claiming 4 GiB - 1 with 10 bytes in the file: the sound is the 10 bytes, and
    // the size line prints the claim unsigned. A RIFF size past the end changes nothing.
    auto liar = WaveBytes::Riff({fmt, WaveBytes::Chunk("data", RampBytes(10), 0xFFFFFFFF)});
    EXPECT_EQ(Describe(Write(liar, "huge.wav"))
                  .rfind("Windows RIFF | 44100 Hz 16-Bit Stereo | 4294967295 Bytes;", 0),
              0u);
    std::fill(liar.begin() + 4, liar.begin() + 8, 0xFF);
    ASSERT_TRUE(Load(kWav, liar).first);
    EXPECT_EQ(Bytes(sample), RampBytes(10));
    sample.SetFormat(4294967295u, true, true);  // a byte rate past 32 bits cannot be saved
    EXPECT_FALSE(registry.Save(dir.File("fast.wav"), sample));
    EXPECT_FALSE(fs::exists(dir.File("fast.wav")));
    // With no texts but the software tag the headers take 72 bytes: 4 GiB - 74 of data is the
    // most a wave file holds; one odd byte more, padded, is refused before anything is written.
    // The block is mapped lazily and never touched: the writes fail at once.
    for (const auto& [bytes, why] : {std::pair(UINT32_MAX - 73, "No space left on device"),
                                     {UINT32_MAX - 72, kFourGiBLimitText}}) {
        SampleBuffer big;
        big.SetFormat(8000, false, false);
        ASSERT_TRUE(big.ResizeFrames(bytes));
        BinaryFile::FailWritesAfterForTesting(0);
        EXPECT_FALSE(registry.Save(dir.File("big.wav"), big));
        BinaryFile::ClearWriteFailureForTesting();
        EXPECT_EQ(registry.LastFailure(), dir.File("big.wav") + ": " + why);
    }
}

TEST_F(FileFormatsTest, BrokenFilesAreRefusedWithTheirMessages) {
    const auto fmt8 = WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8));
    const auto data4 = WaveBytes::Chunk("data", RampBytes(4));
    auto cut = WaveBytes::Riff({fmt8});
    cut.resize(cut.size() - 6);  // the format record is cut short
    Bytes8 shortVoc = Voc().bytes, wrongVoc = Voc().bytes, farChain = Voc().Sound(100, {1}).bytes;
    shortVoc.resize(12), wrongVoc[0] = 'c';
    farChain[20] = 0xFF, farChain[21] = 0x7F;  // the first block past the end of the file
    // A header size past the end of the file and a data size of all ones: what is there.
    Bytes8 beyond = AuFile(".snd", 24, 2, 8000, 1, {}, 0xFFFFFFFF);
    beyond[7] = 0xFF;
    const Texts noSound = {"Input .voc file had no sound!"};
    // clang-format off
    const std::tuple<int, Bytes8, bool, Texts> cases[] = {
        {kWav, {}, false, {"This File is NOT a wave file"}},
        {kWav, WaveBytes::Riff({}, "AVI "), false, {"This File is NOT a wave file"}},
        {kWav, WaveBytes::Riff({data4}), false, {"Cannot find Format information"}},
        {kWav,
         WaveBytes::Riff({WaveBytes::Chunk("fmt ", WaveBytes::FmtContents(1, 8000, 8, 14)), data4}),
         false, {"Format information too small"}},
        {kWav, WaveBytes::Riff({fmt8}), false, {"Cannot find data information"}},
        {kWav, cut, false, {"Error reading format information"}},
        {kWav, WaveBytes::Riff({Fmt(1, 12), data4}), false,
         {"Cannot load 12-bit integer PCM wave data"}},
        {kWav, WaveBytes::Riff({Fmt(3, 64), data4}), false,
         {"Cannot load 64-bit floating-point wave data"}},
        {kWav, WaveBytes::Riff({Fmt(2, 4), data4}), false,
         {"Cannot load format code 0x0002 wave data"}},
        {kWav, WaveBytes::Riff({Fmt(0xFFFE, 16, 40, 1, 0x11), data4}), false,
         {"Cannot load an unknown extensible sub-format wave data"}},
        {kAu, {'R', 'I', 'F', 'F', 0, 0}, false, {"Don't understand .au magic word!"}},
        {kAu, AuFile(".snd", 20, 2, 8000, 1, {1}), false, {"Sun/NeXT header size too small."}},
        {kAu, beyond, true, {}},
        {kVoc, shortVoc, false, {"Unexpected EOF in file"}},
        {kVoc, wrongVoc, false, {"VOC file header incorrect"}},
        {kVoc, farChain, false, noSound},
        {kVoc, Voc().Block(5, {'x', 0}).End().bytes, false, noSound},
        {kVoc, Voc().Sound(0, {1}).bytes, false, Texts{"Sample Rate appears to be 0"} + noSound},
        {kVoc, Voc().Silence(5, 0).bytes, false, Texts{"Silence sample rate is zero"} + noSound},
        // Warnings come once in each of the two passes. A second rate ends the pass; the sound
        // up to it is kept. The rate code is taken before the packing is refused.
        {kVoc, Voc().Sound(100, {1}).Sound(101, {2}).End().bytes, true,
         Texts(2, "Sample rate codes differ")},
        {kVoc, Voc().Block(1, {100, 1, 5}).bytes, true, Texts(2, "Can only interpret 8-bit data!")},
        {kVoc, Voc().Extended(1000, 0, 1).Sound(100, {1}).bytes, true,
         Texts(2, "Can only interpret 8-bit data (currently)!")},
    };
    // clang-format on
    for (const auto& [handler, bytes, loads, texts] : cases) {
        SetBytes(sample, kLayoutMono8, {1, 2, 3}, 11025);
        EXPECT_EQ(Load(handler, bytes), std::pair(loads, texts)) << handler << " " << bytes.size();
        EXPECT_TRUE(loads || (Bytes(sample) == Bytes8({1, 2, 3})));  // a refusal changes nothing
    }
    for (int handler : {kWav, kVoc, kAu})  // a file that is not there loads through no handler
        EXPECT_FALSE(registry.Handler(handler).Load(dir.File("missing"), sample)) << handler;
    EXPECT_EQ(Describe(Write(cut, "cut.wav")),
              "Windows RIFF | Invalid format information | Unknown");
    EXPECT_EQ(Describe(dir.File("missing.au")), "Sun  | Unknown | Unknown");
    EXPECT_EQ(Describe(dir.File("x.voc")), "Creative Voice File | Unknown | Unknown");
    // Through the registry a file its handler refuses opens as raw data after the message.
    messages.Clear();
    ASSERT_TRUE(registry.Open(Write(AuFile(".snd", 20, 2, 8000, 1, {1}), "x.au"), sample));
    EXPECT_EQ(messages.Texts(), Texts{"Sun/NeXT header size too small."});
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(11025, false, false));
}

TEST_F(FileFormatsTest, SunFilesLoadInEitherByteOrderAndEncoding) {
    const char little[4] = {'d', 'n', 's', '.'}, oldBig[4] = {'.', 's', 'd', 0},
               oldLittle[4] = {0, 'd', 's', '.'};
    Bytes8 expanded;  // 0x80 expands to 32124
    for (int i = 0; i < 8000; ++i) expanded = expanded + Le16({32124});
    // The file; the format, bytes and options word it loads as; the start of its description.
    // clang-format off
    const std::tuple<Bytes8, SampleFormat, Bytes8, uint32_t, std::string> cases[] = {
        {AuFile(".snd", 24, 3, 44100, 2, {0x12, 0x34, 0xFF, 0xFE, 0x80, 0x00, 0x7F, 0xFF}),
         SampleFormat(44100, true, true), Le16({0x1234, -2, -32768, 32767}), 2,
         "Sun Linear 16-Bit (Big-endian) | 44100 Hz 16-Bit Stereo | 8 Bytes; 0.00 secs"},
        {AuFile(little, 28, 3, 8000, 1, {0x34, 0x12, 0x01}), SampleFormat(8000, false, true),
         {0x34, 0x12, 0x01}, 2, "Sun Linear 16-Bit (Little-endian)"},  // a stray byte is kept
        {AuFile(".snd", 24, 1, 8000, 1, Bytes8(8000, 0x80)), SampleFormat(8000, false, true),
         expanded, 1, "Sun uLaw | 8000 Hz 16-Bit Mono | 16000 Bytes; 1.00 secs"},
        {AuFile(".snd", 24, 2, 11025, 1, {0x00, 0x7F, 0x80}), SampleFormat(11025, false, false),
         {0x80, 0xFF, 0x00}, 2, ""},
        {AuFile(oldBig, 24, 2, 8000, 1, {0}), SampleFormat(8000, false, false), {0x80}, 2, ""},
        {AuFile(oldLittle, 24, 2, 8000, 1, {0}), SampleFormat(8000, false, false), {0x80}, 2, ""},
        // An unknown encoding keeps the sound's format and the bytes as they are.
        {AuFile(".snd", 24, 27, 8000, 1, {1, 2, 3, 4}), SampleFormat(12345, true, true),
         {1, 2, 3, 4}, 0, "Sun "},
    };
    // clang-format on
    for (const auto& [file, format, bytes, options, type] : cases) {
        sample.SetFormat(12345, true, true);
        ASSERT_EQ(Load(kAu, file), std::pair(true, Texts{})) << type;
        EXPECT_EQ(std::tuple(sample.FormatRef(), Bytes(sample), sample.GetFormatOptions()),
                  std::tuple(format, bytes, (3u << 16) | options))
            << type;
        EXPECT_EQ(Describe(dir.File("in"), kAu).substr(0, type.size()), type);
    }
}

TEST_F(FileFormatsTest, SunSaveOptions) {
    // Forced mu-law is 8000 Hz mono, also from a rate above any the converter takes (the batch
    // tool's tests cover the ordinary rates and linear saves).
    SetBytes(sample, kLayoutStereo16, Bytes8(96000 * 4, 0), 96000);
    Au().StoreOptions(AuSaveOptions::kULaw | AuSaveOptions::kForce8k);
    ASSERT_TRUE(registry.Save(dir.File("web.snd"), sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, true));
    EXPECT_EQ(ReadBytes(dir.File("web.snd")), AuFile(".snd", 32, 1, 8000, 1, Bytes8(8000, 0xFF)));
    // A 96 kHz mu-law file saves as mu-law again at its own rate; 8-bit is widened, not resampled.
    const Bytes8 codes = {0x00, 0x80, 0x70, 0x3C};
    ASSERT_TRUE(registry.Open(Write(AuFile(".snd", 24, 1, 96000, 1, codes), "fast.au"), sample));
    ASSERT_TRUE(registry.Save(dir.File("again.au"), sample));
    EXPECT_EQ(ReadBytes(dir.File("again.au")), AuFile(".snd", 32, 1, 96000, 1, codes));
    SetBytes(sample, kLayoutMono8, {0x80, 0xC0}, 96000);
    ASSERT_TRUE(registry.Save(dir.File("wide.au"), sample));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(96000, false, true));
    EXPECT_EQ(ReadBytes(dir.File("wide.au")).size(), 32u + 2);
    // The heap allows exactly the 16-bit block: the codes are written from it and it is
    // quantised in place, so the sound stays 16-bit and whole however tight memory is.
    SetBytes(sample, kLayoutMono16, Le16({1000, -1000, 32767, -32768}), 8000);
    Au().StoreOptions(AuSaveOptions::kULaw);
    SampleHeap::Instance().SetLimitForTesting(8);
    EXPECT_TRUE(registry.Save(dir.File("tight.au"), sample));
    SampleHeap::Instance().SetLimitForTesting(4);
    // An 8-bit sound that cannot be widened first is refused and left as it was, and so is a
    // sound a mu-law load cannot grow.
    SetBytes(sample, kLayoutMono8, {0x80, 0x90, 0xA0}, 8000);
    EXPECT_FALSE(registry.Save(dir.File("refused.au"), sample));
    EXPECT_FALSE(Load(kAu, AuFile(".snd", 24, 1, 8000, 1, Bytes8(1000, 0))).first);
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(Bytes(sample), (Bytes8{0x80, 0x90, 0xA0}));
    EXPECT_FALSE(fs::exists(dir.File("refused.au")));
    ASSERT_TRUE(registry.Open(dir.File("tight.au"), sample));
    EXPECT_EQ(Values16(sample), (std::vector<int>{ULawExpand(ULawCompress(1000)),
                                                  ULawExpand(ULawCompress(-1000)), 32124, -32124}));
}

class FakePresenter : public AuOptionsPresenter {
public:
    bool Present(AuSaveOptions& options) override {
        seen = options;
        options = answer;
        return confirm;
    }
    AuSaveOptions seen, answer;
    bool confirm = true;
};

TEST_F(FileFormatsTest, SunOptionsDialogAndStoredOptions) {
    FakePresenter presenter;
    SoundFileRegistry withDialog(messages, &presenter);
    Au().StoreOptions(5);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 5u);  // the handler's id, then its word
    registry.Handler(kWav).SetSample(&sample);
    EXPECT_EQ(registry.Handler(kWav).GetStoredOptions(), 0);  // not another handler's options
    // The dialog shows the stored choice (the tick is kept while its box is disabled); OK stores
    // the answer, Cancel nothing.
    presenter.answer = {1, false};
    withDialog.ShowOptions(kAu, sample);
    EXPECT_EQ(std::tuple(presenter.seen.radioIndex, presenter.seen.forceTicked),
              std::tuple(0, true));
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 2u);
    presenter.confirm = false, presenter.answer = {1, true};
    withDialog.ShowOptions(kAu, sample);
    EXPECT_EQ(sample.GetFormatOptions(), (3u << 16) | 2u);
    EXPECT_TRUE(AuSaveOptions::FromOptions(6).forceTicked);
    EXPECT_EQ((AuSaveOptions{1, true}).ToOptions(), 6);
    EXPECT_TRUE(messages.Shown().empty());
    for (int index : {0, 1, 3, 7, -1}) registry.ShowOptions(index, sample);
    EXPECT_EQ(messages.Texts(), Texts(5, "This format has no options"));
}

TEST_F(FileFormatsTest, VoiceBlocksChainIntoOneSoundAndSavesTheirRates) {
    Voc chain = Voc().Sound(156, {1, 2}).Block(4, {7, 0}).Block(5, {'h', 'i', 0}).Silence(3, 156);
    chain.Block(2, {9}).Silence(4, 56).Block(6, {2, 0}).Block(42, {1, 2, 3}).Block(42, {}).End();
    // clang-format off
    const std::tuple<Voc, SampleFormat, Bytes8, Texts> cases[] = {
        {Voc().Sound(211, {1, 2, 3}).End(), SampleFormat(22222, false, false), {1, 2, 3}, {}},
        {Voc().Extended(53927, 0).Sound(211, {1, 2}).End(), SampleFormat(22051, false, false),
         {1, 2}, {}},
        {Voc().Extended(53927, 1).Sound(211, {1, 2}).End(), SampleFormat(11025, true, false),
         {1, 2}, {}},
        // Markers, texts and repeats are skipped; silence at the file's rate and at another
        // (4 * 200 / 100 = 8 bytes); a continuation block adds its bytes.
        {chain, SampleFormat(10000, false, false),
         Bytes8{1, 2, 0x80, 0x80, 0x80, 9} + Bytes8(8, 0x80),
         Texts(2, "Skipping unknown block code")},
        // A sound block promising 16 MB holds 3 bytes and no terminator follows.
        {Voc().Block(1, {100, 0, 1, 2, 3}, 0xFFFFFF), SampleFormat(6410, false, false), {1, 2, 3},
         {}},
        {Voc().Block(1, {100, 0}, 1).End(), SampleFormat(6410, false, false), {}, {}},  // no data
    };
    // clang-format on
    for (const auto& [voc, format, bytes, texts] : cases) {
        EXPECT_EQ(Load(kVoc, voc.bytes), std::pair(true, texts));
        EXPECT_EQ(std::tuple(sample.FormatRef(), Bytes(sample)), std::tuple(format, bytes));
    }
    // 1000000 / 3900 = 256 and 1000000 / 1953 = 512: kept to 8 bits the code would be 0.
    // 4000 Hz gives the ordinary code 6; above 1 MHz the quotient is 0 and the code 256.
    const std::tuple<uint32_t, uint32_t, uint8_t> rates[] = {{3900, kLayoutMono8, 1},
                                                             {1953, kLayoutMono8, 1},
                                                             {4000, kLayoutMono8, 6},
                                                             {2000000, kLayoutStereo8, 1}};
    SampleBuffer back;
    for (const auto& [rate, layout, code] : rates) {
        SetBytes(sample, layout, {9, 8}, rate);
        ASSERT_TRUE(registry.Save(dir.File("rate.voc"), sample)) << rate;
        EXPECT_EQ(ReadBytes(dir.File("rate.voc"))[26 + 8 + 4], code) << rate;
        ASSERT_TRUE(registry.Open(dir.File("rate.voc"), back)) << rate;
        EXPECT_EQ(Bytes(back), (Bytes8{9, 8})) << rate;
    }
    // A sound longer than one block continues in further blocks.
    const Bytes8 big = RampBytes(VocFileFormat::kMaxFirstBlockData + 1000, 31);
    SetBytes(sample, kLayoutMono8, big, 8000);
    ASSERT_TRUE(registry.Save(dir.File("long.voc"), sample));
    ASSERT_TRUE(registry.Open(dir.File("long.voc"), back));
    EXPECT_EQ(Bytes(back), big);
    EXPECT_TRUE(messages.Shown().empty());
    // Silence blocks may describe far more than the file holds: refused before allocating.
    Voc silent;
    silent.Silence(0xFFFF, 0x83).Silence(0xFFFF, 0x83).Silence(0xFFFF, 0x83);
    SetLoadSizeLimitForTesting(100000);
    const auto refused = Load(kVoc, silent.bytes);
    SetLoadSizeLimitForTesting(0);
    ASSERT_EQ(refused.second.size(), 1u);
    EXPECT_NE(refused.second[0].find("is too large to load"), std::string::npos);
    EXPECT_EQ(sample.GetByteLength(), big.size());
    SetLoadSizeLimitForTesting(3u * 0xFFFF);  // a sound of exactly the limit still loads
    EXPECT_TRUE(Load(kVoc, silent.bytes).first);
    SetLoadSizeLimitForTesting(0);
    EXPECT_EQ(sample.GetByteLength(), 3u * 0xFFFF);
}

TEST_F(FileFormatsTest, FailedWritesAndReadsLeaveFileAndSoundAsTheyWere) {
    for (const std::string name : {"keep.wav", "keep.voc", "keep.au", "keep.raw"}) {
        const std::string path = Write({1, 2, 3, 4}, name);
        SetBytes(sample, kLayoutMono8, RampBytes(100001), 8000);  // mu-law widens it to save
        for (uint64_t budget : {0ull, 10ull, 40ull, 5000ull, 99000ull}) {
            BinaryFile::FailWritesAfterForTesting(budget);
            EXPECT_FALSE(registry.Save(path, sample)) << name << budget;
            BinaryFile::ClearWriteFailureForTesting();
            EXPECT_EQ(std::tuple(registry.LastFailure(), ReadBytes(path)),
                      std::tuple(path + ": No space left on device", Bytes8{1, 2, 3, 4}));
            EXPECT_EQ(std::tuple(Bytes(sample), sample.FormatRef().GetLayoutCode()),
                      std::tuple(RampBytes(100001), uint32_t{kLayoutMono8}))
                << name << budget;
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 4);  // no temporaries
    sample.SetFormat(8000, false, true);  // 16-bit, 100001 bytes: the odd byte is dropped
    ASSERT_TRUE(registry.Save(dir.File("keep.au"), sample));
    EXPECT_EQ(std::tuple(sample.GetByteLength(), ReadBytes(dir.File("keep.au")).size()),
              std::tuple(100000u, 50032ul));
    for (const std::string name : {"ok.wav", "ok.au", "ok.voc", "ok.raw"}) {
        SetBytes(sample, kLayoutMono8, RampBytes(5000), 8000);
        Au().StoreOptions(AuSaveOptions::kLinear);
        ASSERT_TRUE(registry.Save(dir.File(name), sample));
        sample.SetFormat(22050, true, true);
        sample.SetInfo(kInfoName, "mine");
        for (uint64_t budget : {0ull, 20ull, 200ull}) {
            BinaryFile::FailReadsAfterForTesting(budget);
            EXPECT_FALSE(registry.Open(dir.File(name), sample)) << name << budget;
            BinaryFile::ClearReadFailureForTesting();
            EXPECT_EQ(
                std::tuple(registry.LastFailure(), sample.FormatRef(), sample.Info(kInfoName)),
                std::tuple(dir.File(name) + ": Input/output error", SampleFormat(22050, true, true),
                           "mine"))
                << name;
        }
    }
}

TEST_F(FileFormatsTest, RegistryChoosesByExtensionAndKeepsItsIds) {
    const std::pair<int, std::vector<const char*>> names[] = {
        {kVoc, {"voice.voc", "VOICE.VOC", "a.Voc", "/dir.wav/x.voc"}},
        {kAu, {"x.au", "x.AU", "x.snd", ".au"}},
        {kWav, {"x.wav", "X.WAV", ".wav"}},
        {SoundFileRegistry::kRaw, {"x.wave", "x.aiff", "x", "", "au", "wav", "x.wav.txt"}},
    };
    for (const auto& [expected, list] : names) {
        for (const char* name : list)
            EXPECT_EQ(&registry.HandlerForName(name), &registry.Handler(expected)) << name;
    }
    // Another registry and a handler made alone keep the same ids, so an options word stored
    // through one is read back through another.
    SoundFileRegistry second(messages);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(second.Handler(int(i)).GetId(), i + 1);
    EXPECT_EQ(AuFileFormat(messages).GetId(), registry.Handler(kAu).GetId());
    EXPECT_EQ(registry.OpenFilter().substr(0, 45) + registry.SaveFilter(), registry.OpenFilter());
    // A rejected file opening as raw bytes, files that cannot be opened and the size line of
    // raw data are the batch tool's and the editor window's tests.
    EXPECT_EQ(Describe(""), " |  | ");
    std::string type, format, size;  // a file that cannot be read still describes its type
    EXPECT_TRUE(
        registry.Handler(SoundFileRegistry::kRaw).Describe(dir.File("none"), type, format, size));
    ASSERT_TRUE(registry.Open(Write({}, "empty.raw"), sample));
    EXPECT_EQ(std::tuple(sample.HasBlock(), sample.GetByteLength()), std::tuple(true, 0u));
}

TEST_F(FileFormatsTest, FileHelpers) {
    const std::string path = Write(RampBytes(100, 1, 0), "window.raw");
    ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, 10, 5));
    EXPECT_EQ(Bytes(sample), RampBytes(5, 1, 10));
    // Promised bytes past the end are not invented; an offset past the end reads nothing.
    for (auto [offset, length, got] :
         {std::tuple(90u, 0u, 10u), std::tuple(95u, 1000000u, 5u), std::tuple(500u, 0u, 0u)}) {
        ASSERT_TRUE(ReadFileIntoSample(messages, sample, path, offset, length));
        EXPECT_EQ(sample.GetByteLength(), got) << offset;
    }
    EXPECT_FALSE(ReadFileIntoSample(messages, sample, dir.File("missing"), 0, 0));
    EXPECT_TRUE(messages.Shown().empty());
    SampleHeap::Instance().SetLimitForTesting(50);
    EXPECT_FALSE(ReadFileIntoSample(messages, sample, path, 0, 0));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(messages.Texts(), Texts{"Error manipulating memory!"});
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
    // The first character is not searched for a separator.
    EXPECT_EQ(std::tuple(FolderForLoadPath("C:\\S\\A.WAV"), FolderForLoadPath("/h/a.wav"),
                         FolderForLoadPath("/a.wav"), FolderForLoadPath("a.wav")),
              std::tuple("C:\\S\\", "/h/", "/a.wav", "a.wav"));
    EXPECT_EQ(DescribeSize(7, DurationSeconds(7, 0.0)), "7 Bytes; inf secs");  // no rate
    // The exported readers take big-endian values one after another.
    std::FILE* file = std::fopen(Write({0x12, 0x34, 0xFF, 0xFE, 0x80, 0, 0, 1}).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    const int32_t first = FLT_rbshort(file), second = FLT_rbshort(file);
    EXPECT_EQ(std::tuple(first, second, FLT_rblong(file)), std::tuple(0x1234, -2, -0x7FFFFFFF));
    std::fclose(file);
}

// The writer under every save: the old file survives anything short of a successful commit.
TEST_F(FileFormatsTest, SafeWriterReplacesOnlyOnCommit) {
    // Writes `bytes` and commits them, or leaves the writer unfinished when `commit` is false.
    auto save = [](const std::string& path, const Bytes8& bytes, bool commit = true) {
        SafeFileWriter writer(path);
        const bool wrote = writer.Open() && writer.File().Write(bytes.data(), bytes.size());
        const bool done = wrote && commit && writer.Commit();
        if (!done && commit)
            writer.Abandon();
        return std::pair(done, writer.Failure());
    };
    const std::string target = Write({1, 2, 3}, "target");
    ::chmod(target.c_str(), 0640);
    EXPECT_EQ(save(target, {4, 5}, false), std::pair(false, std::string()));
    BinaryFile::FailWritesAfterForTesting(1);
    EXPECT_EQ(save(target, {4, 5}), std::pair(false, target + ": No space left on device"));
    BinaryFile::ClearWriteFailureForTesting();
    EXPECT_EQ(ReadBytes(target), (Bytes8{1, 2, 3}));
    EXPECT_EQ(save(target, {4, 5}), std::pair(true, std::string()));
    EXPECT_EQ(ReadBytes(target), (Bytes8{4, 5}));
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the permissions of the file it replaced
    // A file without write permission is refused untouched (links, folders and the rest of
    // what a save may meet are the batch tool's tests).
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(save(target, {9}), std::pair(false, target + ": Permission denied"));
    EXPECT_EQ(ReadBytes(target), (Bytes8{4, 5}));
    // A temporary left by a save that was killed is cleared by the next save beside it; one
    // whose save still runs (it holds the temporary's lock) and other names stay.
    const std::string prefix = dir.File(SafeFileWriter::TemporaryPrefix("new"));
    const std::string stale = prefix + "abcdef", running = prefix + "ABCDEF",
                      other = prefix + "abcdefg";
    for (const auto& path : {stale, running, other}) WriteBytes(path, {0});
    const int lock = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    EXPECT_TRUE(save(dir.File("new"), {8}).first);
    ::close(lock);
    EXPECT_EQ(ReadBytes(dir.File("new")), Bytes8{8});
    EXPECT_TRUE(!fs::exists(stale) && fs::exists(running) && fs::exists(other));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 4);
}

}  // namespace
