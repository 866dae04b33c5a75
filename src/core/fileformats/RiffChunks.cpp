#include "core/fileformats/RiffChunks.h"

#include <algorithm>

#include "core/sample/ByteOrder.h"

namespace {

constexpr uint32_t kRiff = FourCC("RIFF");
constexpr uint32_t kList = FourCC("LIST");

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
    chunk.id = byteorder::Load32LE(header);
    chunk.size = byteorder::Load32LE(header + 4);
    chunk.type = 0;
    chunk.dataOffset = m_file.Tell();
    if (HasType(chunk.id)) {
        uint8_t type[4];
        if (!m_file.ReadExact(type, 4))
            return false;
        chunk.type = byteorder::Load32LE(type);
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
    // The size stays 0 until Ascend knows it.
    uint8_t header[12] = {};
    byteorder::Store32LE(header, id);
    byteorder::Store32LE(header + 8, type);
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
    uint8_t bytes[4];
    byteorder::Store32LE(bytes, static_cast<uint32_t>(size));
    const uint64_t after = m_file.Tell();
    return m_file.Seek(start - 4) && m_file.Write(bytes, 4) && m_file.Seek(after);
}
