#include "core/fileformats/WavFileFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/RiffChunks.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

constexpr uint32_t kWave = FourCC("WAVE");
constexpr uint32_t kList = FourCC("LIST");
constexpr uint32_t kInfo = FourCC("INFO");
constexpr uint32_t kFmt = FourCC("fmt ");
constexpr uint32_t kData = FourCC("data");
constexpr uint32_t kInfoTags[kInfoCount] = {FourCC("IART"), FourCC("ICMT"), FourCC("ICOP"),
                                            FourCC("ICRD"), FourCC("INAM"), FourCC("ISFT")};

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;
// The sub-format GUID of an extensible record behind its first two bytes (the format code).
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr size_t kExtensibleSize = 40;

// The fmt chunk's record as far as it is read (at most the 40 bytes of an extensible one).
struct WaveFormatRecord {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    void Decode(const uint8_t* b) {
        auto u16 = [b](int at) { return byteorder::Load16LE(b + at); };
        auto u32 = [b](int at) { return byteorder::Load32LE(b + at); };
        formatTag = u16(0);
        channels = u16(2);
        samplesPerSec = u32(4);
        avgBytesPerSec = u32(8);
        blockAlign = u16(12);
        bitsPerSample = u16(14);
        extraSize = u16(16);
    }

    // The coding the data is in: the sub-format's code for an extensible record whose GUID is
    // one of the standard ones, else the format tag (0 for an unknown sub-format).
    static uint16_t Coding(const uint8_t* b, size_t size) {
        const auto tag = static_cast<uint16_t>(b[0] | (b[1] << 8));
        if (tag != kExtensible)
            return tag;
        if (size < kExtensibleSize || std::memcmp(b + 26, kGuidTail, sizeof kGuidTail) != 0)
            return 0;
        return static_cast<uint16_t>(b[24] | (b[25] << 8));
    }

    void Encode(uint8_t* b) const {
        auto put16 = [b](int at, uint16_t v) { byteorder::Store16LE(b + at, v); };
        auto put32 = [b](int at, uint32_t v) { byteorder::Store32LE(b + at, v); };
        put16(0, formatTag);
        put16(2, channels);
        put32(4, samplesPerSec);
        put32(8, avgBytesPerSec);
        put16(12, blockAlign);
        put16(14, bitsPerSample);
        put16(16, extraSize);
    }
};

// Where the search of a RIFF file got to; shared by Load and Describe.
enum class FmtResult { Ok, NoRiff, NoFmt, TooSmall, ReadFailed };

struct OpenedWave {
    RiffChunk riff;
    WaveFormatRecord format;
    uint16_t coding = 0;       // kPcm, kFloat or what the file says (see WaveFormatRecord)
    uint64_t afterFormat = 0;  // behind the whole format chunk and its pad byte
};

FmtResult ReadFormat(BinaryFile& file, OpenedWave& wave) {
    RiffReader reader(file);
    reader.SeekTo(0);
    if (!reader.FindRiff(kWave, wave.riff))
        return FmtResult::NoRiff;
    RiffChunk fmt;
    if (!reader.FindChunk(wave.riff, kFmt, fmt))
        return FmtResult::NoFmt;
    if (fmt.size < 16)
        return FmtResult::TooSmall;
    const size_t want = std::min<uint32_t>(fmt.size, kExtensibleSize);
    uint8_t bytes[kExtensibleSize] = {};
    if (!file.ReadExact(bytes, want))
        return FmtResult::ReadFailed;
    wave.format.Decode(bytes);
    wave.coding = WaveFormatRecord::Coding(bytes, want);
    // The data chunk is searched behind the format chunk as it declares itself: records of 20
    // or 40 bytes are as valid as the 16 and 18 of older files.
    wave.afterFormat = fmt.EndOffset();
    return FmtResult::Ok;
}

bool FindData(BinaryFile& file, const OpenedWave& wave, RiffChunk& data) {
    RiffReader reader(file);
    reader.SeekTo(wave.afterFormat);
    return reader.FindChunk(wave.riff, kData, data);
}

using InfoStrings = std::array<std::optional<std::string>, kInfoCount>;

