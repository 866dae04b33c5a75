#pragma once

#include "core/fileformats/SoundFileFormat.h"

class AuOptionsPresenter;

// Sun/NeXT audio: a header of 32-bit numbers (either byte order) and mu-law, 8-bit or 16-bit
// linear data. The only handler with save options (mu-law or linear, and forcing mu-law sounds
// to 8 kHz mono), kept in the sample's options word so a sound is saved as it was loaded.
class AuFileFormat : public SoundFileFormat {
public:
    static constexpr uint16_t kId = 3;
    // Without a presenter the options dialog is never shown and the options stay as they are.
    explicit AuFileFormat(MessageSink& messages, AuOptionsPresenter* presenter = nullptr)
        : SoundFileFormat(kId, messages), m_presenter(presenter) {}

    bool Load(const std::string& path, SampleBuffer& sample) override;
    bool Save(const std::string& path, SampleBuffer& sample) override;
    void AppendFilter(std::string& filter) const override;
    bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                  std::string& size) override;
    bool HasOptions() const override { return true; }
    void ShowOptions() override;

private:
    AuOptionsPresenter* m_presenter;
};
