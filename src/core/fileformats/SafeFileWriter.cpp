#include "core/fileformats/SafeFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit on a chain of links

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder's entry is what a power cut must find after a rename: sync it too. File systems
// that cannot sync a folder (EINVAL) have nothing more to do.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool WriteAll(int fd, const char* data, size_t count) {
    while (count != 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

SafeFileWriter::SafeFileWriter(std::string targetPath) : m_target(std::move(targetPath)) {}

SafeFileWriter::~SafeFileWriter() {
    if (!m_committed)
        Discard();
    RestoreSignal();
}

std::string SafeFileWriter::TemporaryPrefix(const std::string& name) {
    // ".NAME.orvex-" and six characters of mkstemp must still be a valid name.
    const std::string prefix = "." + name + ".orvex-";
    return prefix.size() + 6 <= NAME_MAX ? prefix : ".orvex-";
}

bool SafeFileWriter::Fail(int error) {
    return Fail(std::string(std::strerror(error)));
}

bool SafeFileWriter::Fail(const std::string& reason) {
    if (m_failure.empty())
        m_failure = m_target + ": " + reason;
    return false;
}

// Follows a chain of symbolic links to the file they name, existing or not.
bool SafeFileWriter::ResolveTarget() {
    m_real = m_target;
    for (int hop = 0;; ++hop) {
        struct stat info {};
        if (::lstat(m_real.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return Fail(errno);
            m_exists = false;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            m_exists = true;
            return true;
        }
        if (hop == kMaxLinkHops)
            return Fail(ELOOP);
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t size = ::readlink(m_real.c_str(), link.data(), PATH_MAX);
        if (size < 0)
            return Fail(errno);
        const std::string to(link.data(), static_cast<size_t>(size));
        m_real = to.starts_with('/') ? to : FolderOf(m_real) + "/" + to;
    }
}

bool SafeFileWriter::CheckExistingTarget() {
    struct stat info {};
    if (::stat(m_real.c_str(), &info) != 0)
        return Fail(errno);
    if (S_ISDIR(info.st_mode))
        return Fail(EISDIR);
    if (!S_ISREG(info.st_mode))
        return Fail("not a regular file");
    // A file without any write bit is the user's "do not change": refused even for root,
    // whom access() would let through.
    if ((info.st_mode & 0222) == 0)
        return Fail(EACCES);
    if (::access(m_real.c_str(), W_OK) != 0)
        return Fail(errno);
    m_mode = info.st_mode & 07777;
    m_inPlace = info.st_nlink > 1;
    return true;
}

// Temporaries of a save that was killed stay behind; a save still running holds the lock of
// its temporary, so only unlocked ones are removed.
void SafeFileWriter::RemoveStaleTemporaries(const std::string& folder,
                                            const std::string& prefix) const {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
            continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

bool SafeFileWriter::Open() {
    if (!ResolveTarget() || (m_exists && !CheckExistingTarget()))
        return false;
    const std::string folder = FolderOf(m_real);
    const std::string prefix = TemporaryPrefix(NameOf(m_real));
    RemoveStaleTemporaries(folder, prefix);
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    m_temporary = name.data();
    // Held until the temporary is renamed or removed: marks it as belonging to a running save.
    ::flock(fd, LOCK_EX);
    // The new file keeps the permissions of the one it replaces, else the usual ones.
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);
    ::fchmod(fd, m_exists ? static_cast<mode_t>(m_mode) : (0666 & ~umaskNow));
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        Discard();
        return Fail(error);
    }
    m_file.Attach(file, BinaryFile::Mode::Write);
    // Past the file-size limit the system would kill the process with SIGXFSZ and leave the
    // temporary behind; ignored, the write fails with EFBIG and the save cleans up.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    m_signalSaved = ::sigaction(SIGXFSZ, &ignore, &m_oldXfsz) == 0;
    return true;
}

// For a target with other hard links: the complete temporary is copied over it. The space is
// reserved first, so a full disk refuses before the old content is touched.
bool SafeFileWriter::CopyOverTarget() {
    const int from = ::fileno(m_file.Handle());
    const off_t size = ::lseek(from, 0, SEEK_END);
    if (size < 0 || ::lseek(from, 0, SEEK_SET) < 0)
        return Fail(errno);
    const int to = ::open(m_real.c_str(), O_WRONLY | O_CLOEXEC);
    if (to < 0)
        return Fail(errno);
    int error = size > 0 ? ::posix_fallocate(to, 0, size) : 0;
    std::vector<char> buffer(1 << 20);
    for (off_t done = 0; error == 0 && done < size;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got <= 0 || !WriteAll(to, buffer.data(), static_cast<size_t>(got))) {
            error = got == 0 ? EIO : errno;
            break;
        }
        done += got;
    }
    if (error == 0 && (::ftruncate(to, size) != 0 || ::fsync(to) != 0))
        error = errno;
    ::close(to);
    return error == 0 || Fail(error);
}

bool SafeFileWriter::Commit() {
    if (m_temporary.empty())
        return false;
    bool done = m_file.Flush() && ::fsync(::fileno(m_file.Handle())) == 0;
    if (!done)
        Fail(m_file.Error() != 0 ? m_file.Error() : errno);
    if (done && m_inPlace) {
        done = CopyOverTarget();
    } else if (done && std::rename(m_temporary.c_str(), m_real.c_str()) != 0) {
        done = Fail(errno);
    }
    if (!done) {
        Discard();
        RestoreSignal();
        return false;
    }
    if (m_inPlace) {
        Discard();
    } else {
        m_temporary.clear();
        m_file.Close();
        SyncFolder(FolderOf(m_real));
    }
    m_committed = true;
    RestoreSignal();
    return true;
}

void SafeFileWriter::Abandon() {
    if (m_file.Error() != 0)
        Fail(m_file.Error());
    Discard();
    RestoreSignal();
}

void SafeFileWriter::Discard() {
    if (!m_temporary.empty()) {
        std::remove(m_temporary.c_str());
        m_temporary.clear();
    }
    m_file.Close();
}

void SafeFileWriter::RestoreSignal() {
    if (m_signalSaved)
        ::sigaction(SIGXFSZ, &m_oldXfsz, nullptr);
    m_signalSaved = false;
}