// The tags the file has; the sound takes them only once the whole load has succeeded.
void ReadInfoStrings(BinaryFile& file, const RiffChunk& riff, InfoStrings& info) {
    RiffReader reader(file);
    reader.SeekTo(riff.dataOffset);
    RiffChunk list;
    if (!reader.FindChunk(riff, kList, list, kInfo))
        return;
    for (int index = 0; index < kInfoCount; ++index) {
        reader.SeekTo(list.dataOffset);
        RiffChunk tag;
        if (!reader.FindChunk(list, kInfoTags[index], tag))
            continue;
        // Never more than the file holds, whatever the chunk claims.
        const uint64_t available = file.Length() - std::min(file.Length(), tag.dataOffset);
        std::vector<char> text(static_cast<size_t>(std::min<uint64_t>(tag.size, available)));
        text.resize(file.Read(text.data(), text.size()));
        const auto zero = std::find(text.begin(), text.end(), '\0');
        info[static_cast<size_t>(index)] = std::string(text.begin(), zero);
    }
}

// The bytes of the data chunk that the file really holds: a chunk that claims more gives a
// shorter sound rather than a block of undefined bytes.
uint32_t AvailableDataSize(BinaryFile& file, const RiffChunk& data) {
    const uint64_t length = file.Length();
    const uint64_t available = length > data.dataOffset ? length - data.dataOffset : 0;
    return static_cast<uint32_t>(std::min<uint64_t>(data.size, available));
}

// How the data's values become the sound's: copied (8- and 16-bit PCM) or converted to 16-bit
// (wider integers and 32-bit floats, which recorders write and which would be noise as bytes).
enum class Decoding { Copy, Int24, Int32, Float32 };

// The decoding of the file's coding and width; none, with the text that names them, when the
// data cannot be loaded.
std::optional<Decoding> DecodingOf(const OpenedWave& wave, std::string& refused) {
    const uint16_t bits = wave.format.bitsPerSample;
    if (wave.coding == kPcm && (bits == 8 || bits == 16))
        return Decoding::Copy;
    if (wave.coding == kPcm && bits == 24)
        return Decoding::Int24;
    if (wave.coding == kPcm && bits == 32)
        return Decoding::Int32;
    if (wave.coding == kFloat && bits == 32)
        return Decoding::Float32;
    char text[96];
    if (wave.coding == kPcm || wave.coding == kFloat) {
        std::snprintf(text, sizeof text, "%u-bit %s", static_cast<unsigned>(bits),
                      wave.coding == kPcm ? "integer PCM" : "floating-point");
    } else if (wave.format.formatTag == kExtensible) {
        std::snprintf(text, sizeof text, "an unknown extensible sub-format");
    } else {
        std::snprintf(text, sizeof text, "format code 0x%04X", wave.format.formatTag);
    }
    refused = text;
    return std::nullopt;
}

int16_t ToInt16(Decoding decoding, const uint8_t* b) {
    switch (decoding) {
        case Decoding::Int24: {
            const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(b[0]) << 8 |
                                                   static_cast<uint32_t>(b[1]) << 16 |
                                                   static_cast<uint32_t>(b[2]) << 24) >>
                              8;
            return static_cast<int16_t>(std::min<int32_t>((v + 128) >> 8, INT16_MAX));
        }
        case Decoding::Int32: {
            const int64_t v = static_cast<int32_t>(b[0] | static_cast<uint32_t>(b[1]) << 8 |
                                                   static_cast<uint32_t>(b[2]) << 16 |
                                                   static_cast<uint32_t>(b[3]) << 24);
            return static_cast<int16_t>(std::min<int64_t>((v + 32768) >> 16, INT16_MAX));
        }
        case Decoding::Float32: {
            const uint32_t raw = b[0] | static_cast<uint32_t>(b[1]) << 8 |
                                 static_cast<uint32_t>(b[2]) << 16 |
                                 static_cast<uint32_t>(b[3]) << 24;
            float f = 0.0f;
            std::memcpy(&f, &raw, 4);
            if (!(f == f))
                return 0;  // NaN is silence
            f = std::clamp(f, -1.0f, 1.0f);
            return static_cast<int16_t>(std::clamp<long>(
                std::lround(static_cast<double>(f) * 32768.0), INT16_MIN, INT16_MAX));
        }
        case Decoding::Copy:
            break;
    }
    return 0;
}

