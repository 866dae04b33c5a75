#include "core/fileformats/BinaryFile.h"

#include <sys/stat.h>

#include <atomic>
#include <limits>

namespace {
// Bytes that may still be written before injected failures start (tests only).
std::atomic<uint64_t> g_writeBudget{std::numeric_limits<uint64_t>::max()};
}  // namespace

BinaryFile::~BinaryFile() {
    Close();
}

bool BinaryFile::Open(const std::string& path, Mode mode) {
    Close();
    struct stat info {};
    if (mode == Mode::Read && (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    if (file == nullptr) {
        return false;
    }
    Attach(file, mode);
    return true;
}

void BinaryFile::Attach(std::FILE* file, Mode mode) {
    Close();
    m_file = file;
    m_mode = mode;
    m_failed = false;
    // Large sounds are read and written in big pieces; a larger stdio buffer helps the small
    // header reads and writes in between.
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
}

bool BinaryFile::Close() {
    if (m_file == nullptr) {
        return !m_failed;
    }
    if (std::fclose(m_file) != 0) {
        m_failed = true;
    }
    m_file = nullptr;
    return !m_failed;
}

size_t BinaryFile::Read(void* buffer, size_t count) {
    if (m_file == nullptr || count == 0) {
        return 0;
    }
    return std::fread(buffer, 1, count, m_file);
}

bool BinaryFile::Write(const void* buffer, size_t count) {
    if (m_file == nullptr || m_failed) {
        m_failed = true;
        return false;
    }
    uint64_t budget = g_writeBudget.load();
    if (budget != std::numeric_limits<uint64_t>::max()) {
        if (count > budget) {
            g_writeBudget = 0;
            m_failed = true;
            return false;
        }
        g_writeBudget = budget - count;
    }
    if (count != 0 && std::fwrite(buffer, 1, count, m_file) != count) {
        m_failed = true;
    }
    return !m_failed;
}

bool BinaryFile::Seek(uint64_t offset) {
    if (m_file == nullptr || offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    return ::fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

uint64_t BinaryFile::Tell() const {
    if (m_file == nullptr)
        return 0;
    const off_t at = ::ftello(m_file);
    return at < 0 ? 0 : static_cast<uint64_t>(at);
}

uint64_t BinaryFile::Length() const {
    if (m_file == nullptr)
        return 0;
    struct stat info {};
    std::fflush(m_file);
    if (::fstat(::fileno(m_file), &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<uint64_t>(info.st_size);
}

void BinaryFile::FailWritesAfterForTesting(uint64_t bytes) {
    g_writeBudget = bytes;
}

void BinaryFile::ClearWriteFailureForTesting() {
    g_writeBudget = std::numeric_limits<uint64_t>::max();
}
