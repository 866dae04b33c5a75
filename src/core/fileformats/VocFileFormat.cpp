#include "core/fileformats/VocFileFormat.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/FileHelpers.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

constexpr char kSignature[20] = {'C', 'r', 'e', 'a', 't', 'i', 'v', 'e', ' ', 'V',
                                 'o', 'i', 'c', 'e', ' ', 'F', 'i', 'l', 'e', 0x1A};
constexpr uint16_t kHeaderSize = 26;

// Little-endian reads that give 0 for bytes past the end of the file.
uint32_t ReadLe(BinaryFile& file, size_t bytes) {
    uint8_t b[4] = {0, 0, 0, 0};
    file.Read(b, bytes);
    return byteorder::Load32LE(b);
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, size_t bytes) {
    uint8_t b[4];
    byteorder::Store32LE(b, value);
    out.insert(out.end(), b, b + bytes);
}

// Data bytes a block can really supply from the file.
uint32_t Available(BinaryFile& file, uint32_t wanted) {
    const uint64_t left = file.Length() - std::min(file.Length(), file.Tell());
    return static_cast<uint32_t>(std::min<uint64_t>(wanted, left));
}

// The sound block's rate code. The extended block before it gives the real rate, but a code of
// 0 would make the file unreadable ("Sample Rate appears to be 0"); rates whose code comes out
// as 0 when kept to 8 bits (3892 to 3906 Hz, 1953 Hz, over 1 MHz, ...) are written with code 1.
uint8_t RateCode(uint32_t frequency) {
    const auto code = static_cast<uint8_t>(256 - 1000000 / frequency);
    return code != 0 ? code : 1;
}

}  // namespace

void VocFileFormat::Warn(ParseState& state, const char* text) {
    if (state.warned.insert(text).second)
        m_messages.ShowMessage(text);
}

bool VocFileFormat::NextBlock(ParseState& state, BinaryFile& file) {
    state.dataLength = 0;
    state.silence = false;
    for (;;) {
        uint8_t type = 0;
        if (file.Read(&type, 1) != 1 || type == 0)
            return false;
        const uint32_t length = ReadLe(file, 3);
        const uint64_t contents = file.Tell();
        switch (type) {
            case 1: {
                const int code = static_cast<int>(ReadLe(file, 1));
                if (code == 0) {
                    Warn(state, "Sample Rate appears to be 0");
                    return false;
                }
                if (state.rateCode != -1 && state.rateCode != code) {
                    Warn(state, "Sample rate codes differ");
                    return false;
                }
                state.rateCode = code;
                if (ReadLe(file, 1) != 0) {
                    Warn(state, "Can only interpret 8-bit data!");
                    return false;
                }
                state.dataLength = length >= 2 ? length - 2 : 0;
                return true;
            }
            case 2:
                state.dataLength = length;
                return true;
            case 3: {
                uint32_t count = ReadLe(file, 2);
                const int code = static_cast<int>(ReadLe(file, 1));
                if (code == 0) {
                    Warn(state, "Silence sample rate is zero");
                    return false;
                }
                if (state.rateCode != -1 && state.rateCode != code) {
                    // The silence lasts as long at the file's rate as it did at its own.
                    count = (count * static_cast<uint32_t>(256 - code) /
                             static_cast<uint32_t>(256 - state.rateCode)) &
                            0xFFFF;
                } else {
                    state.rateCode = code;
                }
                state.silence = true;
                state.dataLength = count;
                return true;
            }
            case 8: {
                state.timeConstant = static_cast<uint16_t>(ReadLe(file, 2));
                if (ReadLe(file, 1) != 0)
                    Warn(state, "Can only interpret 8-bit data (currently)!");
                state.extendedMode = static_cast<int>(ReadLe(file, 1)) + 1;
                continue;
            }
            case 4:
            case 5:
            case 6:
            case 7:
                break;
            default:
                Warn(state, "Skipping unknown block code");
                break;
        }
        if (!file.Seek(contents + length))
            return false;
    }
}