size_t ValueBytes(Decoding decoding) {
    return decoding == Decoding::Int24 ? 3 : 4;
}

// Reads `values` values of the file into `out` as 16-bit ones, a piece at a time.
bool ReadConverted(BinaryFile& file, Decoding decoding, uint64_t values, uint8_t* out) {
    const size_t width = ValueBytes(decoding);
    std::vector<uint8_t> piece(width * 16384);
    for (uint64_t done = 0; done < values;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(values - done, 16384));
        if (!file.ReadExact(piece.data(), count * width))
            return false;
        for (size_t i = 0; i < count; ++i) {
            const int16_t v = ToInt16(decoding, piece.data() + i * width);
            out[2 * (done + i)] = static_cast<uint8_t>(v);
            out[2 * (done + i) + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
        }
        done += count;
    }
    return true;
}

// The bytes of the LIST chunk that Save writes, with its header.
uint64_t InfoListBytes(const SampleBuffer& sample) {
    uint64_t bytes = 12 + 8 + 14;  // LIST header and type, the software tag
    for (int index = 0; index < kInfoCount; ++index) {
        const uint64_t size = sample.Info(index).size() + 1;
        if (index != kInfoSoftware && size > 1)
            bytes += 8 + size + (size & 1);
    }
    return bytes;
}

}  // namespace

bool WavFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        m_messages.ShowMessage("Error - Couldn't open as Wave!");
        return false;
    }
    RiffReader reader(file);
    RiffChunk riff;
    if (!reader.FindRiff(kWave, riff)) {
        if (file.ReadFailed())
            return ReadFailure(path, file);
        m_messages.ShowMessage("This File is NOT a wave file");
        return false;
    }
    InfoStrings info;
    ReadInfoStrings(file, riff, info);

    OpenedWave wave;
    const FmtResult result = ReadFormat(file, wave);
    if (file.ReadFailed())
        return ReadFailure(path, file);
    switch (result) {
        case FmtResult::NoRiff:
            m_messages.ShowMessage("This File is NOT a wave file");
            return false;
        case FmtResult::NoFmt:
            m_messages.ShowMessage("Cannot find Format information");
            return false;
        case FmtResult::TooSmall:
            m_messages.ShowUntitledMessage("Format information too small");
            return false;
        case FmtResult::ReadFailed:
            m_messages.ShowTitledMessage("Error reading format information", "Error Opening Wave");
            return false;
        case FmtResult::Ok:
            break;
    }
    RiffChunk data;
    if (!FindData(file, wave, data)) {
        if (file.ReadFailed())
            return ReadFailure(path, file);
        m_messages.ShowMessage("Cannot find data information");
        return false;
    }
    std::string refused;
    const std::optional<Decoding> decoding = DecodingOf(wave, refused);
    if (!decoding) {
        m_messages.ShowMessage("Cannot load " + refused + " wave data");
        return false;
    }
    const uint32_t size = AvailableDataSize(file, data);
    const uint64_t values = *decoding == Decoding::Copy ? size : size / ValueBytes(*decoding);
    const uint64_t bytes = *decoding == Decoding::Copy ? size : 2 * values;
    uint8_t* block = AllocateLoadBlock(m_messages, path, bytes);
    if (block == nullptr)
        return false;
    const bool read = *decoding == Decoding::Copy ? file.ReadExact(block, size)
                                                  : ReadConverted(file, *decoding, values, block);
    // The file was measured when it was opened, so a short read is a failing disk or a file cut
    // under us: either way the load fails and the sound stays as it was.
    if (!read) {
        SampleHeap::Instance().Free(block);
        if (file.ReadFailed())
            return ReadFailure(path, file);
        SetFailure(path, "the file ended before its data");
        return false;
    }
    sample.AdoptBlock(block, static_cast<uint32_t>(bytes));
    sample.SetFormat(wave.format.samplesPerSec, wave.format.channels == 2,
                     *decoding != Decoding::Copy || wave.format.bitsPerSample == 16);
    for (int index = 0; index < kInfoCount; ++index) {
        if (info[static_cast<size_t>(index)])
            sample.SetInfo(index, *info[static_cast<size_t>(index)]);
    }
    return true;
}

