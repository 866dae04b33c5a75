#include "tools/batch/BatchContext.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/messages/MessageSink.h"

uint32_t BatchContext::RangeFirst() const {
    if (wholeRange)
        return 0;
    const uint32_t frames = sample.GetFrameCount();
    return frames == 0 ? 0 : (first < frames ? first : frames - 1);
}

uint32_t BatchContext::RangeLast() const {
    const uint32_t frames = sample.GetFrameCount();
    if (frames == 0)
        return 0;
    if (wholeRange)
        return frames - 1;
    return last < frames ? last : frames - 1;
}

std::vector<std::string> SplitFields(const std::string& text, char separator) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

bool ParseUnsigned(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<uint64_t>(c - '0');
    }
    if (result > UINT32_MAX)
        return false;
    value = static_cast<uint32_t>(result);
    return true;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    // Only finite numbers: "inf" and "nan" are no volume, rate or position a user means.
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

BatchOperation PlainOperation(std::string name, std::string help, int (*step)(BatchContext&)) {
    return BatchOperation{std::move(name), "", "", std::move(help),
                          [step](const std::string&, std::string&) {
                              return std::optional<BatchStep>(BatchStep(step));
                          }};
}

bool ParseFormat(const std::string& text, SampleFormat& format) {
    const auto fields = SplitFields(text, ',');
    uint32_t rate = 0;
    uint32_t bits = 0;
    uint32_t channels = 0;
    if (fields.size() != 3 || !ParseUnsigned(fields[0], rate) || !ParseUnsigned(fields[1], bits) ||
        !ParseUnsigned(fields[2], channels) || rate < 1 || rate > kMaxFrequency ||
        (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) {
        return false;
    }
    format = SampleFormat(rate, channels == 2, bits == 16);
    return true;
}

bool FitsSoundLimit(MessageSink& messages, uint64_t resultBytes, const char* operation) {
    if (resultBytes <= kMaxSoundBytes)
        return true;
    messages.ShowMessage(std::string(operation) + " refused: the result (" + std::to_string(resultBytes) +
                " bytes) would pass the 4 GiB limit of a sound");
    return false;
}
