#pragma once

#include "fileformats/SoundFileFormat.h"

// Creative Voice files. Registered in its place with its filter pair; reading and writing the
// format itself is not there yet, so every file is refused and the registry falls back to raw.
class VocFileFormat : public SoundFileFormat {
public:
    bool Load(const std::string& path, SampleBuffer& sample) override;
    bool Save(const std::string& path, SampleBuffer& sample) override;
    void AppendFilter(std::string& filter) const override;
};
