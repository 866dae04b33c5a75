#include "core/fileformats/RiffChunks.h"

#include <algorithm>

namespace {

constexpr uint32_t kRiff = FourCC("RIFF");
constexpr uint32_t kList = FourCC("LIST");

uint32_t LittleEndian32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool HasType(uint32_t id) {
    return id == kRiff || id == kList;
}

}  // namespace

uint64_t RiffChunk::EndOffset() const {
    const uint64_t start = HasType(id) ? dataOffset - 4 : dataOffset;
    return start + size + (size & 1);
}

bool RiffReader::ReadHeader(RiffChunk& chunk) {
    uint8_t header[8];
    if (!m_file.ReadExact(header, 8))
        return false;
    chunk.id = LittleEndian32(header);
    chunk.size = LittleEndian32(header + 4);
    chunk.type = 0;
    chunk.dataOffset = m_file.Tell();
    if (HasType(chunk.id)) {
        uint8_t type[4];
        if (!m_file.ReadExact(type, 4))
            return false;
        chunk.type = LittleEndian32(type);
        chunk.dataOffset += 4;
    }
    return true;
}

bool RiffReader::Search(uint64_t limit, uint32_t id, uint32_t type, RiffChunk& out) {
    limit = std::min(limit, m_file.Length());
    for (uint64_t at = m_file.Tell(); at + 8 <= limit;) {
        if (!m_file.Seek(at))
            return false;
        RiffChunk chunk;
        if (!ReadHeader(chunk))
            return false;
        if (chunk.id == id && (type == 0 || chunk.type == type)) {
            out = chunk;
            return true;
        }
        const uint64_t next = chunk.EndOffset();
        if (next <= at)
            return false;  // cannot happen with 64-bit sums; never loop
        at = next;
    }
    return false;
}

bool RiffReader::FindRiff(uint32_t formType, RiffChunk& out) {
    return Search(UINT64_MAX, kRiff, formType, out);
}

bool RiffReader::FindChunk(const RiffChunk& parent, uint32_t id, RiffChunk& out,
                           uint32_t listType) {
    return Search(parent.EndOffset(), id, listType, out);
}

bool RiffWriter::CreateChunk(uint32_t id, RiffChunk& chunk, uint32_t type) {
    chunk.id = id;
    chunk.size = 0;
    chunk.type = type;
    const uint8_t header[12] = {static_cast<uint8_t>(id),
                                static_cast<uint8_t>(id >> 8),
                                static_cast<uint8_t>(id >> 16),
                                static_cast<uint8_t>(id >> 24),
                                0,
                                0,
                                0,
                                0,
                                static_cast<uint8_t>(type),
                                static_cast<uint8_t>(type >> 8),
                                static_cast<uint8_t>(type >> 16),
                                static_cast<uint8_t>(type >> 24)};
    const size_t headerSize = HasType(id) ? 12 : 8;
    if (!m_file.Write(header, headerSize))
        return false;
    chunk.dataOffset = m_file.Tell();
    return true;
}

bool RiffWriter::Ascend(const RiffChunk& chunk) {
    const uint64_t end = m_file.Tell();
    const uint64_t start = HasType(chunk.id) ? chunk.dataOffset - 4 : chunk.dataOffset;
    const uint64_t size = end - start;
    if (size > UINT32_MAX)
        return false;
    if ((size & 1) != 0) {
        const uint8_t pad = 0;
        if (!m_file.Write(&pad, 1))
            return false;
    }
    const auto s = static_cast<uint32_t>(size);
    const uint8_t bytes[4] = {static_cast<uint8_t>(s), static_cast<uint8_t>(s >> 8),
                              static_cast<uint8_t>(s >> 16), static_cast<uint8_t>(s >> 24)};
    const uint64_t after = m_file.Tell();
    return m_file.Seek(start - 4) && m_file.Write(bytes, 4) && m_file.Seek(after);
}
