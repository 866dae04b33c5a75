#include "core/fileformats/AuFileFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "core/effects/Convert.h"
#include "core/effects/ULaw.h"
#include "core/fileformats/AuSaveOptions.h"
#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

enum Encoding : uint32_t { kULawEncoding = 1, kLinear8 = 2, kLinear16 = 3 };

struct AuHeader {
    bool bigEndian = true;
    uint32_t headerSize = 0;
    uint32_t dataSize = 0;
    uint32_t encoding = 0;
    uint32_t rate = 0;
    uint32_t channels = 0;
};

enum class HeaderResult { Ok, CannotOpen, BadMagic, TooSmall, ReadFailed };

HeaderResult ReadHeader(const std::string& path, AuHeader& header) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read))
        return HeaderResult::CannotOpen;
    uint8_t magic[4] = {0, 0, 0, 0};
    file.Read(magic, 4);
    if (file.ReadFailed())
        return HeaderResult::ReadFailed;
    if (std::memcmp(magic, ".snd", 4) == 0 || std::memcmp(magic, ".sd\0", 4) == 0) {
        header.bigEndian = true;
    } else if (std::memcmp(magic, "dns.", 4) == 0 || std::memcmp(magic, "\0ds.", 4) == 0) {
        header.bigEndian = false;
    } else {
        return HeaderResult::BadMagic;
    }
    // ReadLong reads the numbers big-endian when the magic word is.
    header.headerSize = ReadLong(file, header.bigEndian);
    if (header.headerSize < 24)
        return HeaderResult::TooSmall;
    header.dataSize = ReadLong(file, header.bigEndian);
    header.encoding = ReadLong(file, header.bigEndian);
    header.rate = ReadLong(file, header.bigEndian);
    header.channels = ReadLong(file, header.bigEndian);
    return file.ReadFailed() ? HeaderResult::ReadFailed : HeaderResult::Ok;
}

void SwapPairs(uint8_t* data, uint32_t length) {
    for (uint32_t i = 0; i + 1 < length; i += 2) std::swap(data[i], data[i + 1]);
}

void AddToBytes(uint8_t* data, uint32_t length, uint8_t add) {
    for (uint32_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(data[i] + add);
}

// Writes the sound's bytes as the encoding stores them, through a small buffer so that the
// sound in memory is never changed by the writing itself.
void WriteData(BinaryFile& file, const SampleBuffer& sample, uint32_t encoding) {
    const uint8_t* data = sample.Data();
    const uint32_t length = sample.GetByteLength();
    std::vector<uint8_t> chunk(1 << 16);
    for (uint32_t done = 0; done < length;) {
        const uint32_t piece =
            std::min<uint32_t>(length - done, static_cast<uint32_t>(chunk.size()));
        std::memcpy(chunk.data(), data + done, piece);
        if (encoding == kLinear16)
            SwapPairs(chunk.data(), piece);
        if (encoding == kLinear8)
            AddToBytes(chunk.data(), piece, 128);
        file.Write(chunk.data(), piece);
        done += piece;
    }
}

void WriteHeader(BinaryFile& file, const SampleBuffer& sample, uint32_t encoding,
                 uint32_t dataSize) {
    std::vector<uint8_t> head;
    byteorder::Append32BE(head, 0x2E736E64);  // ".snd"
    byteorder::Append32BE(head, 32);
    byteorder::Append32BE(head, dataSize);
    byteorder::Append32BE(head, encoding);
    byteorder::Append32BE(head, sample.GetFrequency());
    byteorder::Append32BE(head, sample.GetChannels());
    head.resize(32, 0);
    file.Write(head.data(), head.size());
}

// Makes the sound 16-bit (at 8000 Hz mono when the options force it).
bool PrepareULaw(MessageSink& messages, SampleBuffer& sample, uint16_t options) {
    if ((options & AuSaveOptions::kForce8k) != 0)
        return ChangeFormat(messages, sample, SampleFormat(8000, false, true));
    // Only the sample size changes; the rate is kept as it is, so a sound at a rate the rate
    // converter refuses (above 50000 Hz, or 0) still saves as mu-law.
    const SampleFormat target(sample.GetFrequency(), sample.FormatRef().IsStereo(), true);
    return ConvertLayout(messages, sample, sample.FormatRef().GetLayoutCode(),
                         target.GetLayoutCode());
}

// Each value is written as its code and replaced in memory by the code's expansion: the sound
// ends 16-bit with the quantisation of the round trip. An odd last byte is no value: the header
// does not count it, and the sound drops it too.
bool WriteULaw(BinaryFile& file, SampleBuffer& sample) {
    const uint32_t values = sample.GetByteLength() / 2;
    WriteHeader(file, sample, kULawEncoding, values);
    uint8_t* data = sample.Data();
    std::vector<uint8_t> codes(1 << 16);
    for (uint32_t done = 0; done < values;) {
        const uint32_t piece =
            std::min<uint32_t>(values - done, static_cast<uint32_t>(codes.size()));
        for (uint32_t i = 0; i < piece; ++i) {
            uint8_t* value = data + 2 * (size_t{done} + i);
            codes[i] = ULawCompress(frames::Load16(value));
            frames::Store16(value, ULawExpand(codes[i]));
        }
        file.Write(codes.data(), piece);
        done += piece;
    }
    if (sample.GetByteLength() != values * 2 && !sample.ResizeBytes(values * 2))
        sample.SetByteLength(values * 2);
    return !file.Failed();
}

// A copy of a sound's bytes and format, to put it back after a failed save.
class SoundBackup {
public:
    ~SoundBackup() { SampleHeap::Instance().Free(m_block); }
    bool Take(const SampleBuffer& sample) {
        m_format = sample.FormatRef();
        m_length = sample.GetByteLength();
        m_block = SampleHeap::Instance().Allocate(m_length);
        if (m_block != nullptr && m_length != 0)
            std::memcpy(m_block, sample.Data(), m_length);
        return m_block != nullptr;
    }
    void Restore(SampleBuffer& sample) {
        sample.AdoptBlock(m_block, m_length);
        sample.SetFormat(m_format);
        m_block = nullptr;
    }

private:
    uint8_t* m_block = nullptr;
    uint32_t m_length = 0;
    SampleFormat m_format;
};

}  // namespace

