#include "core/fileformats/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

SafeFileWriter::SafeFileWriter(std::string targetPath) : m_target(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    if (!m_committed)
        Discard();
}

bool SafeFileWriter::Open() {
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return false;
    }
    std::string pattern = m_target + ".orvex-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    m_temporary = name.data();
    // The new file keeps the permissions of the one it replaces, else the usual ones.
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);
    const mode_t mode =
        ::stat(m_target.c_str(), &info) == 0 ? (info.st_mode & 07777) : (0666 & ~umaskNow);
    ::fchmod(fd, mode);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        Discard();
        return false;
    }
    m_file.Attach(file, BinaryFile::Mode::Write);
    return true;
}

bool SafeFileWriter::Commit() {
    if (m_temporary.empty())
        return false;
    const bool written = !m_file.Failed() && m_file.Close();
    if (!written || std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Discard();
        return false;
    }
    m_committed = true;
    m_temporary.clear();
    return true;
}

void SafeFileWriter::Discard() {
    m_file.Close();
    if (!m_temporary.empty()) {
        std::remove(m_temporary.c_str());
        m_temporary.clear();
    }
}
