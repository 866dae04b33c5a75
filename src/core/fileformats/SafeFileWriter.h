#pragma once

#include <signal.h>

#include <string>

#include "core/fileformats/BinaryFile.h"

// Writes a file so that a failure never destroys the file that was there: the bytes go to a
// temporary file beside the target, which replaces the target only on Commit. A writer
// destroyed without a successful Commit removes its temporary file.
//
// The file written is the one the user names: a symbolic link is followed to its target (also a
// dangling one, whose target is created), a file with other hard links is rewritten in place so
// that the links keep sharing it, and anything that is not a regular file, or a file the user
// may not write, is refused and left alone.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False when the target is refused or no temporary file could be created beside it.
    bool Open();
    BinaryFile& File() { return m_file; }
    // Flushes the temporary to the disk and puts it in the target's place; false (and the
    // target untouched) when any write failed or the system refused a step.
    bool Commit();
    // Gives up the save: removes the temporary and keeps the reason of a write that failed.
    void Abandon();
    // "PATH: reason" of the step that failed (the system's reason), empty while none has.
    const std::string& Failure() const { return m_failure; }

    // The prefix of this target's temporary files in its folder: ".NAME.orvex-", or the shorter
    // ".orvex-" when NAME is too long for the longer one to be a valid name.
    static std::string TemporaryPrefix(const std::string& name);

private:
    bool Fail(int error);
    bool Fail(const std::string& reason);
    bool ResolveTarget();
    bool CheckExistingTarget();
    void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) const;
    bool CopyOverTarget();
    void Discard();
    void RestoreSignal();

    std::string m_target;  // as the user named it; used in messages
    std::string m_real;    // symbolic links resolved
    std::string m_temporary;
    std::string m_failure;
    BinaryFile m_file;
    bool m_exists = false;
    bool m_inPlace = false;  // other hard links share the target
    unsigned m_mode = 0;     // permissions of the existing target
    bool m_committed = false;
    bool m_signalSaved = false;
    struct sigaction m_oldXfsz {};
};
