#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/fileformats/BinaryFile.h"

class MessageSink;
class SampleBuffer;

// Reads 4 bytes as a little-endian value, their order reversed first when `swap` is true.
uint32_t ReadLong(BinaryFile& file, bool swap);
void WriteLong(BinaryFile& file, uint32_t value, bool swap);

// Reads `length` bytes from `offset` (the rest of the file when length is 0) into a new block of
// the sample; the format is not touched. False without a message when the file cannot be opened;
// "Error manipulating memory!" (untitled) when the block cannot be had. A file shorter than it
// promises gives a block of the bytes that are there.
bool ReadFileIntoSample(MessageSink& messages, SampleBuffer& sample, const std::string& path,
                        uint32_t offset, uint32_t length);
// Writes the sample's bytes alone, replacing the file only when all of them were written.
bool WriteSampleFile(const SampleBuffer& sample, const std::string& path);
// The file as 11025 Hz 8-bit mono bytes; false while the sample is playing.
bool LoadRawFallback(MessageSink& messages, SampleBuffer& sample, const std::string& path);

// The information panel's size line: "N Bytes; x.xx secs" and `suffix`, N as a signed 32-bit
// number as it has always been shown.
std::string DescribeSize(uint64_t bytes, double seconds, const char* suffix = "");
// The playing time of `bytes` at `bytesPerSecond`; endless (rather than a crash) for a file that
// claims no bytes per second.
double DurationSeconds(uint64_t bytes, double bytesPerSecond);

// Exported by name for other modules: big-endian 32-bit and sign-extended 16-bit reads.
extern "C" {
int32_t FLT_rblong(std::FILE* file);
int32_t FLT_rbshort(std::FILE* file);
}
