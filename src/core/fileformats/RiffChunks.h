#pragma once

#include <cstdint>

#include "core/fileformats/BinaryFile.h"

// Four-character codes as they appear in the file, first character in the lowest byte.
constexpr uint32_t FourCC(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24);
}

struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;           // contents without the pad byte
    uint32_t type = 0;           // the form or list type of "RIFF" and "LIST" chunks
    uint64_t dataOffset = 0;     // first byte of the contents (behind the type for RIFF and LIST)
    uint64_t EndOffset() const;  // one past the contents and the pad byte
};

// Reads the chunk layout of RIFF files: a chunk id, its size, its contents and a pad byte
// after an odd size. Searches never leave their parent and never read past the end of the file.
class RiffReader {
public:
    explicit RiffReader(BinaryFile& file) : m_file(file) {}

    // From the current position: the first top-level "RIFF" chunk of this form type.
    bool FindRiff(uint32_t formType, RiffChunk& out);
    // From the current position to the end of `parent`: the first chunk with this id (and, for
    // "LIST" chunks, this list type when listType is not 0). The position is then at its contents.
    bool FindChunk(const RiffChunk& parent, uint32_t id, RiffChunk& out, uint32_t listType = 0);
    // Moves behind the chunk and its pad byte.
    bool Ascend(const RiffChunk& chunk) { return m_file.Seek(chunk.EndOffset()); }
    bool SeekTo(uint64_t offset) { return m_file.Seek(offset); }

private:
    bool ReadHeader(RiffChunk& chunk);
    bool Search(uint64_t limit, uint32_t id, uint32_t type, RiffChunk& out);
    BinaryFile& m_file;
};

// Writes chunks: Create writes the header with a size to be filled in, Ascend writes the real
// size and the pad byte. Every failure is remembered by the file.
class RiffWriter {
public:
    explicit RiffWriter(BinaryFile& file) : m_file(file) {}

    bool CreateChunk(uint32_t id, RiffChunk& chunk, uint32_t type = 0);
    bool Ascend(const RiffChunk& chunk);

private:
    BinaryFile& m_file;
};
