#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A buffered binary file: read, write, seek, length and close. The file handlers and the
// helpers work on it; a write that fails once keeps failing, so a writer checks only at the end.
// A read that fails for a reason of the system (not the end of the file) is remembered too, so
// that a loader can tell a failing disk from a short file.
class BinaryFile {
public:
    enum class Mode { Read, Write };

    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // False for a path that cannot be opened in that mode, and for a folder.
    bool Open(const std::string& path, Mode mode);
    // Takes over an open stream (for example the temporary file of a safe save).
    void Attach(std::FILE* file, Mode mode);
    bool IsOpen() const { return m_file != nullptr; }
    // Flushes; false if any write or the flush failed.
    bool Close();
    // Writes out the stdio buffer; false (and Failed) when the system refuses.
    bool Flush();

    // Bytes actually read (short at the end of the file or on a read error).
    size_t Read(void* buffer, size_t count);
    bool ReadExact(void* buffer, size_t count) { return Read(buffer, count) == count; }
    bool Write(const void* buffer, size_t count);
    bool Seek(uint64_t offset);
    uint64_t Tell() const;
    // A file open for reading is measured once when it is opened: the loaders ask for the
    // length for every block, and asking the system each time cost more than the parsing.
    uint64_t Length() const;
    bool Failed() const { return m_failed; }
    bool ReadFailed() const { return m_readFailed; }
    // errno of the first failure (0 when none, or when the failure came from the test hooks'
    // budget, which reports EIO).
    int Error() const { return m_error; }
    std::FILE* Handle() const { return m_file; }

    // Tests make every write fail once this many more bytes have been written in the process.
    static void FailWritesAfterForTesting(uint64_t bytes);
    static void ClearWriteFailureForTesting();
    // The same for reads: a read past the budget fails as a failing disk does (EIO).
    static void FailReadsAfterForTesting(uint64_t bytes);
    static void ClearReadFailureForTesting();

private:
    void Fail(int error);
    std::FILE* m_file = nullptr;
    Mode m_mode = Mode::Read;
    bool m_failed = false;
    bool m_readFailed = false;
    int m_error = 0;
    uint64_t m_length = 0;  // of a file open for reading
    // Reading keeps its own buffer and position: a seek or a query of the position is then no
    // system call, which is what parsing many small blocks spends its time on.
    size_t ReadBuffered(uint8_t* out, size_t count);
    std::vector<uint8_t> m_buffer;
    uint64_t m_bufferStart = 0;
    size_t m_bufferSize = 0;
    uint64_t m_position = 0;
};
