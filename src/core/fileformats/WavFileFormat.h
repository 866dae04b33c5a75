#pragma once

#include "core/fileformats/SoundFileFormat.h"

class BinaryFile;

// RIFF WAVE files with linear PCM data and a LIST "INFO" chunk of the information strings.
class WavFileFormat : public SoundFileFormat {
public:
    static constexpr uint16_t kId = 1;
    explicit WavFileFormat(MessageSink& messages) : SoundFileFormat(kId, messages) {}

    bool Load(const std::string& path, SampleBuffer& sample) override;
    bool Save(const std::string& path, SampleBuffer& sample) override;
    void AppendFilter(std::string& filter) const override;
    bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                  std::string& size) override;

private:
    // Every chunk of the file; false when a write failed.
    bool WriteWave(BinaryFile& file, SampleBuffer& sample);
};

// The version text that every saved file carries in its "ISFT" string.
inline constexpr const char* kSoftwareText = "Orvex v1.5.1";