bool WavFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    const SampleFormat& format = sample.FormatRef();
    // The record's bytes-per-second field is 32 bits: a rate whose byte rate does not fit would
    // be written wrapped.
    if (uint64_t{format.GetFrequency()} * format.GetBytesPerFrame() > UINT32_MAX) {
        SetFailure(path, "the sample rate is too high for a wave file");
        return false;
    }
    // Checked before anything is written: the RIFF size field counts every byte but its own 8.
    const uint64_t riffBytes = uint64_t{sample.GetByteLength()} + (sample.GetByteLength() & 1) +
                               InfoListBytes(sample) + 4 + 26 + 8;
    if (riffBytes > UINT32_MAX) {
        SetFailure(path, kFourGiBLimitText);
        return false;
    }
    SafeFileWriter writer(path);
    if (!writer.Open())
        return Finish(writer, false);
    return Finish(writer, WriteWave(writer.File(), sample));
}

bool WavFileFormat::WriteWave(BinaryFile& file, SampleBuffer& sample) {
    RiffWriter riffWriter(file);
    RiffChunk riff;
    RiffChunk list;
    if (!riffWriter.CreateChunk(FourCC("RIFF"), riff, kWave) ||
        !riffWriter.CreateChunk(kList, list, kInfo)) {
        return false;
    }
    sample.SetInfo(kInfoSoftware, kSoftwareText);
    for (int index = 0; index < kInfoCount; ++index) {
        const std::string& text = sample.Info(index);
        if (text.empty())
            continue;
        RiffChunk tag;
        if (!riffWriter.CreateChunk(kInfoTags[index], tag) ||
            !file.Write(text.c_str(), text.size() + 1) || !riffWriter.Ascend(tag)) {
            return false;
        }
    }
    if (!riffWriter.Ascend(list))
        return false;

    const SampleFormat& format = sample.FormatRef();
    WaveFormatRecord record;
    record.formatTag = 1;
    record.channels = static_cast<uint16_t>(format.GetChannels());
    record.samplesPerSec = format.GetFrequency();
    record.avgBytesPerSec = format.GetFrequency() * format.GetBytesPerFrame();
    record.blockAlign = static_cast<uint16_t>(format.GetBytesPerFrame());
    record.bitsPerSample = static_cast<uint16_t>(format.GetBits());
    uint8_t bytes[18];
    record.Encode(bytes);
    RiffChunk fmt;
    if (!riffWriter.CreateChunk(kFmt, fmt) || !file.Write(bytes, sizeof bytes) ||
        !riffWriter.Ascend(fmt)) {
        return false;
    }
    RiffChunk data;
    if (!riffWriter.CreateChunk(kData, data) ||
        (sample.GetByteLength() != 0 &&
         !file.Write(std::as_const(sample).Data(), sample.GetByteLength())) ||
        !riffWriter.Ascend(data) || !riffWriter.Ascend(riff)) {
        return false;
    }
    return true;
}

void WavFileFormat::AppendFilter(std::string& filter) const {
    filter += "Wave Files (*.wav)|*.wav|";
}

bool WavFileFormat::Describe(const std::string& path, std::string& fileType,
                             std::string& sampleFormat, std::string& size) {
    fileType = "Windows RIFF";
    sampleFormat = "Unknown";
    size = "Unknown";
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        return true;
    }
    OpenedWave wave;
    switch (ReadFormat(file, wave)) {
        case FmtResult::NoRiff:
            sampleFormat = "No WAVE Subchunk";
            return true;
        case FmtResult::NoFmt:
            m_messages.ShowMessage("No format information included");
            return true;
        case FmtResult::TooSmall:
            sampleFormat = "Format information too small";
            return true;
        case FmtResult::ReadFailed:
            sampleFormat = "Invalid format information";
            return true;
        case FmtResult::Ok:
            break;
    }
    RiffChunk data;
    if (!FindData(file, wave, data)) {
        m_messages.ShowMessage("Cannot find data information");
        return false;
    }
    SampleFormat described;
    described.SetFrequency(wave.format.samplesPerSec);
    described.SetBits(wave.format.bitsPerSample);
    described.SetChannels(wave.format.channels);
    sampleFormat = described.Describe();
    size = DescribeSize(data.size, DurationSeconds(data.size, wave.format.avgBytesPerSec));
    return true;
}
