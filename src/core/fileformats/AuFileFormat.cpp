#include "core/fileformats/AuFileFormat.h"

#include <cstring>
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

enum class HeaderResult { Ok, CannotOpen, BadMagic, TooSmall };

HeaderResult ReadHeader(const std::string& path, AuHeader& header) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read))
        return HeaderResult::CannotOpen;
    uint8_t magic[4] = {0, 0, 0, 0};
    file.Read(magic, 4);
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
    return HeaderResult::Ok;
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

}  // namespace

bool AuFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    AuHeader header;
    switch (ReadHeader(path, header)) {
        case HeaderResult::CannotOpen:
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
    const bool stereo = header.channels != 1;
    uint16_t options = 0;
    switch (header.encoding) {
        case kULawEncoding:
            sample.SetFormat(header.rate, stereo, false);
            break;
        case kLinear8:
            sample.SetFormat(header.rate, stereo, false);
            break;
        case kLinear16:
            sample.SetFormat(header.rate, stereo, true);
            break;
        default:
            break;  // the bytes load unchanged into the sound's current format
    }
    if (!ReadFileIntoSample(m_messages, sample, path, header.headerSize, 0))
        return false;
    switch (header.encoding) {
        case kULawEncoding:
            if (!DecodeULaw(m_messages, sample)) {
                sample.FreeBlock();
                return false;
            }
            options = AuSaveOptions::kULaw;
            break;
        case kLinear8:
            AddToBytes(sample.Data(), sample.GetByteLength(), 128);
            options = AuSaveOptions::kLinear;
            break;
        case kLinear16:
            if (header.bigEndian)
                SwapPairs(sample.Data(), sample.GetByteLength());
            options = AuSaveOptions::kLinear;
            break;
        default:
            break;
    }
    StoreOptions(options);
    return true;
}

bool AuFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    SafeFileWriter writer(path);
    if (!writer.Open())
        return false;
    const uint16_t options = GetStoredOptions();
    uint32_t encoding = kULawEncoding;
    if ((options & AuSaveOptions::kLinear) != 0) {
        encoding = sample.FormatRef().Is16Bit() ? kLinear16 : kLinear8;
    } else {
        const bool force = (options & AuSaveOptions::kForce8k) != 0;
        if (force) {
            if (!ChangeFormat(m_messages, sample, SampleFormat(8000, false, true)))
                return false;
        } else {
            // Only the sample size changes; the rate is kept as it is, so a sound at a rate the
            // rate converter refuses (above 50000 Hz, or 0) still saves as mu-law.
            const SampleFormat target(sample.GetFrequency(), sample.FormatRef().IsStereo(), true);
            if (!ConvertLayout(m_messages, sample, sample.FormatRef().GetLayoutCode(),
                               target.GetLayoutCode()))
                return false;
        }
    }
    const uint32_t values = sample.GetByteLength() / 2;
    const uint32_t dataSize = encoding == kULawEncoding ? values : sample.GetByteLength();
    std::vector<uint8_t> head;
    byteorder::Append32BE(head, 0x2E736E64);  // ".snd"
    byteorder::Append32BE(head, 32);
    byteorder::Append32BE(head, dataSize);
    byteorder::Append32BE(head, encoding);
    byteorder::Append32BE(head, sample.GetFrequency());
    byteorder::Append32BE(head, sample.GetChannels());
    head.resize(32, 0);
    BinaryFile& file = writer.File();
    file.Write(head.data(), head.size());
    if (encoding != kULawEncoding) {
        WriteData(file, sample, encoding);
        return writer.Commit();
    }
    // Each value is written as its code and replaced in memory by the code's expansion: the
    // sound ends 16-bit with the quantisation of the round trip, and since its block never
    // shrinks to the codes it never has to grow back, so it can never be left holding codes.
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
    return writer.Commit();
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
