#include "core/fileformats/BinaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {
constexpr size_t kReadBuffer = 1 << 16;
constexpr uint64_t kNoBudget = std::numeric_limits<uint64_t>::max();
// Bytes that may still be written or read before injected failures start (tests only).
std::atomic<uint64_t> g_writeBudget{kNoBudget};
std::atomic<uint64_t> g_readBudget{kNoBudget};

// Takes `count` from the budget; false once it is used up.
bool TakeFromBudget(std::atomic<uint64_t>& budget, size_t count) {
    const uint64_t left = budget.load();
    if (left == kNoBudget)
        return true;
    if (count > left) {
        budget = 0;
        return false;
    }
    budget = left - count;
    return true;
}
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
    m_readFailed = false;
    m_error = 0;
    m_length = 0;
    m_bufferStart = 0;
    m_bufferSize = 0;
    m_position = 0;
    // Large sounds are read and written in big pieces; a larger stdio buffer helps the small
    // header reads and writes in between.
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    struct stat info {};
    if (mode == Mode::Read && ::fstat(::fileno(m_file), &info) == 0 && info.st_size > 0)
        m_length = static_cast<uint64_t>(info.st_size);
    if (mode == Mode::Read)
        m_buffer.resize(kReadBuffer);
}

void BinaryFile::Fail(int error) {
    if (!m_failed && m_error == 0)
        m_error = error != 0 ? error : EIO;
    m_failed = true;
}

bool BinaryFile::Close() {
    if (m_file == nullptr) {
        return !m_failed;
    }
    if (m_mode == Mode::Write)
        Flush();
    if (std::fclose(m_file) != 0 && m_mode == Mode::Write) {
        Fail(errno);
    }
    m_file = nullptr;
    return !m_failed;
}

bool BinaryFile::Flush() {
    if (m_file == nullptr || m_failed)
        return !m_failed;
    if (std::fflush(m_file) != 0)
        Fail(errno);
    return !m_failed;
}

size_t BinaryFile::Read(void* buffer, size_t count) {
    if (m_file == nullptr || count == 0 || m_readFailed) {
        return 0;
    }
    if (!TakeFromBudget(g_readBudget, count)) {
        m_readFailed = true;
        Fail(EIO);
        return 0;
    }
    if (m_mode == Mode::Read)
        return ReadBuffered(static_cast<uint8_t*>(buffer), count);
    const size_t got = std::fread(buffer, 1, count, m_file);
    if (got < count && std::ferror(m_file)) {
        m_readFailed = true;
        Fail(errno);
    }
    return got;
}

size_t BinaryFile::ReadBuffered(uint8_t* out, size_t count) {
    const int fd = ::fileno(m_file);
    size_t done = 0;
    while (done < count) {
        if (m_position >= m_bufferStart && m_position < m_bufferStart + m_bufferSize) {
            const auto at = static_cast<size_t>(m_position - m_bufferStart);
            const size_t n = std::min(count - done, m_bufferSize - at);
            std::memcpy(out + done, m_buffer.data() + at, n);
            done += n;
            m_position += n;
            continue;
        }
        // Large pieces go straight to the caller; small ones through the buffer.
        const bool direct = count - done >= m_buffer.size();
        uint8_t* into = direct ? out + done : m_buffer.data();
        const size_t want = direct ? count - done : m_buffer.size();
        const ssize_t got = ::pread(fd, into, want, static_cast<off_t>(m_position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            m_readFailed = true;
            Fail(errno);
            break;
        }
        if (got == 0)
            break;
        if (direct) {
            done += static_cast<size_t>(got);
            m_position += static_cast<uint64_t>(got);
        } else {
            m_bufferStart = m_position;
            m_bufferSize = static_cast<size_t>(got);
        }
    }
    return done;
}

bool BinaryFile::Write(const void* buffer, size_t count) {
    if (m_file == nullptr || m_failed) {
        m_failed = true;
        return false;
    }
    if (!TakeFromBudget(g_writeBudget, count)) {
        Fail(ENOSPC);
        return false;
    }
    if (count != 0 && std::fwrite(buffer, 1, count, m_file) != count) {
        Fail(errno);
    }
    return !m_failed;
}

bool BinaryFile::Seek(uint64_t offset) {
    if (m_file == nullptr || offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    if (m_mode == Mode::Read) {
        m_position = offset;
        return true;
    }
    return ::fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

uint64_t BinaryFile::Tell() const {
    if (m_file == nullptr)
        return 0;
    if (m_mode == Mode::Read)
        return m_position;
    const off_t at = ::ftello(m_file);
    return at < 0 ? 0 : static_cast<uint64_t>(at);
}

uint64_t BinaryFile::Length() const {
    if (m_file == nullptr)
        return 0;
    if (m_mode == Mode::Read)
        return m_length;
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
    g_writeBudget = kNoBudget;
}

void BinaryFile::FailReadsAfterForTesting(uint64_t bytes) {
    g_readBudget = bytes;
}

void BinaryFile::ClearReadFailureForTesting() {
    g_readBudget = kNoBudget;
}
