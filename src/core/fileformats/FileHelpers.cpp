#include "core/fileformats/FileHelpers.h"

#include <algorithm>
#include <limits>

#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

uint32_t ReadLong(BinaryFile& file, bool swap) {
    uint8_t b[4] = {0, 0, 0, 0};
    file.Read(b, 4);
    return swap ? byteorder::Load32BE(b) : byteorder::Load32LE(b);
}

void WriteLong(BinaryFile& file, uint32_t value, bool swap) {
    uint8_t b[4];
    if (swap) {
        byteorder::Store32BE(b, value);
    } else {
        byteorder::Store32LE(b, value);
    }
    file.Write(b, 4);
}

bool ReadFileIntoSample(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                        uint32_t offset, uint32_t length) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        return false;
    }
    const uint64_t fileLength = file.Length();
    const uint64_t available = fileLength > offset ? fileLength - offset : 0;
    if (offset != 0)
        file.Seek(offset);
    // A length of 0 takes the rest of the file; a promised length is never taken beyond what
    // the file holds, so a lying header cannot make us allocate more than the file supplies.
    uint64_t wanted = length == 0 ? available : std::min<uint64_t>(length, available);
    uint8_t* block = wanted <= std::numeric_limits<uint32_t>::max()
                         ? SampleHeap::Instance().Allocate(static_cast<size_t>(wanted))
                         : nullptr;
    if (block == nullptr) {
        messages.ShowUntitledMessage("Error manipulating memory!");
        return false;
    }
    const size_t got = file.Read(block, static_cast<size_t>(wanted));
    sample.AdoptBlock(block, static_cast<uint32_t>(wanted));
    if (got < wanted)
        sample.ResizeBytes(static_cast<uint32_t>(got));
    return true;
}

bool WriteSampleFile(const SampleBuffer& sample, const std::string& path) {
    SafeFileWriter writer(path);
    if (!writer.Open()) {
        return false;
    }
    if (sample.GetByteLength() != 0) {
        writer.File().Write(sample.Data(), sample.GetByteLength());
    }
    return writer.Commit();
}

bool LoadRawFallback(MessageSink& messages, SampleBuffer& sample, const std::string& path) {
    if (sample.IsLent()) {
        return false;
    }
    sample.SetFormat(11025, false, false);
    return ReadFileIntoSample(messages, sample, path, 0, 0);
}

std::string DescribeSize(uint64_t bytes, double seconds, const char* suffix) {
    char text[96];
    std::snprintf(text, sizeof text, "%d Bytes; %.2f secs%s", static_cast<int>(bytes), seconds,
                  suffix);
    return text;
}

double DurationSeconds(uint64_t bytes, double bytesPerSecond) {
    return bytesPerSecond != 0.0 ? static_cast<double>(bytes) / bytesPerSecond
                                 : std::numeric_limits<double>::infinity();
}

extern "C" {

__attribute__((visibility("default"), used)) int32_t FLT_rblong(std::FILE* file) {
    uint8_t b[4] = {0, 0, 0, 0};
    if (file != nullptr)
        std::fread(b, 1, 4, file);
    return static_cast<int32_t>(byteorder::Load32BE(b));
}

__attribute__((visibility("default"), used)) int32_t FLT_rbshort(std::FILE* file) {
    uint8_t b[2] = {0, 0};
    if (file != nullptr)
        std::fread(b, 1, 2, file);
    return static_cast<int16_t>(byteorder::Load16BE(b));
}

}  // extern "C"
