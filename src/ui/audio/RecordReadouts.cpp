#include "ui/audio/RecordReadouts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "core/effects/VolumeText.h"

namespace {

double LeadingDouble(const std::string& text) {
    const char* p = text.c_str();
    const char* end = p + text.size();
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (p < end && *p == '+')
        ++p;
    double value = 0.0;
    if (std::from_chars(p, end, value, std::chars_format::general).ec != std::errc())
        return 0.0;
    return value;
}

bool ContainsKhz(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("KHZ") != std::string::npos;
}

}  // namespace

uint32_t RecordFrequencyOf(const std::string& text) {
    double value = LeadingDouble(text);
    if (ContainsKhz(text))
        value *= 1000.0;
    // "inf", "nan" and negative numbers name no rate; huge ones stop at the largest.
    if (!(value >= 0.0))
        return 0;
    return value >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(value);
}

uint32_t RecordBlockSize(uint32_t frequency, long long seconds, bool sixteenBit, bool stereo) {
    if (seconds <= 0)
        return 0;
    // frequency < 2^32 and seconds of a 7-character text keep the product far inside 64 bits;
    // clamping the seconds first keeps it so for any caller.
    unsigned long long bytes = static_cast<unsigned long long>(frequency) *
                               static_cast<unsigned long long>(std::min(seconds, 1LL << 28));
    if (sixteenBit)
        bytes *= 2;
    if (stereo)
        bytes *= 2;
    return bytes > kMaxRecordBlock ? kMaxRecordBlock : static_cast<uint32_t>(bytes);
}

std::string MemoryReadout(uint32_t blockBytes) {
    if (blockBytes >= 1048576u)
        return FixedText(blockBytes / 1048576.0, 1) + " Mb required";
    if (blockBytes > 0)
        return std::to_string(blockBytes / 1024) + " Kb required";
    return std::string();
}

std::string RecordTimeText(float seconds) {
    if (seconds < 60.0f)
        return FixedText(seconds, 1) + " secs";
    if (seconds >= 120.0f) {
        const int minutes = static_cast<int>(seconds * 0.016666668f);
        return std::to_string(minutes) + " mins " +
               FixedText(seconds - 60.0f * static_cast<float>(minutes), 1) + " secs";
    }
    return "1 min " + FixedText(seconds - 60.0f, 1) + " secs";
}

float LevelFromDeviation(int deviation) {
    return static_cast<float>((std::log10(deviation * 0.0078125 * 0.01) + 4.2) *
                              0.45454545454545453);
}

float HoldLevel(float held, float level) {
    held = level >= held ? level : held * 0.9f;
    return std::clamp(held, 0.0f, 1.0f);
}
