#pragma once

#include <cstdint>
#include <string>

class MessageSink;
class BinaryFile;
class SafeFileWriter;
class SampleBuffer;

// One sound-file format. Each handler has a fixed id (WAV 1, Creative Voice 2, Sun/NeXT 3,
// raw 4): the high half of a sample's options word names the handler that stored the low half,
// so the ids must not depend on how many handlers a process has made.
class SoundFileFormat {
public:
    SoundFileFormat(uint16_t id, MessageSink& messages);
    virtual ~SoundFileFormat() = default;
    SoundFileFormat(const SoundFileFormat&) = delete;
    SoundFileFormat& operator=(const SoundFileFormat&) = delete;

    virtual bool Load(const std::string& path, SampleBuffer& sample) = 0;
    virtual bool Save(const std::string& path, SampleBuffer& sample) = 0;
    // Appends "description|patterns|" to a file-dialog filter under construction.
    virtual void AppendFilter(std::string& filter) const = 0;
    // Three one-line texts for the file dialog's information panel.
    virtual bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                          std::string& size);
    virtual bool HasOptions() const { return false; }
    virtual void ShowOptions() {}

    uint32_t GetId() const { return m_id; }
    void SetSample(SampleBuffer* sample) { m_sample = sample; }
    SampleBuffer* GetSample() const { return m_sample; }

    // The low half of the sample's options word when this handler stored it, else 0.
    uint16_t GetStoredOptions() const;
    void StoreOptions(uint16_t bits);

    // Why the last Load or Save failed for a reason of the system, as "PATH: reason" (for
    // example "No space left on device"); empty after a success or a refusal that showed its
    // own message.
    const std::string& LastFailure() const { return m_failure; }

protected:
    // Puts the written file in place when `written`; else (or when that fails) keeps the
    // writer's reason as the failure. The writer's temporary is gone either way.
    bool Finish(SafeFileWriter& writer, bool written);
    // Keeps the reason of a read that failed, so that a failing disk is not taken for the end
    // of the file; false, for the loaders to return.
    bool ReadFailure(const std::string& path, const BinaryFile& file);
    // Sets the failure to "PATH: reason" for a refusal that must name the file.
    void SetFailure(const std::string& path, const std::string& reason);
    void SetFailure(const std::string& failure) { m_failure = failure; }
    void ClearFailure() { m_failure.clear(); }

    SampleBuffer* m_sample = nullptr;
    MessageSink& m_messages;

private:
    std::string m_failure;
    uint32_t m_id;
};
