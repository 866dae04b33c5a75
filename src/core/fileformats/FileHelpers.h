#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/fileformats/BinaryFile.h"

class MessageSink;
class SafeFileWriter;
class SampleBuffer;

// Reads 4 bytes as a little-endian value, their order reversed first when `swap` is true.
uint32_t ReadLong(BinaryFile& file, bool swap);
void WriteLong(BinaryFile& file, uint32_t value, bool swap);

// Why a sound or file is refused when its 32-bit sizes cannot describe it.
inline constexpr const char* kFourGiBLimitText =
    "the result would pass the 4 GiB limit of a sound's 32-bit sizes";

// The most bytes a loaded sound may take: 1 GiB, or the memory the system has available if
// that is less. A file may describe far more than it holds (silence blocks, lying sizes).
uint64_t LoadSizeLimit();
// Tests lower the limit (0 restores it).
void SetLoadSizeLimitForTesting(uint64_t bytes);
// A heap block of `bytes` for a sound being loaded from `path`; nullptr with a message naming the
// file and the limit when the sound would pass LoadSizeLimit (checked before anything is
// allocated), or with "Error manipulating memory!" when the heap refuses.
uint8_t* AllocateLoadBlock(MessageSink& messages, const std::string& path, uint64_t bytes);

// Reads `length` bytes from `offset` (the rest of the file when length is 0) into a new block of
// the sample; the format is not touched. False without a message when the file cannot be opened;
// a refusal of AllocateLoadBlock when the block cannot be had. A file shorter than it promises
// gives a block of the bytes that are there; a read error fails with the system's reason in
// `failure` ("PATH: reason"). The sample is changed only on success.
// The same bytes as a new heap block of `got` bytes, which the caller owns; nullptr on failure.
uint8_t* ReadFileBlock(MessageSink& messages, const std::string& path, uint32_t offset,
                       uint32_t length, uint32_t& got, std::string* failure);
bool ReadFileIntoSample(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                        uint32_t offset, uint32_t length, std::string* failure = nullptr);
// Writes the sample's bytes alone to an open writer; false when a write failed.
bool WriteSampleFile(const SampleBuffer& sample, SafeFileWriter& writer);
// The file as 11025 Hz 8-bit mono bytes; false while the sample is playing.
bool LoadRawFallback(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                     std::string* failure = nullptr);

// Exported by name for other modules: big-endian 32-bit and sign-extended 16-bit reads.
extern "C" {
int32_t FLT_rblong(std::FILE* file);
int32_t FLT_rbshort(std::FILE* file);
}

// The information panel's size line: "N Bytes; x.xx secs" and `suffix`, N unsigned, so that no
// size of a file prints negative.
std::string DescribeSize(uint64_t bytes, double seconds, const char* suffix = "");
// The playing time of `bytes` at `bytesPerSecond`; endless (rather than a crash) for a file that
// claims no bytes per second.
double DurationSeconds(uint64_t bytes, double bytesPerSecond);
