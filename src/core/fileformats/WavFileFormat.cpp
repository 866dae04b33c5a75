#include "core/fileformats/WavFileFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/RiffChunks.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kWave = FourCC("WAVE");
constexpr uint32_t kList = FourCC("LIST");
constexpr uint32_t kInfo = FourCC("INFO");
constexpr uint32_t kFmt = FourCC("fmt ");
constexpr uint32_t kData = FourCC("data");
constexpr uint32_t kInfoTags[kInfoCount] = {FourCC("IART"), FourCC("ICMT"), FourCC("ICOP"),
                                            FourCC("ICRD"), FourCC("INAM"), FourCC("ISFT")};

// The fmt chunk's record as far as it is read (at most 18 bytes).
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
    uint64_t afterFormat = 0;  // just behind the format bytes read
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
    const size_t want = std::min<uint32_t>(fmt.size, 18);
    uint8_t bytes[18] = {};
    if (!file.ReadExact(bytes, want))
        return FmtResult::ReadFailed;
    wave.format.Decode(bytes);
    wave.afterFormat = fmt.dataOffset + want;
    return FmtResult::Ok;
}

bool FindData(BinaryFile& file, const OpenedWave& wave, RiffChunk& data) {
    RiffReader reader(file);
    reader.SeekTo(wave.afterFormat);
    return reader.FindChunk(wave.riff, kData, data);
}

void ReadInfoStrings(BinaryFile& file, const RiffChunk& riff, SampleBuffer& sample) {
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
        sample.SetInfo(index, std::string(text.begin(), zero));
    }
}

// The bytes of the data chunk that the file really holds: a chunk that claims more gives a
// shorter sound rather than a block of undefined bytes.
uint32_t AvailableDataSize(BinaryFile& file, const RiffChunk& data) {
    const uint64_t length = file.Length();
    const uint64_t available = length > data.dataOffset ? length - data.dataOffset : 0;
    return static_cast<uint32_t>(std::min<uint64_t>(data.size, available));
}

}  // namespace

bool WavFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        m_messages.ShowMessage("Error - Couldn't open as Wave!");
        return false;
    }
    RiffReader reader(file);
    RiffChunk riff;
    if (!reader.FindRiff(kWave, riff)) {
        m_messages.ShowMessage("This File is NOT a wave file");
        return false;
    }
    ReadInfoStrings(file, riff, sample);

    OpenedWave wave;
    switch (ReadFormat(file, wave)) {
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
        m_messages.ShowMessage("Cannot find data information");
        return false;
    }
    const uint32_t size = AvailableDataSize(file, data);
    if (!AllocateSampleData(size)) {
        return false;
    }
    const size_t got = file.Read(sample.Data(), size);
    if (got < size)
        sample.ResizeBytes(static_cast<uint32_t>(got));
    sample.SetFormat(wave.format.samplesPerSec, wave.format.channels == 2,
                     wave.format.bitsPerSample == 16);
    return true;
}

bool WavFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    SafeFileWriter writer(path);
    if (!writer.Open()) {
        return false;
    }
    BinaryFile& file = writer.File();
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
    return writer.Commit();
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
