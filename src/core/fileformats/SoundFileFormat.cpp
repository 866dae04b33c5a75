#include "core/fileformats/SoundFileFormat.h"

#include <cstring>

#include "core/fileformats/BinaryFile.h"
#include "core/fileformats/SafeFileWriter.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

SoundFileFormat::SoundFileFormat(uint16_t id, MessageSink& messages)
    : m_messages(messages), m_id(id) {}

bool SoundFileFormat::Describe(const std::string&, std::string&, std::string&, std::string&) {
    return false;
}

uint16_t SoundFileFormat::GetStoredOptions() const {
    if (m_sample == nullptr)
        return 0;
    const uint32_t options = m_sample->GetFormatOptions();
    return (options >> 16) == m_id ? static_cast<uint16_t>(options & 0xFFFF) : 0;
}

void SoundFileFormat::StoreOptions(uint16_t bits) {
    if (m_sample != nullptr)
        m_sample->SetFormatOptions((m_id << 16) | bits);
}

bool SoundFileFormat::Finish(SafeFileWriter& writer, bool written) {
    if (written && writer.Commit())
        return true;
    if (!written)
        writer.Abandon();
    m_failure = writer.Failure();
    return false;
}

bool SoundFileFormat::ReadFailure(const std::string& path, const BinaryFile& file) {
    SetFailure(path, std::strerror(file.Error()));
    return false;
}

void SoundFileFormat::SetFailure(const std::string& path, const std::string& reason) {
    m_failure = path + ": " + reason;
}