bool AuFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    AuHeader header;
    switch (ReadHeader(path, header)) {
        case HeaderResult::CannotOpen:
            return false;
        case HeaderResult::ReadFailed:
            SetFailure(path, std::strerror(EIO));
            return false;
        case HeaderResult::BadMagic:
            m_messages.ShowUntitledMessage("Don't understand .au magic word!");
            return false;
        case HeaderResult::TooSmall:
            m_messages.ShowUntitledMessage("Sun/NeXT header size too small.");
            return false;
        case HeaderResult::Ok:
            break;
    }
    std::string failure;
    uint32_t length = 0;
    uint8_t* block = ReadFileBlock(m_messages, path, header.headerSize, 0, length, &failure);
    if (block == nullptr) {
        SetFailure(failure);
        return false;
    }
    // Everything is decoded in the new block; the sound changes only once it is complete.
    SampleFormat format = sample.FormatRef();
    const bool stereo = header.channels != 1;
    uint16_t options = 0;
    switch (header.encoding) {
        case kULawEncoding: {
            uint8_t* wide = AllocateLoadBlock(m_messages, path, uint64_t{length} * 2);
            if (wide == nullptr) {
                SampleHeap::Instance().Free(block);
                return false;
            }
            for (uint32_t i = 0; i < length; ++i)
                frames::Store16(wide + 2 * size_t{i}, ULawExpand(block[i]));
            SampleHeap::Instance().Free(block);
            block = wide;
            length *= 2;
            format = SampleFormat(header.rate, stereo, true);
            options = AuSaveOptions::kULaw;
            break;
        }
        case kLinear8:
            AddToBytes(block, length, 128);
            format = SampleFormat(header.rate, stereo, false);
            options = AuSaveOptions::kLinear;
            break;
        case kLinear16:
            if (header.bigEndian)
                SwapPairs(block, length);
            format = SampleFormat(header.rate, stereo, true);
            options = AuSaveOptions::kLinear;
            break;
        default:
            break;  // the bytes load unchanged into the sound's current format
    }
    sample.AdoptBlock(block, length);
    sample.SetFormat(format);
    StoreOptions(options);
    return true;
}

bool AuFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    SafeFileWriter writer(path);
    if (!writer.Open())
        return Finish(writer, false);
    const uint16_t options = GetStoredOptions();
    if ((options & AuSaveOptions::kLinear) != 0) {
        const uint32_t encoding = sample.FormatRef().Is16Bit() ? kLinear16 : kLinear8;
        WriteHeader(writer.File(), sample, encoding, sample.GetByteLength());
        WriteData(writer.File(), sample, encoding);
        return Finish(writer, !writer.File().Failed());
    }
    // The mu-law save changes the sound in memory (to 16-bit with the round trip's values); a
    // save that fails puts it back exactly as it was, so it keeps a copy until the end.
    SoundBackup backup;
    if (!backup.Take(sample)) {
        m_messages.ShowMessage("Error manipulating memory!");
        return Finish(writer, false);
    }
    if (PrepareULaw(m_messages, sample, options) && Finish(writer, WriteULaw(writer.File(), sample)))
        return true;
    Finish(writer, false);
    backup.Restore(sample);
    return false;
}

void AuFileFormat::AppendFilter(std::string& filter) const {
    filter += "Sun/NeXT (.au;.snd)|*.au;*.snd|";
}

bool AuFileFormat::Describe(const std::string& path, std::string& fileType,
                            std::string& sampleFormat, std::string& size) {
    fileType = "Sun ";
    sampleFormat = "Unknown";
    size = "Unknown";
    AuHeader header;
    if (ReadHeader(path, header) != HeaderResult::Ok)
        return true;
    switch (header.encoding) {
        case kULawEncoding:
            fileType += "uLaw";
            break;
        case kLinear8:
            fileType += "Linear 8-Bit";
            break;
        case kLinear16:
            fileType +=
                header.bigEndian ? "Linear 16-Bit (Big-endian)" : "Linear 16-Bit (Little-endian)";
            break;
        default:
            break;
    }
    const SampleFormat format(header.rate, header.channels == 2, header.encoding != kLinear8);
    sampleFormat = format.Describe();
    const uint64_t bytes = uint64_t{header.dataSize} * (header.encoding == kULawEncoding ? 2 : 1);
    const double perSecond =
        static_cast<double>(header.rate) * (format.Is16Bit() ? 2 : 1) * (format.IsStereo() ? 2 : 1);
    size = DescribeSize(bytes, DurationSeconds(bytes, perSecond));
    return true;
}

void AuFileFormat::ShowOptions() {
    if (m_presenter == nullptr || m_sample == nullptr)
        return;
    AuSaveOptions dialog = AuSaveOptions::FromOptions(GetStoredOptions());
    if (m_presenter->Present(dialog))
        StoreOptions(dialog.ToOptions());
}
