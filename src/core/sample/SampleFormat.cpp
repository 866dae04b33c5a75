#include "core/sample/SampleFormat.h"

#include <cstdio>

void SampleFormat::Describe(std::string& text) const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%u Hz %s %s", static_cast<unsigned>(m_frequency),
                  Is16Bit() ? "16-Bit" : "8-Bit", IsStereo() ? "Stereo" : "Mono");
    text = buffer;
}

std::string SampleFormat::Describe() const {
    std::string text;
    Describe(text);
    return text;
}
