#include "core/fileformats/FileHelpers.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/effects/VolumeText.h"
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

namespace {
constexpr uint64_t kLoadSizeCap = uint64_t{1} << 30;
uint64_t g_testLoadLimit = 0;
}  // namespace

uint64_t LoadSizeLimit() {
    if (g_testLoadLimit != 0)
        return g_testLoadLimit;
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return kLoadSizeCap;
    return std::min(kLoadSizeCap, static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize));
}

void SetLoadSizeLimitForTesting(uint64_t bytes) {
    g_testLoadLimit = bytes;
}

uint8_t* AllocateLoadBlock(MessageSink& messages, const std::string& path, uint64_t bytes) {
    const uint64_t limit = LoadSizeLimit();
    if (bytes > limit) {
        messages.ShowMessage(path + " is too large to load: the sound would take " +
                             std::to_string(bytes) + " bytes, more than the limit of " +
                             std::to_string(limit) + " bytes");
        return nullptr;
    }
    uint8_t* block = SampleHeap::Instance().Allocate(static_cast<size_t>(bytes));
    if (block == nullptr)
        messages.ShowUntitledMessage("Error manipulating memory!");
    return block;
}

uint8_t* ReadFileBlock(MessageSink& messages, const std::string& path, uint32_t offset,
                       uint32_t length, uint32_t& got, std::string* failure) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) {
        return nullptr;
    }
    const uint64_t fileLength = file.Length();
    const uint64_t available = fileLength > offset ? fileLength - offset : 0;
    // A reading file only records its position, so any 32-bit offset is taken.
    file.Seek(offset);
    // A length of 0 takes the rest of the file; a promised length is never taken beyond what
    // the file holds, so a lying header cannot make us allocate more than the file supplies.
    const uint64_t wanted = length == 0 ? available : std::min<uint64_t>(length, available);
    uint8_t* block = AllocateLoadBlock(messages, path, wanted);
    if (block == nullptr)
        return nullptr;
    const size_t read = file.Read(block, static_cast<size_t>(wanted));
    if (file.ReadFailed()) {
        SampleHeap::Instance().Free(block);
        if (failure != nullptr)
            *failure = path + ": " + std::strerror(file.Error());
        return nullptr;
    }
    // The file shrank under us: the sound is the bytes that were there. Shrinking a block
    // cannot fail, and if it did the longer block would still be ours to keep.
    uint8_t* kept = read < wanted ? SampleHeap::Instance().Reallocate(block, read) : block;
    got = static_cast<uint32_t>(read);
    return kept != nullptr ? kept : block;
}

bool ReadFileIntoSample(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                        uint32_t offset, uint32_t length, std::string* failure) {
    uint32_t got = 0;
    uint8_t* block = ReadFileBlock(messages, path, offset, length, got, failure);
    if (block == nullptr)
        return false;
    sample.AdoptBlock(block, got);
    return true;
}

bool WriteSampleFile(const SampleBuffer& sample, SafeFileWriter& writer) {
    if (sample.GetByteLength() != 0) {
        writer.File().Write(sample.Data(), sample.GetByteLength());
    }
    return !writer.File().Failed();
}

bool LoadRawFallback(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                     std::string* failure) {
    if (sample.IsLent()) {
        return false;
    }
    if (!ReadFileIntoSample(messages, sample, path, 0, 0, failure))
        return false;
    sample.SetFormat(11025, false, false);
    return true;
}

std::string DescribeSize(uint64_t bytes, double seconds, const char* suffix) {
    // The seconds in the "." notation whatever the user's locale, as every number the editor
    // writes.
    return std::to_string(bytes) + " Bytes; " + FixedText(seconds, 2) + " secs" + suffix;
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
