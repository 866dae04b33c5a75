#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A buffered binary file: read, write, seek, length and close. The file handlers and the
// helpers work on it; a write that fails once keeps failing, so a writer checks only at the end.
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

    // Bytes actually read (short at the end of the file).
    size_t Read(void* buffer, size_t count);
    bool ReadExact(void* buffer, size_t count) { return Read(buffer, count) == count; }
    bool Write(const void* buffer, size_t count);
    bool Seek(uint64_t offset);
    uint64_t Tell() const;
    uint64_t Length() const;
    bool Failed() const { return m_failed; }
    std::FILE* Handle() const { return m_file; }

    // Tests make every write fail once this many more bytes have been written in the process.
    static void FailWritesAfterForTesting(uint64_t bytes);
    static void ClearWriteFailureForTesting();

private:
    std::FILE* m_file = nullptr;
    Mode m_mode = Mode::Read;
    bool m_failed = false;
};
