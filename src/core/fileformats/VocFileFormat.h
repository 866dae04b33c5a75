#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "core/fileformats/SoundFileFormat.h"

class BinaryFile;

// Creative Voice files: a 26-byte header and a chain of typed blocks of unpacked 8-bit data.
// Saved as one extended block, sound data and a terminator; 8-bit sounds only.
class VocFileFormat : public SoundFileFormat {
public:
    static constexpr uint16_t kId = 2;
    explicit VocFileFormat(MessageSink& messages) : SoundFileFormat(kId, messages) {}

    bool Load(const std::string& path, SampleBuffer& sample) override;
    bool Save(const std::string& path, SampleBuffer& sample) override;
    void AppendFilter(std::string& filter) const override;
    bool Describe(const std::string& path, std::string& fileType, std::string& sampleFormat,
                  std::string& size) override;

    // The most data bytes one sound block carries (its 24-bit length counts two more bytes);
    // longer sounds continue in type 2 blocks of up to 0xFFFFFF bytes.
    static constexpr uint32_t kMaxFirstBlockData = 0xFFFFFF - 2;

private:
    // What the block chain has said so far; carried from the first pass into the second.
    struct ParseState {
        int rateCode = -1;  // none yet
        uint16_t timeConstant = 0;
        int extendedMode = 0;  // 0 none, 1 mono, 2 stereo
        uint32_t dataLength = 0;
        bool silence = false;
        std::set<std::string> warned;  // warnings already shown in this pass
    };

    bool NextBlock(ParseState& state, BinaryFile& file);
    void Warn(ParseState& state, const char* text);
};