bool VocFileFormat::Load(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read))
        return false;
    char signature[20];
    if (file.Read(signature, 20) != 20) {
        if (file.ReadFailed())
            return ReadFailure(path, file);
        m_messages.ShowMessage("Unexpected EOF in file");
        return false;
    }
    if (std::memcmp(signature, kSignature, 20) != 0) {
        m_messages.ShowMessage("VOC file header incorrect");
        return false;
    }
    const auto offset = static_cast<int16_t>(ReadLe(file, 2));
    ParseState state;
    // In 64 bits: silence blocks alone can describe far more than 4 GiB.
    uint64_t total = 0;
    const bool chainStarts = offset >= 0 && file.Seek(static_cast<uint64_t>(offset));
    while (chainStarts && NextBlock(state, file)) {
        if (state.silence) {
            total += state.dataLength;
        } else {
            // Bytes a block promises but the file does not hold are not part of the sound.
            const uint32_t present = Available(file, state.dataLength);
            total += present;
            file.Seek(file.Tell() + present);
        }
    }
    if (file.ReadFailed())
        return ReadFailure(path, file);
    if (state.rateCode == -1) {
        m_messages.ShowMessage("Input .voc file had no sound!");
        return false;
    }
    uint8_t* data = AllocateLoadBlock(m_messages, path, total);
    if (data == nullptr)
        return false;

    state.warned.clear();
    file.Seek(static_cast<uint64_t>(offset));
    uint64_t written = 0;
    // The whole chain is walked again, so that its warnings are shown in this pass too.
    while (NextBlock(state, file)) {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(
            state.silence ? state.dataLength : Available(file, state.dataLength), total - written));
        const size_t got = state.silence ? (std::memset(data + written, 0x80, count), count)
                                         : file.Read(data + written, count);
        written += got;
        if (got != count)
            break;  // the file shrank or failed under us
    }
    if (file.ReadFailed()) {
        SampleHeap::Instance().Free(data);
        return ReadFailure(path, file);
    }
    // The sound is what the second pass really produced, never bytes left as memory held them.
    // Shrinking cannot fail; if it did, the larger block still holds the bytes.
    if (written < total) {
        uint8_t* smaller = SampleHeap::Instance().Reallocate(data, static_cast<size_t>(written));
        data = smaller != nullptr ? smaller : data;
    }
    sample.AdoptBlock(data, static_cast<uint32_t>(written));

    double frequency = 0.0;
    bool stereo = false;
    if (state.extendedMode == 0) {
        frequency = 1000000.0 / (256 - state.rateCode);
    } else {
        frequency = 256000000.0 / (65536 - state.timeConstant);
        if (state.extendedMode == 2) {
            frequency *= 0.5;
            stereo = true;
        }
    }
    sample.SetFormat(static_cast<uint32_t>(frequency), stereo, false);
    return true;
}

bool VocFileFormat::Save(const std::string& path, SampleBuffer& sample) {
    m_sample = &sample;
    ClearFailure();
    if (sample.FormatRef().Is16Bit()) {
        m_messages.ShowMessage(
            ".VOC files only support 8-bit sample data. Convert the sample to 8-bit, then save");
        return false;
    }
    const uint32_t frequency = sample.GetFrequency();
    if (frequency == 0)
        return false;  // no time constant or rate code describes 0 Hz
    SafeFileWriter writer(path);
    if (!writer.Open())
        return Finish(writer, false);
    BinaryFile& file = writer.File();

    std::vector<uint8_t> head(kSignature, kSignature + 20);
    PutLe(head, kHeaderSize, 2);
    PutLe(head, 0x010A, 2);
    PutLe(head, 0x1129, 2);
    const uint32_t channels = sample.GetChannels();
    head.push_back(8);
    PutLe(head, 4, 3);
    // In 64 bits: the product of a very high rate and two channels must not wrap to 0.
    PutLe(head,
          static_cast<uint32_t>((65536u - 256000000u / (uint64_t{channels} * frequency)) & 0xFFFF),
          2);
    head.push_back(0);
    head.push_back(sample.FormatRef().IsStereo() ? 1 : 0);

    const uint32_t length = sample.GetByteLength();
    // Saving only reads the bytes: a sound that plays keeps playing.
    const uint8_t* data = std::as_const(sample).Data();
    const uint32_t first = std::min(length, kMaxFirstBlockData);
    head.push_back(1);
    PutLe(head, first + 2, 3);
    head.push_back(RateCode(frequency));
    head.push_back(0);
    file.Write(head.data(), head.size());
    if (first != 0)
        file.Write(data, first);
    // The rest follows in continuation blocks at the same rate.
    for (uint32_t done = first; done < length;) {
        const uint32_t piece = std::min<uint32_t>(length - done, 0xFFFFFF);
        std::vector<uint8_t> block = {2};
        PutLe(block, piece, 3);
        file.Write(block.data(), block.size());
        file.Write(data + done, piece);
        done += piece;
    }
    const uint8_t terminator[4] = {0, 0, 0, 0};
    file.Write(terminator, 4);
    return Finish(writer, !file.Failed());
}

void VocFileFormat::AppendFilter(std::string& filter) const {
    filter += "Creative Voice Files (*.voc)|*.voc|";
}

bool VocFileFormat::Describe(const std::string&, std::string& fileType, std::string& sampleFormat,
                             std::string& size) {
    fileType = "Creative Voice File";
    sampleFormat = "Unknown";
    size = "Unknown";
    return false;
}
