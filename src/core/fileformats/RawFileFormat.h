#pragma once

#include "core/fileformats/SoundFileFormat.h"

// Headerless files: the whole file is sample bytes, always read as 11025 Hz 8-bit mono and
// written as the sample's bytes alone, so the format is lost.
class RawFileFormat : public SoundFileFormat {
public:
    static constexpr uint16_t kId = 4;
    explicit RawFileFormat(MessageSink& messages) : SoundFileFormat(kId, messages) {}

    bool Load(const std::string& path, SampleBuffer& sample) override;
    bool Save(const std::string& path, SampleBuffer& sample) override;
    void AppendFilter(std::string& filter) const override;
    bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                  std::string& size) override;
};
