#pragma once

#include <string>

#include "core/fileformats/BinaryFile.h"

// Writes a file so that a failure never destroys the file that was there: the bytes go to a
// temporary file in the target's folder, which replaces the target only on Commit. A writer
// destroyed without a successful Commit removes its temporary file.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False when no temporary file could be created beside the target.
    bool Open();
    BinaryFile& File() { return m_file; }
    // Closes the temporary and renames it over the target; false (and the target untouched)
    // when any write failed or the rename was refused.
    bool Commit();

private:
    void Discard();
    std::string m_target;
    std::string m_temporary;
    BinaryFile m_file;
    bool m_committed = false;
};
